// The "关机" submenu of the program menu and the tray menu: each item asks with the message boxes, then runs its
// session or power action through the environment's platform.
#pragma once

#include <windows.h>

#include "app/frame/program_menu.h"
#include "app/startup_environment.h"
#include "app/features/tray_icon.h"

namespace vantrel::app {

// Inserts the submenu (and a separator after it) before the load display's item of both menus.
void AddPowerMenu(ProgramMenu& menu, TrayIcon& tray, HWND mainWindow, const StartupEnvironment& env);

}  // namespace vantrel::app
