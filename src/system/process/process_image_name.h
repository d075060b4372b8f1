// The path of a process's image file, from the best source that answers.
#pragma once

#include <windows.h>

#include <string>

namespace vantrel {

// The path of the process's image: the system's record of it, else the main module, else the kernel's device path,
// else the name searched along the system path. Empty when none answers.
std::wstring ReadProcessImageName(HANDLE process, const std::wstring& name);

}  // namespace vantrel
