// Reading the startup entries from the registry (64-bit and 32-bit views) and the two startup folders, and
// removing chosen entries where they were read.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/startup/autorun.h"

namespace vantrel {

struct AutorunScanOptions {
  std::wstring Filter;
  // Icon indexes in the system image list: the default of an entry, registry groups, the browser-helper group.
  int AppIcon = 0;
  int RegistryIcon = 0;
  int BrowserIcon = 0;
  // Version, size and icon of each entry's file.
  bool ReadFileDetails = true;
};

struct AutorunScan {
  std::vector<AutorunGroup> Groups;    // the browser-helper group first
  std::vector<std::wstring> LogLines;  // "RefreshAutoruns[...]: ...", "ResolveLink[...]: ..."
};

// HKLM\System, HKLM\Software (64-bit view), HKLM\Software\Wow6432Node (the 32-bit view), HKCU\Software, then the
// common and the user's startup folders. Every key is opened read-only in the 64-bit view.
AutorunScan ReadAutoruns(const AutorunScanOptions& options);

struct AutorunRemovalOutcome {
  std::wstring Name;
  bool Ok = false;
  DWORD Error = 0;       // the failing call's error code
  bool Changed = false;  // no longer what was read: nothing deleted
};
// Deletes the value or file of each entry, each in the view it was read from, only when it still is what the scan
// read (the value's type and data; the file's size and last-write time); a failure does not stop the rest.
// Entries without a check box are refused (ERROR_ACCESS_DENIED) and left alone. Files go by their "\\?\" path.
std::vector<AutorunRemovalOutcome> RemoveAutoruns(const std::vector<AutorunRecord>& entries);

}  // namespace vantrel
