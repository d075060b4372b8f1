// Whether a process is one the system cannot live without: ending it stops the machine at once.
#pragma once

#include <windows.h>

namespace vantrel {

// Reads the break-on-termination flag through a handle already open (query rights). False when unknown.
bool IsCriticalProcess(HANDLE process);

}  // namespace vantrel
