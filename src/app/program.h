// The program block: single instance, switches, splash, main window, message loop.
#pragma once

#include <windows.h>

namespace vantrel::app {

class MainWindow;

// Runs the program for a command line (as GetCommandLineW gives it) and returns the process exit code.
int RunProgram(const wchar_t* commandLine, int showCommand);

// One message of the loop: the main window sees key strokes first, then the usual translation and dispatch.
void DispatchProgramMessage(MainWindow* main, MSG& msg);

}  // namespace vantrel::app
