// The program block: single instance, switches, splash, main window, message loop.
#pragma once

namespace vantrel::app {

// Runs the program for a command line (as GetCommandLineW gives it) and returns the process exit code.
int RunProgram(const wchar_t* commandLine, int showCommand);

}  // namespace vantrel::app
