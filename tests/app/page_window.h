// The real main window for the page tests, and a message pump that waits for a condition.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/frame/main_window.h"
#include "app/pages/page_of.h"

namespace vantrel::app::test {

struct PageWindow {
  std::unique_ptr<MainWindow> main;
  PageWindow() {
    StartupEnvironment env;
    env.isRemoteSession = [] { return false; };
    env.elevationButtonVisible = [] { return false; };
    main = std::make_unique<MainWindow>(CommandLineSwitches(std::vector<std::wstring>{}), env);
  }
  template <typename P>
  P& Page(int index) {
    return PageOf<P>(*main, index);
  }
};

// Dispatches this thread's messages until done() or the bound; true when done.
inline bool PumpUntil(const std::function<bool()>& done, DWORD boundMs = 5000) {
  const ULONGLONG start = ::GetTickCount64();
  for (;;) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (done()) return true;
    if (::GetTickCount64() - start > boundMs) return false;
    ::Sleep(5);
  }
}

inline std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace vantrel::app::test
