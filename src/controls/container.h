// A plain child window that holds other controls and hands their messages to its owner.
#pragma once

#include <windows.h>

#include <functional>

#include "controls/window.h"

namespace vantrel::ui {

class Container : public Window {
 public:
  Container() = default;
  // Created hidden; WS_EX_CONTROLPARENT so that Tab moves through its children.
  bool Create(HWND parent, int id = 0);
  // Sees every message first; returns true when it handled it (result set).
  std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)> onMessage;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace vantrel::ui
