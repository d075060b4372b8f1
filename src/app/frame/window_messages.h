// Every private message of the program's windows, in one place so that no two collide.
#pragma once

#include <windows.h>

namespace vantrel::app {

// Results that worker threads handed over are waiting to run on the window thread.
constexpr UINT kRunHandedOverWork = WM_APP + 1;
// The tray icon's notifications.
constexpr UINT kTrayIconMessage = WM_APP + 2;
// A refresh asked for while another one ran: run it now that the lists are free.
constexpr UINT kRunDeferredRefresh = WM_APP + 3;

}  // namespace vantrel::app
