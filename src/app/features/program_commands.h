// The program menu's own items (new task, command-line help, about, exit) and the elevated copy of the program.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/frame/program_menu.h"
#include "app/single_instance.h"
#include "app/features/tray_icon.h"

namespace vantrel::app {

struct ProgramIdentity {
  std::wstring title;
  std::wstring fileVersion;
  std::wstring copyright;
  HICON smallIcon = nullptr;  // not owned
};

// The items of the program menu and the tray menu that belong to no feature of their own.
void AddProgramCommands(ProgramMenu& menu, TrayIcon& tray, HWND mainWindow, const ProgramIdentity& identity);
// Starts the program again with administrative rights through startCopy. The running instance lets go of its lock
// and hides first, so that the copy starts as the one instance; it closes once the copy started, and otherwise
// takes the lock back and shows itself again.
void RunElevatedCopy(HWND mainWindow, SingleInstance* instance,
                     const std::function<bool(HWND, const std::wstring&)>& startCopy);

}  // namespace vantrel::app
