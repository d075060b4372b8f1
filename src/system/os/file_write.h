// Writing a whole file so that a failure never leaves a truncated one: the bytes go to a temporary file in the
// target's folder, which then replaces the target.
#pragma once

#include <windows.h>

#include <string>

namespace vantrel {

// 0 on success, else the error of the call that failed; the earlier file is then untouched and no temporary file
// is left behind.
DWORD WriteFileReplacing(const std::wstring& path, const std::string& bytes);

}  // namespace vantrel
