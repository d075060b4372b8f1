#include "system/process/process_image_name.h"

#include <psapi.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "core/paths/paths.h"
#include "core/process/process_rules.h"
#include "core/text/str_utils.h"
#include "system/os/file_version.h"
#include "system/os/native_api.h"
#include "system/os/system_facts.h"
#include "system/process/native_process_layouts.h"
#include "system/process/process_query.h"

namespace vantrel {

using detail::kProcessImageFileName;

std::wstring ReadProcessImageName(HANDLE process, const std::wstring& name) {
  wchar_t buffer[MAX_PATH + 1] = {};
  // The system's own record of the image first: the module list would be read from the process's memory, a few
  // reads of another process each (about 5 ms a process under Wine), for the same path.
  if (const auto query = SystemEntryPoints().QueryFullProcessImageNameW) {
    DWORD size = MAX_PATH + 1;
    if (query(process, 0, buffer, &size)) {
      std::wstring s = TextUpToNul(buffer, std::min<size_t>(size, MAX_PATH + 1));
      if (!s.empty()) return s;
    }
  }
  std::fill(std::begin(buffer), std::end(buffer), L'\0');
  if (::GetModuleFileNameExW(process, nullptr, buffer, MAX_PATH + 1)) {
    std::wstring s = RemoveNtPathPrefix(TextUpToNul(buffer, MAX_PATH + 1));
    if (!s.empty()) return s;
  }
  {
    alignas(8) uint8_t raw[sizeof(NativeCountedString) + 1024] = {};
    const auto query = NativeApi().NtQueryInformationProcess;
    ULONG returned = 0;
    if (query && query(process, kProcessImageFileName, raw, sizeof raw, &returned) >= 0) {
      NativeCountedString str;
      std::memcpy(&str, raw, sizeof str);
      // The text must lie inside our own buffer, whatever the answer claims.
      const auto* begin = reinterpret_cast<const uint8_t*>(str.Buffer);
      if (str.Buffer && begin >= raw + sizeof str && begin + str.Length <= raw + sizeof raw) {
        std::wstring s(reinterpret_cast<const wchar_t*>(begin), str.Length / 2);
        const size_t first = s.find_first_not_of(L" \t\r\n");
        const size_t last = s.find_last_not_of(L" \t\r\n");
        s = first == std::wstring::npos ? std::wstring() : s.substr(first, last - first + 1);
        if (!s.empty()) return DevicePathToDosPrefix(s, SystemFacts().DriveMap);
      }
    }
  }
  if (!name.empty()) {
    wchar_t found[MAX_PATH + 1] = {};
    const std::wstring path = GetSearchPath();
    const DWORD n = ::SearchPathW(path.c_str(), name.c_str(), nullptr, MAX_PATH + 1, found, nullptr);
    if (n > 0 && n <= MAX_PATH) return std::wstring(found, n);
  }
  return {};
}

}  // namespace vantrel
