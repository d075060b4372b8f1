// The name-filter box: an edit with an empty-text hint, a left button (apply) and a right button (clear).
// Commands reach the parent as WM_COMMAND with this control's id and one of the notifications below.
#pragma once

#include <windows.h>

#include <string>

namespace vantrel::ui {

class FilterEdit {
 public:
  static constexpr WORD kApply = 0x7001;  // Enter without modifiers, or the left button
  static constexpr WORD kClear = 0x7002;  // the right button: the text was emptied and the box focused

  bool Create(HWND parent, int id, const std::wstring& hint);
  HWND edit() const { return edit_; }
  HWND applyButton() const { return apply_; }
  HWND clearButton() const { return clear_; }
  std::wstring Text() const;
  void SetText(const std::wstring& text);
  void Move(int x, int y, int width, int height);
  void Show(bool visible);
  void SetFont(HFONT font);
  // The right button's action: empties the box, focuses it and tells the parent.
  void ClickClear();
  void ClickApply();

 private:
  static LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  static LRESULT CALLBACK HostProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  void Notify(WORD code);

  HWND parent_ = nullptr;
  HWND host_ = nullptr;  // a small frame that holds the three parts
  HWND edit_ = nullptr;
  HWND apply_ = nullptr;
  HWND clear_ = nullptr;
  int id_ = 0;
};

}  // namespace vantrel::ui
