#include "app/pages/performance_page.h"

namespace vantrel::app {

bool PerformancePage::Create(HWND parent) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  panel_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_WHITERECT, 0, 0, 0, 0, parent, nullptr, instance, nullptr);
  for (HWND* label : {&lCU_, &lIP_, &lBN_, &lMAC_})
    *label = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 0, 0, 0, parent,
                               nullptr, instance, nullptr);
  dpi_ = ui::Dpi::ForWindow(parent);
  return panel_ && lCU_ && lIP_ && lBN_ && lMAC_;
}

void PerformancePage::Layout(const RECT& area) {
  ::MoveWindow(panel_, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
  // The facts sit at the foot of the page, one line each.
  const int line = dpi_.Scale(18);
  int y = area.bottom - dpi_.Scale(8) - 4 * line;
  for (HWND label : {lCU_, lIP_, lBN_, lMAC_}) {
    ::MoveWindow(label, area.left + dpi_.Scale(12), y, area.right - area.left - dpi_.Scale(24), line, TRUE);
    y += line;
  }
  FitIndicators();
}

void PerformancePage::Show(bool visible) {
  for (HWND w : {panel_, lCU_, lIP_, lBN_, lMAC_}) ::ShowWindow(w, visible ? SW_SHOW : SW_HIDE);
}

void PerformancePage::SetFacts(const std::wstring& user, const std::wstring& ip, const std::wstring& build,
                               const std::wstring& mac) {
  ::SetWindowTextW(lCU_, user.c_str());
  ::SetWindowTextW(lIP_, ip.c_str());
  ::SetWindowTextW(lBN_, build.c_str());
  ::SetWindowTextW(lMAC_, mac.c_str());
}

void PerformancePage::SetFont(HFONT font) {
  for (HWND label : {lCU_, lIP_, lBN_, lMAC_}) ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void PerformancePage::FitIndicators() {
  // The charts and indicators of this page are not built yet.
}

}  // namespace vantrel::app
