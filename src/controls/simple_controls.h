// Small input controls of the window's top row: an on/off switch, a spin edit and a name-filter edit with a
// button at each end. Each wraps standard controls (button, edit, up-down), so keyboard use and screen readers
// work as with those.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "controls/dpi.h"
#include "controls/window.h"
#include "system/raii.h"

namespace vantrel::ui {

// A two-state switch drawn as a sliding knob with the state's text ("开" / "关" by default).
class OnOffSwitch : public Window {
 public:
  bool Create(HWND parent, int id, const RECT& rect, bool on = false, std::wstring onText = L"开",
              std::wstring offText = L"关");
  bool On() const { return on_; }
  void SetOn(bool on);  // no onChanged: only the user's toggle reports
  void Toggle();        // as a click: changes the state and runs onChanged
  HWND buttonHwnd() const { return button_; }
  // What assistive technology calls the check box: the label beside it.
  void SetAccessibleName(const std::wstring& label);
  void ApplyDpi(Dpi dpi);
  std::function<void(bool on)> onChanged;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Draw(HDC dc, const RECT& rc, bool enabled, bool focused);
  HWND button_ = nullptr;
  bool on_ = false;
  std::wstring onText_, offText_;
  Dpi dpi_;
  win::UniqueFont font_;
};

// An edit for a whole number in a range, with up/down arrows that step it.
class SpinBox : public Window {
 public:
  bool Create(HWND parent, int id, const RECT& rect, int minValue, int maxValue, int value, int step = 1);
  int Value() const { return value_; }
  void SetValue(int value);  // clamped to the range; no onChanged
  int Min() const { return min_; }
  int Max() const { return max_; }
  HWND editHwnd() const { return edit_; }
  HWND upDownHwnd() const { return updown_; }
  void ApplyDpi(Dpi dpi);
  std::function<void(int value)> onChanged;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Layout();
  void ReadEdit(bool fix);
  HWND edit_ = nullptr;
  HWND updown_ = nullptr;
  int min_ = 0, max_ = 100, value_ = 0, step_ = 1;
  bool updating_ = false;
  Dpi dpi_;
  win::UniqueFont font_;
};

// An edit with a hint shown while it is empty, a left button (runs onLeftButton, like Enter) and a right button
// that clears the text, puts the focus into the edit and runs onRightButton.
class FilterBox : public Window {
 public:
  bool Create(HWND parent, int id, const RECT& rect, const std::wstring& hint);
  std::wstring Text() const;
  void SetText(const std::wstring& text);
  HWND editHwnd() const { return edit_; }
  HWND leftButtonHwnd() const { return left_; }
  HWND rightButtonHwnd() const { return right_; }
  void ApplyDpi(Dpi dpi);
  std::function<void()> onLeftButton;
  std::function<void()> onRightButton;
  std::function<void()> onEnter;  // Enter with no modifier key

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR ref);
  void Layout();
  void DrawButton(const DRAWITEMSTRUCT& dis);
  HWND edit_ = nullptr;
  HWND left_ = nullptr;
  HWND right_ = nullptr;
  Dpi dpi_;
  win::UniqueFont font_;
};

}  // namespace vantrel::ui
