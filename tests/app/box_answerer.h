// Answers this process's next message box from another thread: notes what it shows and presses a button.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace vantrel {

struct SeenBox {
  std::wstring caption;
  std::wstring text;
  bool hasYes = false, hasNo = false, hasOk = false;
};

// Waits on another thread for this process's message box, notes what it shows and presses a button.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(int button) : button_(button), thread_([this] { Run(); }) {}
  ~BoxAnswerer() { thread_.join(); }
  SeenBox seen;
  std::atomic<bool> found{false};

 private:
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
    auto* self = reinterpret_cast<BoxAnswerer*>(lp);
    wchar_t cls[16] = {};
    ::GetClassNameW(hwnd, cls, 16);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != ::GetCurrentProcessId() || std::wstring(cls) != L"#32770" || !::IsWindowVisible(hwnd)) return TRUE;
    wchar_t buf[512] = {};
    ::GetWindowTextW(hwnd, buf, 512);
    self->seen.caption = buf;
    ::GetWindowTextW(::GetDlgItem(hwnd, 0xFFFF), buf, 512);
    self->seen.text = buf;
    self->seen.hasYes = ::GetDlgItem(hwnd, IDYES) != nullptr;
    self->seen.hasNo = ::GetDlgItem(hwnd, IDNO) != nullptr;
    self->seen.hasOk = ::GetDlgItem(hwnd, IDOK) != nullptr;
    ::PostMessageW(hwnd, WM_COMMAND, static_cast<WPARAM>(self->button_), 0);
    self->found = true;
    return FALSE;
  }
  void Run() {
    for (int i = 0; i < 500 && !found; ++i) {
      ::EnumWindows(&BoxAnswerer::Visit, reinterpret_cast<LPARAM>(this));
      if (!found) ::Sleep(20);
    }
  }
  int button_;
  std::thread thread_;
};

}  // namespace vantrel
