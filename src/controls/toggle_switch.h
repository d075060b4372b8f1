// An on/off switch: a button that flips its state on click (or Space) and shows one of two texts.
// The parent gets BN_CLICKED after the state changed.
#pragma once

#include <windows.h>

#include <string>

#include "controls/window.h"
#include "system/raii.h"

namespace vantrel::ui {

class ToggleSwitch : public Window {
 public:
  bool Create(HWND parent, int id, std::wstring onText = L"开", std::wstring offText = L"关");
  bool Checked() const { return checked_; }
  // Sets the state without notifying the parent.
  void SetChecked(bool checked);
  void SetFont(HFONT font);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HDC dc, const RECT& rc) const;
  void Toggle();

  std::wstring onText_, offText_;
  bool checked_ = false;
  bool pressed_ = false;
  HFONT font_ = nullptr;
};

}  // namespace vantrel::ui
