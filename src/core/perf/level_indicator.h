// The level meter's picture: stacked rows of two short strips each (a gap at the centre, a margin at each side),
// lit from the bottom up to the position.
#pragma once

#include <cstdint>
#include <vector>

namespace vantrel {

using RgbColor = uint32_t;  // red in the low byte

struct IndicatorStrip {
  int Y = 0;      // pixel row
  int Left = 0;   // first pixel
  int Right = 0;  // one past the last pixel
  bool Lit = false;
};

class IndicatorModel {
 public:
  // Clamps to 0..100; true when the stored value changed.
  bool SetPosition(int32_t value);
  int32_t Position() const { return position_; }
  void SetForeground(RgbColor c) { foreground_ = c; }
  RgbColor Foreground() const { return foreground_; }
  // The colour of unlit rows: every byte of the foreground halved.
  RgbColor Shadow() const { return (foreground_ >> 1) & 0x7F7F7F7Fu; }

  // N = height / 3 - 2 is the lowest row; rows first..N are lit, first = Round(N / 100 × (100 - Position)).
  static int LowestRow(int height) { return height / 3 - 2; }
  int FirstLitRow(int height) const;
  // The strips of a width × height meter into `out` (cleared; capacity kept). Nothing when the meter is too low.
  void Strips(int width, int height, std::vector<IndicatorStrip>& out) const;

 private:
  int32_t position_ = 0;
  RgbColor foreground_ = 0x00FF00;
};

}  // namespace vantrel
