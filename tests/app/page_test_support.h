// What the page tests share: a main window started as the program starts it, and message pumping.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/program.h"

namespace vantrel::app::testing {

inline std::unique_ptr<MainWindow> QuietMainWindow(const std::vector<std::wstring>& words = {}) {
  StartupEnvironment env;
  env.isRemoteSession = [] { return false; };
  env.elevationButtonVisible = [] { return false; };
  return std::make_unique<MainWindow>(TCommandLineSwitches(words), env);
}

// Runs the window's messages until done() or timeoutMs passed; done()'s last answer.
inline bool PumpUntil(MainWindow& main, const std::function<bool()>& done, DWORD timeoutMs = 15000) {
  const ULONGLONG end = ::GetTickCount64() + timeoutMs;
  while (!done()) {
    if (::GetTickCount64() > end) return false;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchProgramMessage(&main, msg);
    ::Sleep(10);
  }
  return true;
}

// With VANTREL_SHOW_PAGES=<seconds> in the environment, shows the window that long (answering its messages), so
// that a screenshot of a page filled by a test can be taken from outside.
inline void ShowForLooking(MainWindow& main) {
  wchar_t seconds[16] = {};
  if (!::GetEnvironmentVariableW(L"VANTREL_SHOW_PAGES", seconds, 16)) return;
  ::ShowWindow(main.hwnd(), SW_SHOWNORMAL);
  const ULONGLONG end = ::GetTickCount64() + 1000ull * static_cast<ULONGLONG>(_wtoi(seconds));
  PumpUntil(main, [end] { return ::GetTickCount64() > end; }, 1000u * static_cast<DWORD>(_wtoi(seconds)) + 1000u);
}

inline std::wstring WindowText(HWND hwnd) {
  wchar_t buf[512] = {};
  ::GetWindowTextW(hwnd, buf, 512);
  return buf;
}

}  // namespace vantrel::app::testing
