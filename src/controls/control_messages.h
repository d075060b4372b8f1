// Every private message the controls send to themselves, in one place. They live in the upper part of the WM_APP
// range so that they never meet the program's own (app/frame/window_messages.h, from WM_APP + 1 up).
#pragma once

#include <windows.h>

namespace vantrel::ui {

// The grid's rows changed outside BeginUpdate/EndUpdate: rebuild the list view once the handler returns.
constexpr UINT kTreeGridFlush = WM_APP + 0x41;

}  // namespace vantrel::ui
