// The scrolling trend chart as data and geometry: a main and a base series of up to 200 slots, the value range
// (optionally following the largest stored value), the grid, and the picture of each of the five styles as plain
// shapes that the control paints. All products are taken in 64 bits and every step is at least 1.
#pragma once

#include "core/base/enum_index.h"
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/perf/level_indicator.h"  // RgbColor

namespace vantrel {

enum class TrendStyle { Bar, Line, Scatter, ThreeD, Filled };
enum class GridStyle { None, XGrid, YGrid, Full };
inline constexpr uint32_t kTrendPrintValues = 1u << 0;  // print each value as text
inline constexpr uint32_t kTrendDrawTwin = 1u << 1;     // draw the base series too

inline constexpr int kTrendSlots = 200;

RgbColor ShadeColor(RgbColor color, int delta);

struct TrendPoint {
  int X = 0, Y = 0;
};

// A filled rectangle (two corners, the second excluded) or a filled polygon of up to four points.
struct TrendShape {
  enum Kind { Rectangle, Polygon };
  Kind kind = Rectangle;
  RgbColor Pen = 0;
  RgbColor Fill = 0;
  std::array<TrendPoint, 4> Points{};
  int PointCount = 0;
};

struct TrendPolyline {
  RgbColor Pen = 0;
  std::vector<TrendPoint> Points;
};

struct TrendText {
  int X = 0, Y = 0;
  std::wstring Text;
};

struct TrendPicture {
  RgbColor Background = 0;
  RgbColor GridColor = 0;
  std::vector<int> GridX;              // vertical lines at these x, from the top to the bottom
  std::vector<int> GridY;              // horizontal lines at these y, across
  std::array<TrendPolyline, 2> Lines;  // the first LineCount are drawn
  int LineCount = 0;
  std::vector<TrendShape> Shapes;
  std::vector<TrendText> Texts;  // on the background colour
};

// Pixel sizes of the drawing surface, already scaled to the device.
struct TrendMetrics {
  int Width = 0, Height = 0;
  int Margin = 3;
  int Depth3dX = 10, Depth3dY = 10;
  int GridXstepPx = 10;  // the grid's x step in pixels
  int LabelHeight = 8;
  // The width of a label in pixels (the control measures with its font).
  std::function<int(const std::wstring&)> TextWidth;
};

class TrendModel {
 public:
  TrendModel();

  // Setters return whether the stored value changed (the control repaints only then).
  bool SetMinVal(int32_t v);
  bool SetMaxVal(int32_t v);
  bool SetDivisions(int32_t v);
  bool SetStyle(TrendStyle s);
  bool SetOptions(uint32_t o);
  bool SetGridStyle(GridStyle g);
  // Steps of 0 or less are ignored. The x step is in design pixels (the control scales it into the metrics and
  // drawing clamps it to 1..width); the y step is in value units.
  bool SetGridXstep(int32_t v);
  bool SetGridYstep(int32_t v);
  bool SetAutoScale(bool on);
  bool SetColor(RgbColor c);
  bool SetColorBase(RgbColor c);
  bool SetBackGroundColor(RgbColor c);
  bool SetGridColor(RgbColor c);

  int32_t MinVal() const { return min_; }
  int32_t MaxVal() const { return max_; }
  int32_t Divisions() const { return divisions_; }
  TrendStyle Style() const { return style_; }
  uint32_t Options() const { return options_; }
  vantrel::GridStyle GridStyle() const { return gridStyle_; }
  int32_t GridXstep() const { return gridX_; }
  int32_t GridYstep() const { return gridY_; }
  bool AutoScale() const { return autoScale_; }
  RgbColor Color() const { return color_; }
  RgbColor ColorBase() const { return colorBase_; }
  RgbColor BackGroundColor() const { return background_; }
  RgbColor GridColor() const { return gridColor_; }

  void Add(int32_t value) { Push(vals_, value); }
  void AddBase(int32_t value) { Push(baseVals_, value); }
  void Clear();
  void ClearBase();
  int32_t Get(int index) const { return index >= 0 && index < kTrendSlots ? vals_[index] : 0; }
  int32_t GetBase(int index) const { return index >= 0 && index < kTrendSlots ? baseVals_[index] : 0; }

  // The picture for a surface; `out` is rebuilt (its vectors keep their capacity).
  void Draw(const TrendMetrics& m, TrendPicture& out) const;

 private:
  void Push(std::array<int32_t, kTrendSlots>& series, int32_t value);
  void UpdateAutoScale(int32_t value);
  int Y(int32_t v, int height, int margin) const;  // measured upwards from the bottom
  void DrawGrid(const TrendMetrics& m, TrendPicture& out) const;
  void DrawLine(const TrendMetrics& m, double s, TrendPicture& out) const;
  void DrawBars(const TrendMetrics& m, double s, TrendPicture& out) const;
  void DrawScatter(const TrendMetrics& m, double s, TrendPicture& out) const;
  void DrawFilled(const TrendMetrics& m, double s, TrendPicture& out) const;
  void Draw3D(const TrendMetrics& m, double s, TrendPicture& out) const;
  void Polyline(const std::array<int32_t, kTrendSlots>& series, RgbColor pen, const TrendMetrics& m, double s,
                TrendPicture& out) const;

  std::array<int32_t, kTrendSlots> vals_{};
  std::array<int32_t, kTrendSlots> baseVals_{};
  int32_t divisions_ = 20;
  int32_t min_ = 0, max_ = 100;
  TrendStyle style_ = TrendStyle::Bar;
  uint32_t options_ = 0;
  RgbColor color_ = 0x0000FF;
  RgbColor colorBase_ = 0xFFFF00;
  RgbColor background_ = 0xFFFFFF;
  vantrel::GridStyle gridStyle_ = vantrel::GridStyle::Full;
  RgbColor gridColor_ = 0xC0C0C0;
  int32_t gridX_ = 10, gridY_ = 10;
  bool autoScale_ = false;
};

}  // namespace vantrel
