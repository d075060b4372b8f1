// A trend chart control: a scrolling history of one series (and optionally a base series) in one of five styles,
// with a grid anchored at the right edge. The model (core/perf/trend_model.h) holds the values and gives the
// picture; this window paints it double-buffered, scaled to its DPI, and owns nothing per paint but the buffer.
#pragma once

#include <windows.h>

#include "controls/dpi.h"
#include "controls/painted_control.h"
#include "core/perf/trend_model.h"
#include "system/raii.h"

namespace vantrel::ui {

class TrendChart : public PaintedControl {
 public:
  bool Create(HWND parent, int id, const RECT& rect);
  // The settings of every chart of the performance page: 200 divisions, line, black, dark grey grid, step 20.
  void ApplyPageSettings(RgbColor seriesColor);

  TrendModel& Model() { return model_; }
  const TrendModel& Model() const { return model_; }
  // After changing the model's settings directly.
  void Invalidate();
  void Add(int32_t value);
  void AddBase(int32_t value);
  void ApplyDpi(Dpi dpi) override;

 private:
  void Paint(HDC dc, const RECT& rc) override;
  TrendModel model_;
  TrendPicture picture_;  // reused between paints
  Dpi dpi_;
  win::UniqueFont font_;
};

}  // namespace vantrel::ui
