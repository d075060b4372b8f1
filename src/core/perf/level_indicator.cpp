#include "core/perf/level_indicator.h"

#include <algorithm>

#include "core/perf/cpu_load.h"

namespace vantrel {

bool IndicatorModel::SetPosition(int32_t value) {
  value = std::clamp(value, 0, 100);
  if (value == position_) return false;
  position_ = value;
  return true;
}

int IndicatorModel::FirstLitRow(int height) const {
  return RoundHalfEven(static_cast<double>(LowestRow(height)) / 100.0 * (100 - position_));
}

void IndicatorModel::Strips(int width, int height, std::vector<IndicatorStrip>& out) const {
  out.clear();
  const int n = LowestRow(height);
  if (n < 0) return;
  const int first = FirstLitRow(height), half = width / 2;
  for (int i = 0; i <= n; ++i) {
    const bool lit = i >= first;
    for (int y : {3 * i + 2, 3 * i + 3}) {
      // Lines from (half - 1) to 4 and from (half + 1) to width - 5, end points excluded.
      if (half - 1 > 4) out.push_back({y, 5, half, lit});
      if (width - 5 > half + 1) out.push_back({y, half + 1, width - 5, lit});
    }
  }
}

}  // namespace vantrel
