// What the demos share: their top-level frame, the object behind it, and the message loop.
#pragma once

#include <windows.h>

namespace vantrel::demo {

// Registers the class and creates the frame, hidden and small until the demo sizes it for its DPI; self arrives
// as the create parameter.
inline HWND CreateDemoFrame(HINSTANCE inst, const wchar_t* className, WNDPROC proc, void* self) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = inst;
  wc.lpszClassName = className;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  ::RegisterClassW(&wc);
  return ::CreateWindowExW(0, className, L"Vantrel", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20, 100, 100, nullptr,
                           nullptr, inst, self);
}

// The demo object of a frame from CreateDemoFrame, kept with the window at WM_NCCREATE; null before that.
template <typename T>
T* DemoOf(HWND hwnd, UINT msg, LPARAM lParam) {
  if (msg == WM_NCCREATE)
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  return reinterpret_cast<T*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// Until WM_QUIT.
inline void RunMessageLoop() {
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

}  // namespace vantrel::demo
