// The task-manager replacement: the "Debugger" value under taskmgr.exe's image-execution options, always in the
// 64-bit registry view (read and written alike).
#pragma once

#include <windows.h>

#include <string>

namespace vantrel {

inline constexpr wchar_t kTaskmgrOptionsKey[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\taskmgr.exe";
inline constexpr wchar_t kDebuggerValue[] = L"Debugger";

// The program the system starts for taskmgr.exe: the value without its enclosing quotes, or "taskmgr.exe" when
// the key or the value is missing.
std::wstring GetTaskManagerReplacement(const wchar_t* keyPath = kTaskmgrOptionsKey);
// Whether the value names exePath (the action's check mark).
bool IsTaskManagerReplaced(const std::wstring& exePath, const wchar_t* keyPath = kTaskmgrOptionsKey);
// Writes (on) or deletes (off) the "Debugger" value only; never creates the key. ERROR_SUCCESS or the failing
// call's error (a missing key: ERROR_FILE_NOT_FOUND; a standard user: ERROR_ACCESS_DENIED). Turning off when the
// value is already absent succeeds.
LSTATUS SetTaskManagerReplacement(bool on, const std::wstring& exePath, const wchar_t* keyPath = kTaskmgrOptionsKey);

}  // namespace vantrel
