#include "app/program.h"

#include <windows.h>

namespace vantrel::app {

int RunProgram(const wchar_t*, int showCommand) {
  HWND w = ::CreateWindowExW(0, L"STATIC", L"Vantrel", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
  ::ShowWindow(w, showCommand);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace vantrel::app
