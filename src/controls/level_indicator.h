// A vertical level meter of stacked segment rows, lit from the bottom up to Position
// (0..100). Setting the position repaints at once. The rows are laid out at 96 DPI and scaled.
#pragma once

#include <windows.h>

#include <vector>

#include "controls/dpi.h"
#include "controls/painted_control.h"
#include "core/perf/level_indicator.h"

namespace vantrel::ui {

class LevelIndicator : public PaintedControl {
 public:
  bool Create(HWND parent, int id, const RECT& rect);
  void SetPosition(int32_t value);
  int32_t Position() const { return model_.Position(); }
  void SetForeground(COLORREF color);
  void SetBackground(COLORREF color);
  void ApplyDpi(Dpi dpi) override;

 private:
  void Paint(HDC dc, const RECT& rc) override;
  IndicatorModel model_;
  COLORREF background_ = RGB(0, 0, 0);
  std::vector<IndicatorStrip> strips_;  // reused between paints
  Dpi dpi_;
};

}  // namespace vantrel::ui
