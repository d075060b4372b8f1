#include "controls/cpu_monitors.h"

#include "controls/paint_buffer.h"

#include <algorithm>

namespace vantrel::ui {
namespace {

constexpr COLORREF kInfoBk = RGB(0xFF, 0xFF, 0xE1);  // the info-tip background the frequency frames are drawn in
constexpr COLORREF kLime = RGB(0, 0xFF, 0);

HMENU Id(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

}  // namespace

bool CpuUsageMonitor::Create(HWND parent, int id, const RECT& rect) {
  ClassInfo cls{L"VantrelCpuUsageMonitor"};
  cls.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  if (!Window::Create(cls, 0, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left, rect.top, rect.right - rect.left,
                      rect.bottom - rect.top, parent, Id(id)))
    return false;
  dpi_ = Dpi::ForWindow(hwnd());
  if (!trend_.Create(hwnd(), 1, RECT{})) return false;
  trend_.ApplyPageSettings(kLime);
  Layout();
  return true;
}

void CpuUsageMonitor::Layout() {
  RECT rc;
  ::GetClientRect(hwnd(), &rc);
  const int left = dpi_.Scale(3);
  ::MoveWindow(trend_.hwnd(), left, 0, std::max<int>(rc.right - left, 0), rc.bottom, TRUE);
}

LRESULT CpuUsageMonitor::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE: Layout(); return 0;
    case WM_DPICHANGED_AFTERPARENT:
      dpi_ = Dpi::ForWindow(hwnd());
      Layout();
      return 0;
    default: return DefaultProc(msg, wParam, lParam);
  }
}

bool CpuFrequencyMonitor::Create(HWND parent, int id, const RECT& rect) {
  ClassInfo cls{L"VantrelCpuFrequencyMonitor"};
  cls.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  if (!Window::Create(cls, 0, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left, rect.top, rect.right - rect.left,
                      rect.bottom - rect.top, parent, Id(id)))
    return false;
  if (!indicator_.Create(hwnd(), 1, RECT{}) || !trend_.Create(hwnd(), 2, RECT{})) return false;
  indicator_.SetBackground(RGB(0, 0, 0));
  indicator_.SetForeground(kInfoBk);
  trend_.ApplyPageSettings(kInfoBk);
  ApplyDpi(Dpi::ForWindow(hwnd()));
  return true;
}

void CpuFrequencyMonitor::ApplyDpi(Dpi dpi) {
  dpi_ = dpi;
  font_.reset(CreateUiFont(dpi_, 0, false, L"MS Shell Dlg 2"));
  indicator_.ApplyDpi(dpi_);
  trend_.ApplyDpi(dpi_);
  Layout();
}

void CpuFrequencyMonitor::AddValues(uint32_t mhz) {
  indicator_.SetPosition(scale_.Percent(mhz));
  trend_.Add(indicator_.Position());
  label_ = std::to_wstring(mhz) + L" MHz";
  const RECT label = LabelRect();
  ::InvalidateRect(hwnd(), &label, FALSE);
}

RECT CpuFrequencyMonitor::PanelRect() const {
  RECT rc;
  ::GetClientRect(hwnd(), &rc);
  return {dpi_.Scale(3), 0, std::min<LONG>(dpi_.Scale(3 + 58), rc.right), rc.bottom};
}

RECT CpuFrequencyMonitor::LabelRect() const {
  RECT p = PanelRect();
  p.top = std::max(p.top, p.bottom - dpi_.Scale(16));
  return p;
}

void CpuFrequencyMonitor::Layout() {
  if (!hwnd()) return;
  RECT rc;
  ::GetClientRect(hwnd(), &rc);
  const RECT panel = PanelRect(), label = LabelRect();
  // The indicator fills the panel above the text: the panel's height minus its top, the text and 5.
  const int top = dpi_.Scale(5);
  const int height = std::max<int>(label.top - top - dpi_.Scale(5), 0);
  ::MoveWindow(indicator_.hwnd(), panel.left + dpi_.Scale(9), top, dpi_.Scale(39), height, TRUE);
  const int trendLeft = panel.right + dpi_.Scale(3);
  ::MoveWindow(trend_.hwnd(), trendLeft, 0, std::max<int>(rc.right - trendLeft, 0), rc.bottom, TRUE);
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

LRESULT CpuFrequencyMonitor::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE: Layout(); return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd(), &ps);
      const RECT panel = PanelRect();
      {
        PaintBuffer buffer(dc, panel);
        FillSolid(buffer.dc(), panel, RGB(0, 0, 0));
        ::DrawEdge(buffer.dc(), const_cast<RECT*>(&panel), BDR_SUNKENOUTER, BF_RECT);
        win::SelectScope font(buffer.dc(), font_.get());
        ::SetBkMode(buffer.dc(), TRANSPARENT);
        ::SetTextColor(buffer.dc(), kInfoBk);
        RECT label = LabelRect();
        ::DrawTextW(buffer.dc(), label_.c_str(), static_cast<int>(label_.size()), &label,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      }
      ::EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_DPICHANGED_AFTERPARENT: ApplyDpi(Dpi::ForWindow(hwnd())); return 0;
    default: return DefaultProc(msg, wParam, lParam);
  }
}

}  // namespace vantrel::ui
