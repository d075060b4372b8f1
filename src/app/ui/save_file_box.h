#pragma once

#include <windows.h>
#include <commdlg.h>

namespace vantrel {

// GetSaveFileNameW with comdlg32 loaded on the first save, never at start-up. False when the box was cancelled or,
// after an error box that says so, when comdlg32 cannot be loaded.
bool ShowSaveFileBox(OPENFILENAMEW& ofn);

}  // namespace vantrel
