#include "core/perf/monitor_grid.h"

#include <algorithm>

namespace vantrel {

MonitorGrid MakeMonitorGrid(uint32_t count, uint32_t perRow) {
  perRow = std::max<uint32_t>(perRow, 1);
  MonitorGrid g;
  g.Count = count;
  g.Columns = std::max<uint32_t>(std::min(count, perRow), 1);
  g.Rows = std::max<uint32_t>((count + perRow - 1) / perRow, 1);
  return g;
}

GridRect MonitorGrid::Cell(uint32_t index, int width, int height) const {
  const int64_t w = std::max(width, 0), h = std::max(height, 0);
  const int64_t c = ColumnOf(index), r = RowOf(index);
  // Edges at i × size / n: neighbours share an edge, so cells never overlap and together fill the area.
  return {static_cast<int>(c * w / Columns), static_cast<int>(r * h / Rows), static_cast<int>((c + 1) * w / Columns),
          static_cast<int>((r + 1) * h / Rows)};
}

}  // namespace vantrel
