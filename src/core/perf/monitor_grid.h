// Where the per-processor monitor frames go: a grid of at most `perRow` columns filled row by row, every cell of
// equal share; cells are whole pixels that tile the area without overlap.
#pragma once

#include <cstdint>

namespace vantrel {

struct GridRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

inline constexpr uint32_t kUsageFramesPerRow = 8;
inline constexpr uint32_t kFrequencyFramesPerRow = 4;

struct MonitorGrid {
  uint32_t Count = 0;
  uint32_t Columns = 1;  // min(count, perRow), at least 1
  uint32_t Rows = 1;     // count / perRow rounded up, at least 1

  uint32_t ColumnOf(uint32_t index) const { return index % Columns; }
  uint32_t RowOf(uint32_t index) const { return index / Columns; }
  // The cell of frame `index` inside an area of width × height pixels.
  GridRect Cell(uint32_t index, int width, int height) const;
  // Each column's and row's share of the area, in percent.
  double ColumnPercent() const { return 100.0 / Columns; }
  double RowPercent() const { return 100.0 / Rows; }
};

MonitorGrid MakeMonitorGrid(uint32_t count, uint32_t perRow);

}  // namespace vantrel
