#include "controls/trend_chart.h"

#include "controls/paint_buffer.h"

namespace vantrel::ui {

bool TrendChart::Create(HWND parent, int id, const RECT& rect) {
  ClassInfo cls{L"VantrelTrendChart"};
  cls.cursor = ::LoadCursorW(nullptr, IDC_CROSS);
  if (!Window::Create(cls, 0, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, rect.left, rect.top, rect.right - rect.left,
                      rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))))
    return false;
  ApplyDpi(Dpi::ForWindow(hwnd()));
  return true;
}

void TrendChart::ApplyPageSettings(RgbColor seriesColor) {
  model_.SetDivisions(200);
  model_.SetOptions(0);
  model_.SetStyle(TrendStyle::Line);
  model_.SetColorBase(0xFFFFFF);
  model_.SetBackGroundColor(0x000000);
  model_.SetGridColor(5789784);
  model_.SetGridXstep(20);
  model_.SetColor(seriesColor);
  Invalidate();
}

void TrendChart::Invalidate() {
  if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void TrendChart::Add(int32_t value) {
  model_.Add(value);
  Invalidate();
}

void TrendChart::AddBase(int32_t value) {
  model_.AddBase(value);
  Invalidate();
}

void TrendChart::ApplyDpi(Dpi dpi) {
  dpi_ = dpi;
  // Labels: Arial, 8 design pixels high.
  font_.reset(::CreateFontW(-dpi_.Scale(8), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial"));
  Invalidate();
}

void TrendChart::Paint(HDC dc, const RECT& rc) {
  TrendMetrics m;
  m.Width = rc.right - rc.left;
  m.Height = rc.bottom - rc.top;
  m.Margin = dpi_.Scale(3);
  m.Depth3dX = m.Depth3dY = dpi_.Scale(10);
  m.GridXstepPx = dpi_.Scale(model_.GridXstep());
  m.LabelHeight = dpi_.Scale(8);
  win::SelectScope font(dc, font_.get());
  m.TextWidth = [dc](const std::wstring& text) {
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  };
  model_.Draw(m, picture_);

  FillSolid(dc, rc, picture_.Background);
  // Only the stock DC pen and brush: no GDI object is created per paint.
  win::SelectScope pen(dc, ::GetStockObject(DC_PEN));
  win::SelectScope brush(dc, ::GetStockObject(DC_BRUSH));
  ::SetDCPenColor(dc, picture_.GridColor);
  for (int x : picture_.GridX) {
    ::MoveToEx(dc, x, 0, nullptr);
    ::LineTo(dc, x, m.Height - 1);
  }
  for (int y : picture_.GridY) {
    ::MoveToEx(dc, 0, y, nullptr);
    ::LineTo(dc, m.Width - 1, y);
  }
  for (int i = 0; i < picture_.LineCount; ++i) {
    const auto& line = picture_.Lines[i];
    ::SetDCPenColor(dc, line.Pen);
    ::Polyline(dc, reinterpret_cast<const POINT*>(line.Points.data()), static_cast<int>(line.Points.size()));
  }
  for (const TrendShape& s : picture_.Shapes) {
    ::SetDCPenColor(dc, s.Pen);
    ::SetDCBrushColor(dc, s.Fill);
    if (s.kind == TrendShape::Rectangle) ::Rectangle(dc, s.Points[0].X, s.Points[0].Y, s.Points[1].X, s.Points[1].Y);
    else ::Polygon(dc, reinterpret_cast<const POINT*>(s.Points.data()), s.PointCount);
  }
  ::SetBkColor(dc, picture_.Background);
  ::SetBkMode(dc, OPAQUE);
  ::SetTextColor(dc, model_.Color());
  for (const TrendText& t : picture_.Texts) ::TextOutW(dc, t.X, t.Y, t.Text.c_str(), static_cast<int>(t.Text.size()));
}

}  // namespace vantrel::ui
