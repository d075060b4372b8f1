#include "controls/level_indicator.h"

#include "controls/paint_buffer.h"

namespace vantrel::ui {

bool LevelIndicator::Create(HWND parent, int id, const RECT& rect) {
  ClassInfo cls{L"VantrelLevelIndicator"};
  if (!Window::Create(cls, 0, L"", WS_CHILD | WS_VISIBLE, rect.left, rect.top, rect.right - rect.left,
                      rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))))
    return false;
  dpi_ = Dpi::ForWindow(hwnd());
  return true;
}

void LevelIndicator::SetPosition(int32_t value) {
  if (!model_.SetPosition(value) || !hwnd()) return;
  ::InvalidateRect(hwnd(), nullptr, FALSE);
  ::UpdateWindow(hwnd());
}

void LevelIndicator::SetForeground(COLORREF color) {
  model_.SetForeground(color);
  if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void LevelIndicator::SetBackground(COLORREF color) {
  background_ = color;
  if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void LevelIndicator::ApplyDpi(Dpi dpi) {
  dpi_ = dpi;
  if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void LevelIndicator::Paint(HDC dc, const RECT& rc) {
  FillSolid(dc, rc, background_);
  // Rows are computed at the design size and each design pixel drawn as a scaled block.
  model_.Strips(dpi_.Unscale(rc.right - rc.left), dpi_.Unscale(rc.bottom - rc.top), strips_);
  for (const IndicatorStrip& s : strips_) {
    const RECT r{dpi_.Scale(s.Left), dpi_.Scale(s.Y), dpi_.Scale(s.Right), dpi_.Scale(s.Y + 1)};
    FillSolid(dc, r, s.Lit ? model_.Foreground() : model_.Shadow());
  }
}

}  // namespace vantrel::ui
