// The program menu's own items (new task, command-line help, about, exit) and the elevated copy of the program.
#pragma once

#include <windows.h>

#include <string>

#include "app/program_menu.h"

namespace vantrel::app {

struct ProgramIdentity {
  std::wstring title;
  std::wstring fileVersion;
  std::wstring copyright;
  HICON smallIcon = nullptr;  // not owned
};

void AddProgramCommands(ProgramMenu& menu, HWND mainWindow, const ProgramIdentity& identity);
// Starts the program again with administrative rights; the running copy closes once it started.
void RunElevatedCopy(HWND mainWindow);

}  // namespace vantrel::app
