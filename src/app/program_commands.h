// The program menu's own items (new task, command-line help, about, exit) and the elevated copy of the program.
#pragma once

#include <windows.h>

#include <string>

#include "app/program_menu.h"
#include "app/tray_icon.h"

namespace vantrel::app {

struct ProgramIdentity {
  std::wstring title;
  std::wstring fileVersion;
  std::wstring copyright;
  HICON smallIcon = nullptr;  // not owned
};

// The items of the program menu and the tray menu that belong to no feature of their own.
void AddProgramCommands(ProgramMenu& menu, TrayIcon& tray, HWND mainWindow, const ProgramIdentity& identity);
// Starts the program again with administrative rights; the running copy closes once it started.
void RunElevatedCopy(HWND mainWindow);

}  // namespace vantrel::app
