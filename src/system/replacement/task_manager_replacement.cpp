#include "system/replacement/task_manager_replacement.h"

#include <vector>

#include "core/paths/paths.h"
#include "core/shell/task_manager_replacement.h"
#include "system/raii.h"

namespace vantrel {
namespace {

constexpr DWORD kMaxValueBytes = 64 * 1024;  // a command line; a longer value is not ours

}  // namespace

std::wstring GetTaskManagerReplacement(const wchar_t* keyPath) {
  win::UniqueRegKey key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS)
    return L"taskmgr.exe";
  DWORD type = 0, bytes = 0;
  if (::RegQueryValueExW(key.get(), kDebuggerValue, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || bytes > kMaxValueBytes)
    return L"taskmgr.exe";
  std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
  if (::RegQueryValueExW(key.get(), kDebuggerValue, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) !=
      ERROR_SUCCESS)
    return L"taskmgr.exe";
  std::wstring value(buffer.data(), wcsnlen(buffer.data(), bytes / sizeof(wchar_t)));
  return Dequote(value, L'"');
}

bool IsTaskManagerReplaced(const std::wstring& exePath, const wchar_t* keyPath) {
  return IsReplacementOf(GetTaskManagerReplacement(keyPath), exePath);
}

LSTATUS SetTaskManagerReplacement(bool on, const std::wstring& exePath, const wchar_t* keyPath) {
  win::UniqueRegKey key;
  LSTATUS status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, key.put());
  if (status != ERROR_SUCCESS) return status;
  if (!on) {
    status = ::RegDeleteValueW(key.get(), kDebuggerValue);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
  }
  const std::wstring value = ReplacementDebuggerValue(exePath);
  return ::RegSetValueExW(key.get(), kDebuggerValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace vantrel
