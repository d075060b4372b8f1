// Where a snapshot goes. Started as the task-manager replacement, the program's current directory is the system
// folder: a picture written there would land among the system's files, so it goes to the user's pictures instead.
#pragma once

#include <string>

namespace vantrel {

// configured when not empty; else the user's pictures folder when the current directory is the system or the
// Windows folder (and that folder is known); else "" (the current directory).
std::wstring ResolveSnapshotFolder(const std::wstring& configured);

}  // namespace vantrel
