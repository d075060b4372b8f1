#include "app/frame/control_hints.h"

#include <commctrl.h>

#include <iterator>

namespace vantrel::app {

ControlHints::~ControlHints() {
  if (tooltip_) ::DestroyWindow(tooltip_);
}

void ControlHints::Add(HWND owner, HWND control, const std::wstring& hint) {
  if (!control) return;
  if (!tooltip_)
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
  if (!tooltip_) return;
  owner_ = owner;
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = owner;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = const_cast<wchar_t*>(hint.c_str());  // copied by the control
  ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

std::wstring ControlHints::HintOf(HWND control) const {
  if (!tooltip_ || !control) return {};
  wchar_t text[256] = {};
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.hwnd = owner_;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = text;
  ::SendMessageW(tooltip_, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&ti));
  return text;
}

}  // namespace vantrel::app
