// The modules loaded into a process, read from a Toolhelp module snapshot (32- and 64-bit modules alike), one row
// per file, with version information.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/process/module_records.h"

namespace vantrel {

struct ModuleList {
  // This build cannot enumerate the target's modules at all (a 32-bit build looking at a 64-bit process).
  bool Impossible = false;
  std::vector<ModuleRecord> Modules;  // snapshot order, each file once
};

// Whether this build can list the modules of a process of that bitness.
bool CanListModules(bool targetIs64bit);
// The modules of PID; an empty list when the snapshot fails (access denied, the process gone). Without file facts
// no module file is opened (a search wants the paths only).
ModuleList ReadModules(uint32_t pid, bool targetIs64bit, bool withFileFacts = true);

}  // namespace vantrel
