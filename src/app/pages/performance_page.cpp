#include "app/pages/performance_page.h"

namespace vantrel::app {

bool PerformancePage::Create(HWND parent) {
  panel_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_WHITERECT, 0, 0, 0, 0, parent, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
  return panel_ != nullptr;
}

void PerformancePage::Layout(const RECT& area) {
  ::MoveWindow(panel_, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
  FitIndicators();
}

void PerformancePage::Show(bool visible) { ::ShowWindow(panel_, visible ? SW_SHOW : SW_HIDE); }

void PerformancePage::FitIndicators() {
  // The charts and indicators of this page are not built yet.
}

}  // namespace vantrel::app
