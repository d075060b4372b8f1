// The small window shown while the main window is built or every page is refreshed.
#pragma once

#include <windows.h>

namespace vantrel::app {

// Hourglass cursor; creates the splash if there is none, shows it and paints it at once (the message loop
// may not run yet). Centred over the main window, or the screen while there is none.
void ShowSplash(HWND over = nullptr);
// Frees the splash, if any, and restores the default cursor.
void HideSplash();
// The splash window, or nullptr.
HWND SplashHandle();
// While a message box is up the splash steps aside, and comes back afterwards.
void SuspendSplash(bool suspended);

}  // namespace vantrel::app
