#include "controls/spin_edit.h"

#include <commctrl.h>

#include <algorithm>

namespace vantrel::ui {

bool SpinEdit::Create(HWND parent, int id, int minValue, int maxValue, int value, int step) {
  min_ = minValue;
  max_ = maxValue;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  edit_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_NUMBER | ES_RIGHT,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (!edit_) return false;
  updown_ = ::CreateWindowExW(0, UPDOWN_CLASSW, L"",
                              WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                              0, 0, 0, 0, parent, nullptr, instance, nullptr);
  if (!updown_) return false;
  ::SendMessageW(updown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
  ::SendMessageW(updown_, UDM_SETRANGE32, static_cast<WPARAM>(minValue), static_cast<LPARAM>(maxValue));
  UDACCEL accel{0, static_cast<UINT>(std::max(step, 1))};
  ::SendMessageW(updown_, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  ::SendMessageW(edit_, EM_SETLIMITTEXT, 7, 0);
  SetValue(value);
  return true;
}

int SpinEdit::Value() const {
  BOOL failed = FALSE;
  const int v = static_cast<int>(::SendMessageW(updown_, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
  return std::clamp(v, min_, max_);
}

void SpinEdit::SetValue(int value) {
  ::SendMessageW(updown_, UDM_SETPOS32, 0, std::clamp(value, min_, max_));
}

void SpinEdit::Move(int x, int y, int width, int height) {
  ::MoveWindow(edit_, x, y, width, height, TRUE);
  // Re-attach so the arrows follow the box.
  ::SendMessageW(updown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
}

void SpinEdit::Show(bool visible) {
  ::ShowWindow(edit_, visible ? SW_SHOW : SW_HIDE);
  ::ShowWindow(updown_, visible ? SW_SHOW : SW_HIDE);
}

}  // namespace vantrel::ui
