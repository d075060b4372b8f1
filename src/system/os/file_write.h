// Writing a whole file so that a failure never leaves a truncated one: the bytes go to a temporary file in the
// target's folder, which then replaces the target. Every name goes through its extended-length form, so a folder
// deeper than the classic path limit works too.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace vantrel {

// The full, extended-length form of path ("\\?\C:\...", "\\?\UNC\server\share\..."); 0 or the failing call's
// error (never 0 for a failure).
DWORD LongPathForm(const std::wstring& path, std::wstring& longPath);

// Writes bytes into a new file of a fresh name in folder (extended-length form, ending in a backslash or not);
// its name in tempPath. On failure nothing is left behind and the failing call's error is returned, never 0.
DWORD WriteTemporaryFile(const std::wstring& folder, const void* bytes, size_t size, std::wstring& tempPath);

// 0 on success, else the error of the call that failed (never 0, whatever the thread's last error was before);
// the earlier file is then untouched and no temporary file is left behind.
DWORD WriteFileReplacing(const std::wstring& path, const std::string& bytes);

}  // namespace vantrel
