// Program entry. Everything it does lives in program.cpp so that tests can run the same sequence.
#include <windows.h>

#include "app/program.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  // Before anything can load a library: only the system folder is searched, never the program's folder or the
  // current one, where anyone who can write there could place a DLL of a system library's name.
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  return vantrel::app::RunProgram(::GetCommandLineW(), showCommand);
}
