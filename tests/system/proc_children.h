// Starts proc_child.exe instances that live until this owner ends them: the event is set, each child is given a
// few seconds, and the survivors are terminated. Shared by the process tests and the benchmark.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "system/raii.h"

namespace vantrel::test {

class ChildProcesses {
 public:
  ChildProcesses() {
    event_ = L"Local\\vantrel-proc-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
             std::to_wstring(::GetTickCount64());
    done_.reset(::CreateEventW(nullptr, TRUE, FALSE, event_.c_str()));
    wchar_t self[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self, n);
    exe_ = dir.substr(0, dir.find_last_of(L'\\')) + L"\\proc_child.exe";
  }
  ~ChildProcesses() { EndAll(); }
  ChildProcesses(const ChildProcesses&) = delete;
  ChildProcesses& operator=(const ChildProcesses&) = delete;

  const std::wstring& Exe() const { return exe_; }
  // The name of the event that ends the children ("<name>-ready" is the handles child's signal).
  const std::wstring& EventName() const { return event_; }

  // The child's PID, or 0. The command line is "<exe>" <mode> <event> <text>; environment: NAME=value entries.
  DWORD Start(const std::wstring& mode, const std::wstring& text, std::wstring* commandLine = nullptr,
              const std::wstring& extraEnvironment = L"") {
    std::wstring line = L"\"" + exe_ + L"\" " + mode + L" " + event_;
    if (!text.empty()) line += L" " + text;
    if (commandLine) *commandLine = line;
    std::wstring env;
    if (!extraEnvironment.empty()) {
      wchar_t* own = ::GetEnvironmentStringsW();
      for (const wchar_t* p = own; *p; p += wcslen(p) + 1) env += std::wstring(p) + L'\0';
      ::FreeEnvironmentStringsW(own);
      env += extraEnvironment + L'\0';
      env += L'\0';
    }
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                          env.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT, env.empty() ? nullptr : env.data(), nullptr,
                          &si, &pi))
      return 0;
    ::CloseHandle(pi.hThread);
    processes_.emplace_back(pi.hProcess);
    return pi.dwProcessId;
  }

  HANDLE Handle(size_t i) const { return processes_[i].get(); }
  size_t Count() const { return processes_.size(); }

  void EndAll() {
    if (done_) ::SetEvent(done_.get());
    for (win::UniqueHandle& p : processes_) {
      if (::WaitForSingleObject(p.get(), 5000) != WAIT_OBJECT_0) ::TerminateProcess(p.get(), 1);
      p.reset();
    }
    processes_.clear();
  }

 private:
  std::wstring event_, exe_;
  win::UniqueHandle done_;
  std::vector<win::UniqueHandle> processes_;
};

// Starts a "handles" child that holds its known handles and `files` temporary files in dir open; its PID once they
// are all open, or 0.
// With a library path, the child also loads that library.
inline DWORD StartHandlesChild(ChildProcesses& children, const std::wstring& dir, int files, DWORD waitMs = 60000,
                               const std::wstring& library = L"") {
  win::UniqueHandle ready(::CreateEventW(nullptr, TRUE, FALSE, (children.EventName() + L"-ready").c_str()));
  const DWORD pid = children.Start(L"handles", L"\"" + dir + L"\" " + std::to_wstring(files) + L" " +
                                                   std::to_wstring(::GetCurrentProcessId()) +
                                                   (library.empty() ? L"" : L" \"" + library + L"\""));
  if (!pid || !ready || ::WaitForSingleObject(ready.get(), waitMs) != WAIT_OBJECT_0) return 0;
  return pid;
}

// The temporary folder without its trailing backslash.
inline std::wstring TempFolder() {
  wchar_t buf[MAX_PATH];
  DWORD n = ::GetTempPathW(MAX_PATH, buf);
  while (n > 0 && buf[n - 1] == L'\\') --n;
  return std::wstring(buf, n);
}

}  // namespace vantrel::test
