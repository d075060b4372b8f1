// A visible top-level window of its own class that holds the controls under test, destroyed with the object, and
// the pumping of this thread's waiting messages.
#pragma once

#include <windows.h>

namespace vantrel::testing {

class HostWindow {
 public:
  // background: a system colour index (COLOR_BTNFACE, COLOR_WINDOW).
  HostWindow(const wchar_t* className, const wchar_t* title, int x, int y, int width, int height, int background) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1));
    ::RegisterClassW(&wc);
    hwnd = ::CreateWindowExW(0, className, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width,
                             height, nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~HostWindow() { ::DestroyWindow(hwnd); }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  HWND hwnd;
};

inline void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

}  // namespace vantrel::testing
