// Program entry. Everything it does lives in program.cpp so that tests can run the same sequence.
#include <windows.h>

#include "app/program.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  return vantrel::app::RunProgram(::GetCommandLineW(), showCommand);
}
