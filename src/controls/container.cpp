#include "controls/container.h"

namespace vantrel::ui {

bool Container::Create(HWND parent, int id) {
  ClassInfo cls{L"VantrelContainer"};
  cls.background = ::GetSysColorBrush(COLOR_BTNFACE);
  return Window::Create(cls, WS_EX_CONTROLPARENT, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

LRESULT Container::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (onMessage && onMessage(msg, wParam, lParam, &result)) return result;
  return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace vantrel::ui
