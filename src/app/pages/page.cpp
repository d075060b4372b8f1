#include "app/pages/page.h"

namespace vantrel::app {

bool TreePage::Create(HWND parent) {
  if (!tree_.Create(parent, controlId_)) return false;
  ::ShowWindow(tree_.hwnd(), SW_HIDE);
  return true;
}

void TreePage::Layout(const RECT& area) {
  ::MoveWindow(tree_.hwnd(), area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
}

void TreePage::Show(bool visible) { ::ShowWindow(tree_.hwnd(), visible ? SW_SHOW : SW_HIDE); }

}  // namespace vantrel::app
