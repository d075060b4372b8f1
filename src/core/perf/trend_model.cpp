#include "core/perf/trend_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/perf/cpu_load.h"

namespace vantrel {
namespace {

template <typename T>
bool Store(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}

int Round(double v) { return RoundHalfEven(v); }

// Floor division for a positive divisor.
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && (a < 0)); }

}  // namespace

RgbColor ShadeColor(RgbColor color, int delta) {
  RgbColor out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int c = std::clamp(static_cast<int>((color >> shift) & 0xFF) + delta, 0, 255);
    out |= static_cast<RgbColor>(c) << shift;
  }
  return out;
}

TrendModel::TrendModel() = default;

bool TrendModel::SetMinVal(int32_t v) { return Store(min_, v >= max_ ? max_ - 1 : v); }
bool TrendModel::SetMaxVal(int32_t v) { return Store(max_, v <= min_ ? min_ + 1 : v); }
bool TrendModel::SetDivisions(int32_t v) { return Store(divisions_, std::clamp(v, 2, kTrendSlots)); }
bool TrendModel::SetStyle(TrendStyle s) { return Store(style_, s); }
bool TrendModel::SetOptions(uint32_t o) { return Store(options_, o & (kTrendPrintValues | kTrendDrawTwin)); }
bool TrendModel::SetGridStyle(vantrel::GridStyle g) { return Store(gridStyle_, g); }
bool TrendModel::SetGridXstep(int32_t v) { return v > 0 && Store(gridX_, v); }
bool TrendModel::SetGridYstep(int32_t v) { return v > 0 && Store(gridY_, v); }
bool TrendModel::SetAutoScale(bool on) { return Store(autoScale_, on); }
bool TrendModel::SetColor(RgbColor c) { return Store(color_, c); }
bool TrendModel::SetColorBase(RgbColor c) { return Store(colorBase_, c); }
bool TrendModel::SetBackGroundColor(RgbColor c) { return Store(background_, c); }
bool TrendModel::SetGridColor(RgbColor c) { return Store(gridColor_, c); }

void TrendModel::Clear() { std::fill_n(vals_.begin(), divisions_, 0); }
void TrendModel::ClearBase() { std::fill_n(baseVals_.begin(), divisions_, 0); }

void TrendModel::Push(std::array<int32_t, kTrendSlots>& series, int32_t value) {
  std::copy(series.begin() + 1, series.begin() + divisions_, series.begin());
  if (value < min_) value = min_;
  if (autoScale_) UpdateAutoScale(value);
  else if (value > max_) value = max_;
  series[divisions_ - 1] = value;
}

void TrendModel::UpdateAutoScale(int32_t value) {
  const int32_t m =
      std::max(*std::max_element(vals_.begin(), vals_.end()), *std::max_element(baseVals_.begin(), baseVals_.end()));
  SetMaxVal(std::max(value, m));
}

int TrendModel::Y(int32_t v, int height, int margin) const {
  const int64_t range = static_cast<int64_t>(max_) - min_;
  return static_cast<int>((static_cast<int64_t>(v) - min_) * (height - 2 * margin) / range + margin);
}

void TrendModel::Draw(const TrendMetrics& m, TrendPicture& out) const {
  out.Background = background_;
  out.GridColor = gridColor_;
  out.GridX.clear();
  out.GridY.clear();
  out.LineCount = 0;
  out.Shapes.clear();
  out.Texts.clear();
  if (m.Width <= 0 || m.Height <= 0) return;
  DrawGrid(m, out);
  const int d = divisions_;
  const double s = (m.Width - 2.0 * m.Margin - (style_ == TrendStyle::ThreeD ? m.Depth3dX : 0)) / d;
  switch (style_) {
    case TrendStyle::Line: DrawLine(m, s, out); break;
    case TrendStyle::Bar: DrawBars(m, s, out); break;
    case TrendStyle::Scatter: DrawScatter(m, s, out); break;
    case TrendStyle::Filled: DrawFilled(m, s, out); break;
    case TrendStyle::ThreeD: Draw3D(m, s, out); break;
  }
}

void TrendModel::DrawGrid(const TrendMetrics& m, TrendPicture& out) const {
  if (gridStyle_ == GridStyle::XGrid || gridStyle_ == GridStyle::Full) {
    const int step = std::clamp(m.GridXstepPx, 1, m.Width);
    // Anchored at the right edge: k = step, 2 step, ... below the width.
    for (int k = step; k <= m.Width - 1; k += step) out.GridX.push_back(m.Width - k);
  }
  if (gridStyle_ == GridStyle::YGrid || gridStyle_ == GridStyle::Full) {
    // A line for every multiple u of the step in Min+1..Max-1, at p = (u - Min) × 100 div range percent. Only the
    // percentages 0..99 can occur, so each is tested for a multiple in its band instead of walking every value.
    const int64_t range = static_cast<int64_t>(max_) - min_, step = gridY_;
    int lastY = -1;
    for (int64_t p = 0; p < 100; ++p) {
      const int64_t lo = std::max<int64_t>((p * range + 99) / 100, 1);  // first u - Min with this percentage
      const int64_t hi = std::min<int64_t>(((p + 1) * range + 99) / 100 - 1, range - 1);
      if (lo > hi) continue;
      const int64_t firstMultiple = FloorDiv(min_ + lo + step - 1, step) * step;
      if (firstMultiple > min_ + hi) continue;
      const int y = m.Height - Round(static_cast<double>(p) * m.Height / 100.0);
      if (y != lastY) out.GridY.push_back(y);
      lastY = y;
    }
  }
}

