// Ending processes under Wine: asked to close, ended by force, protected, and a reused PID left alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "../support/fake_wts.h"
#include "proc_children.h"
#include "system/process/process_actions.h"
#include "system/process/process_list.h"
#include "system/raii.h"
#include "system/text/locale_text.h"

namespace vantrel {
namespace {

uint64_t CreateTimeOf(DWORD pid) {
  win::UniqueHandle h(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  FILETIME c{}, e{}, k{}, u{};
  if (!h || !::GetProcessTimes(h.get(), &c, &e, &k, &u)) return 0;
  return (static_cast<uint64_t>(c.dwHighDateTime) << 32) | c.dwLowDateTime;
}

struct WindowSearch {
  DWORD pid;
  bool visibleOnly;
  bool found;
};

BOOL CALLBACK VisitWindow(HWND hwnd, LPARAM lp) {
  auto* f = reinterpret_cast<WindowSearch*>(lp);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  if (pid == f->pid && (!f->visibleOnly || ::IsWindowVisible(hwnd))) f->found = true;
  return TRUE;
}

bool HasTopLevelWindow(DWORD pid, bool visibleOnly) {
  WindowSearch f{pid, visibleOnly, false};
  ::EnumWindows(&VisitWindow, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

struct Notepad {
  PROCESS_INFORMATION pi{};
  Notepad() {
    wchar_t dir[MAX_PATH];
    ::GetWindowsDirectoryW(dir, MAX_PATH);
    std::wstring line = std::wstring(L"\"") + dir + L"\\notepad.exe\"";
    STARTUPINFOW si{sizeof(si)};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    // Its window exists a little after it is idle: wait for it, so that WM_CLOSE has a window to reach.
    for (int i = 0; i < 100 && !HasWindow(); ++i) ::Sleep(50);
  }
  ~Notepad() {
    if (!pi.hProcess) return;
    ::TerminateProcess(pi.hProcess, 0);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
  }
  bool HasWindow() const { return HasTopLevelWindow(pi.dwProcessId, true); }
};

TEST(ProcessActions, AWindowedProcessClosesAndAWindowlessOneIsEndedByForceWithinOneBudget) {
  Notepad notepad;
  ASSERT_NE(notepad.pi.dwProcessId, 0u);
  ASSERT_TRUE(notepad.HasWindow());
  test::ChildProcesses children;
  const DWORD quiet1 = children.Start(L"wait", L"");
  const DWORD quiet2 = children.Start(L"wait", L"");
  ASSERT_NE(quiet1, 0u);
  ASSERT_NE(quiet2, 0u);

  const std::vector<ProcessTarget> targets = {
      {notepad.pi.dwProcessId, CreateTimeOf(notepad.pi.dwProcessId), L"notepad.exe"},
      {quiet1, CreateTimeOf(quiet1), L"proc_child.exe"},
      {quiet2, 0, L"proc_child.exe"},  // creation time unknown: not checked
  };
  const auto start = std::chrono::steady_clock::now();
  const auto outcomes = CloseOrTerminateProcesses(targets, 2000);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  std::printf("three processes ended in %lld ms with a 2000 ms budget\n", static_cast<long long>(ms.count()));
  ASSERT_EQ(outcomes.size(), 3u);
  EXPECT_EQ(outcomes[0].Result, TerminateResult::Closed);
  EXPECT_EQ(outcomes[1].Result, TerminateResult::Terminated);
  EXPECT_EQ(outcomes[2].Result, TerminateResult::Terminated);
  for (size_t i = 0; i < children.Count(); ++i) EXPECT_EQ(::WaitForSingleObject(children.Handle(i), 5000), WAIT_OBJECT_0);
  EXPECT_EQ(::WaitForSingleObject(notepad.pi.hProcess, 5000), WAIT_OBJECT_0);
}

// Only a process with windows can be asked to close; one without is ended while the other is still given its time.
TEST(ProcessActions, AProcessWithoutWindowsIsEndedAtOnceNotAfterTheWait) {
  test::ChildProcesses children;
  const DWORD hung = children.Start(L"hung", L"");  // its window never reads the WM_CLOSE
  const DWORD quiet = children.Start(L"wait", L"");
  ASSERT_NE(hung, 0u);
  ASSERT_NE(quiet, 0u);
  for (int i = 0; i < 100 && !HasTopLevelWindow(hung, false); ++i) ::Sleep(50);
  ASSERT_TRUE(HasTopLevelWindow(hung, false));

  std::atomic<bool> returned{false};
  std::vector<TerminateOutcome> outcomes;
  std::thread worker([&] {
    outcomes = CloseOrTerminateProcesses({{hung, CreateTimeOf(hung), L"hung"}, {quiet, CreateTimeOf(quiet), L"quiet"}},
                                         5000);
    returned = true;
  });
  EXPECT_EQ(::WaitForSingleObject(children.Handle(1), 4000), WAIT_OBJECT_0) << "the windowless child waited too";
  EXPECT_FALSE(returned) << "the windowed child was not given its time";
  worker.join();
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_EQ(outcomes[0].Result, TerminateResult::Terminated);
  EXPECT_EQ(outcomes[1].Result, TerminateResult::Terminated);
  EXPECT_EQ(::WaitForSingleObject(children.Handle(0), 5000), WAIT_OBJECT_0);
}

TEST(ProcessActions, TheProgramItselfSystemPidsAndReusedPidsAreNeverHit) {
  test::ChildProcesses children;
  const DWORD child = children.Start(L"wait", L"");
  ASSERT_NE(child, 0u);
  const auto outcomes = CloseOrTerminateProcesses(
      {{::GetCurrentProcessId(), 0, L"self"}, {4, 0, L"System"}, {child, CreateTimeOf(child) + 1, L"reused"}}, 100);
  ASSERT_EQ(outcomes.size(), 3u);
  for (const TerminateOutcome& o : outcomes) {
    EXPECT_EQ(o.Result, TerminateResult::Failed);
    EXPECT_NE(o.Error, 0u);
  }
  EXPECT_EQ(::WaitForSingleObject(children.Handle(0), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the child still runs";
}

TEST(ProcessActions, AProcessThatCannotBeOpenedFailsWithTheErrorOfTheCallThatFailed) {
  const TerminateOutcome o = CloseOrTerminateProcess({0x7FFFFFFCu, 0, L"none"}, -1);  // no such process
  EXPECT_EQ(o.Result, TerminateResult::Failed);
  EXPECT_NE(o.Error, 0u);
  EXPECT_FALSE(SystemErrorText(o.Error).empty());
  const std::wstring denied = SystemErrorText(ERROR_ACCESS_DENIED);
  ASSERT_FALSE(denied.empty());
  EXPECT_NE(denied.back(), L'\n');
}

// Terminal services end a process by its bare PID, so they are asked only for the process the user confirmed.
TEST(ProcessActions, TerminalServicesAreAskedOnlyForAProcessTheListConfirms) {
  test::ChildProcesses children;
  const DWORD child = children.Start(L"wait", L"");
  ASSERT_NE(child, 0u);
  const uint64_t created = CreateTimeOf(child);
  ASSERT_NE(created, 0u);
  EXPECT_TRUE(ProcessListedWithCreateTime(child, created));
  EXPECT_FALSE(ProcessListedWithCreateTime(child, created + 1)) << "a reused PID";
  EXPECT_FALSE(ProcessListedWithCreateTime(child, 0)) << "an unknown creation time confirms nothing";

  // A process that cannot be opened because it is gone: its PID is not handed to terminal services.
  testing::FakeWts wts;
  const auto outcomes = CloseOrTerminateProcesses({{0x7FFFFFFCu, created, L"gone"}}, -1, wts);
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_EQ(outcomes[0].Result, TerminateResult::Failed);
  EXPECT_NE(outcomes[0].Error, 0u);
  EXPECT_TRUE(wts.Calls().empty());
}

}  // namespace
}  // namespace vantrel
