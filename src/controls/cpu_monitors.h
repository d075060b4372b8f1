// The per-processor monitor frames of the performance page. They know nothing of the system: the page pushes the
// values in once a second.
// - CpuUsageMonitor: one trend chart (lime) of one logical processor's load in percent.
// - CpuFrequencyMonitor: a black strip on the left with a level indicator and the "%d MHz" text, and a trend chart
//   of the clock as a percentage of the highest limit seen (which only rises, starting at 1).
#pragma once

#include <windows.h>

#include <string>

#include "controls/dpi.h"
#include "controls/level_indicator.h"
#include "controls/trend_chart.h"
#include "controls/window.h"
#include "core/perf/cpu_frequency.h"
#include "system/raii.h"

namespace vantrel::ui {

class CpuUsageMonitor : public Window {
 public:
  bool Create(HWND parent, int id, const RECT& rect);
  void AddValues(int32_t usage) { trend_.Add(usage); }
  TrendChart& Trend() { return trend_; }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Layout();
  TrendChart trend_;
  Dpi dpi_;
};

class CpuFrequencyMonitor : public Window {
 public:
  bool Create(HWND parent, int id, const RECT& rect);
  void SetLimits(uint32_t mhz) { scale_.SetLimits(mhz); }
  // Shows mhz against the limit on the indicator (clamped to 0..100), adds that percentage to the chart and
  // writes the MHz text.
  void AddValues(uint32_t mhz);
  uint32_t Limit() const { return scale_.Limit(); }
  const std::wstring& LabelText() const { return label_; }
  LevelIndicator& Indicator() { return indicator_; }
  TrendChart& Trend() { return trend_; }
  void ApplyDpi(Dpi dpi);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Layout();
  RECT PanelRect() const;
  RECT LabelRect() const;
  FrequencyScale scale_;
  LevelIndicator indicator_;
  TrendChart trend_;
  std::wstring label_ = L"? MHz";
  Dpi dpi_;
  win::UniqueFont font_;
};

}  // namespace vantrel::ui