void TrendModel::Polyline(const std::array<int32_t, kTrendSlots>& series, RgbColor pen, const TrendMetrics& m, double s,
                          TrendPicture& out) const {
  TrendPolyline& line = out.Lines[out.LineCount++];
  line.Pen = pen;
  line.Points.clear();
  const int halfStep = Round(s) / 2;
  for (int i = 0; i < divisions_; ++i)
    line.Points.push_back({Round(m.Margin + i * s + halfStep), m.Height - Y(series[i], m.Height, m.Margin)});
}

void TrendModel::DrawLine(const TrendMetrics& m, double s, TrendPicture& out) const {
  Polyline(vals_, color_, m, s, out);
  if (options_ & kTrendDrawTwin) Polyline(baseVals_, colorBase_, m, s, out);
}

void TrendModel::DrawBars(const TrendMetrics& m, double s, TrendPicture& out) const {
  const int64_t range = static_cast<int64_t>(max_) - min_;
  const RgbColor outline = gridStyle_ != GridStyle::None ? gridColor_ : 0;
  const int h = m.Height;
  for (int i = 0; i < divisions_; ++i) {
    const int left = Round(m.Margin + i * s);
    const int top =
        (options_ & kTrendPrintValues)
            ? static_cast<int>((static_cast<int64_t>(vals_[i]) - min_) * (h - 2 * m.Margin - m.LabelHeight) / range +
                               m.Margin)
            : Y(vals_[i], h, m.Margin);
    TrendShape bar{TrendShape::Rectangle, outline, color_, {}, 2};
    bar.Points[0] = {left, h - m.Margin};
    bar.Points[1] = {Round(left + s), h - top};
    out.Shapes.push_back(bar);
    if (options_ & kTrendPrintValues) {
      std::wstring text = std::to_wstring(vals_[i]);
      const int tw = m.TextWidth ? m.TextWidth(text) : 0;
      out.Texts.push_back({Round(left + Round(s) / 2 - tw / 2), h - top - m.LabelHeight, std::move(text)});
    }
  }
}

void TrendModel::DrawScatter(const TrendMetrics& m, double s, TrendPicture& out) const {
  const int64_t range = static_cast<int64_t>(max_) - min_;
  const int r = std::max(Round(s / 4), 1), h = m.Height;
  auto square = [&](int cx, int32_t v, RgbColor c) {
    const int y =
        static_cast<int>((static_cast<int64_t>(v) - min_) * (h - 2 * m.Margin - 2 * r) / range + m.Margin + r);
    TrendShape sq{TrendShape::Rectangle, c, c, {}, 2};
    sq.Points[0] = {cx - r, h - y + r};
    sq.Points[1] = {cx + r, h - y - r};
    out.Shapes.push_back(sq);
  };
  for (int i = 0; i < divisions_; ++i) {
    const int cx = Round(m.Margin + i * s + 2 * r);
    square(cx, vals_[i], color_);
    if (options_ & kTrendDrawTwin) square(cx, baseVals_[i], colorBase_);
  }
}

void TrendModel::DrawFilled(const TrendMetrics& m, double s, TrendPicture& out) const {
  const int h = m.Height;
  for (int i = 0; i + 1 < divisions_; ++i) {
    const int x = Round(m.Margin + i * s + s / 2), x2 = Round(x + s);
    TrendShape q{TrendShape::Polygon, color_, color_, {}, 4};
    q.Points = {{{x, h - m.Margin},
                 {x2, h - m.Margin},
                 {x2, h - Y(vals_[i + 1], h, m.Margin)},
                 {x, h - Y(vals_[i], h, m.Margin)}}};
    out.Shapes.push_back(q);
  }
}

void TrendModel::Draw3D(const TrendMetrics& m, double s, TrendPicture& out) const {
  const int64_t range = static_cast<int64_t>(max_) - min_;
  const int h = m.Height, dx = m.Depth3dX, dy = m.Depth3dY;
  const RgbColor front = color_, side = ShadeColor(front, -60), top = ShadeColor(front, 60);
  auto level = [&](int32_t v) {
    return static_cast<int>((static_cast<int64_t>(v) - min_) * (h - 2 * m.Margin - dy) / range + m.Margin);
  };
  auto polygon = [&](RgbColor c, std::array<TrendPoint, 4> pts) {
    out.Shapes.push_back({TrendShape::Polygon, c, c, pts, 4});
  };
  int xRight = m.Margin;
  for (int i = 0; i < divisions_; ++i) {
    const int xLeft = xRight;
    xRight = Round(m.Margin + (i + 1) * s);
    int hi = level(vals_[i]);
    int lo = (options_ & kTrendDrawTwin) ? level(baseVals_[i]) : m.Margin;
    if (hi < lo) std::swap(hi, lo);
    polygon(front, {{{xLeft, h - lo}, {xRight, h - lo}, {xRight, h - hi}, {xLeft, h - hi}}});
    polygon(side, {{{xRight, h - lo}, {xRight + dx, h - lo - dy}, {xRight + dx, h - hi - dy}, {xRight, h - hi}}});
    polygon(top, {{{xRight, h - hi}, {xRight + dx, h - hi - dy}, {xLeft + dx, h - hi - dy}, {xLeft, h - hi}}});
    if (options_ & kTrendPrintValues) {
      const int64_t v =
          (options_ & kTrendDrawTwin) ? std::llabs(static_cast<int64_t>(vals_[i]) - baseVals_[i]) : vals_[i];
      std::wstring text = std::to_wstring(v);
      const int tw = m.TextWidth ? m.TextWidth(text) : 0;
      out.Texts.push_back({Round(xLeft + Round(s) / 2 - tw / 2), h - hi - m.LabelHeight, std::move(text)});
    }
  }
}

}  // namespace vantrel
