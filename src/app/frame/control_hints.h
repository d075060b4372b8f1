// Hints (tooltips) of plain child controls of the main window: the application icon, the interval box.
#pragma once

#include <windows.h>

#include <string>

namespace vantrel::app {

class ControlHints {
 public:
  ControlHints() = default;
  ~ControlHints();
  ControlHints(const ControlHints&) = delete;
  ControlHints& operator=(const ControlHints&) = delete;

  // The tooltip window is made on the first Add; a control that takes no mouse messages needs SS_NOTIFY or the like.
  void Add(HWND owner, HWND control, const std::wstring& hint);
  // The hint a control shows; empty when it has none.
  std::wstring HintOf(HWND control) const;

 private:
  HWND tooltip_ = nullptr;
  HWND owner_ = nullptr;
};

}  // namespace vantrel::app
