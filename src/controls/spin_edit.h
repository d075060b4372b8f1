// A spin edit: a number box with up/down arrows, a range and a step. The parent gets EN_CHANGE from the
// edit (with this control's id) whenever the value changes.
#pragma once

#include <windows.h>

namespace vantrel::ui {

class SpinEdit {
 public:
  bool Create(HWND parent, int id, int minValue, int maxValue, int value, int step = 1);
  HWND edit() const { return edit_; }
  HWND updown() const { return updown_; }
  // The value in the box, clamped to the range; a box left empty or invalid reads as the last valid value.
  int Value() const;
  void SetValue(int value);
  void Move(int x, int y, int width, int height);
  void Show(bool visible);

 private:
  HWND edit_ = nullptr;
  HWND updown_ = nullptr;
  int min_ = 0, max_ = 100;
};

}  // namespace vantrel::ui
