#include "system/process/module_list.h"

#include <tlhelp32.h>

#include "system/os/file_version.h"
#include "system/security/admin_only_path.h"
#include "system/os/system_facts.h"
#include "system/raii.h"

namespace vantrel {
namespace {

std::wstring SearchWindowsFolders(const std::wstring& name) {
  const std::wstring path = GetSearchPath();
  wchar_t found[MAX_PATH];
  const DWORD n = ::SearchPathW(path.c_str(), name.c_str(), nullptr, MAX_PATH, found, nullptr);
  if (n == 0 || n >= MAX_PATH) return {};
  wchar_t full[MAX_PATH];
  const DWORD m = ::GetFullPathNameW(found, MAX_PATH, full, nullptr);
  return m == 0 || m >= MAX_PATH ? std::wstring(found) : std::wstring(full, m);
}

void ReadFileFacts(ModuleRecord& r) {
  if (IsLocalFixedPath(r.ImageName) && FileExists(r.ImageName)) {
    VersionInfo vi;
    if (GetFileVerInfo(r.ImageName, vi)) {
      r.Desc = vi.Description;
      r.Company = vi.CompanyName;
      r.Version = vi.FileVersion;
      r.Copyright = vi.Copyright;
    }
    const int64_t size = GetFileSize(r.ImageName);
    r.Size = size < 0 ? 0 : size;
  }
}

}  // namespace

bool CanListModules(bool targetIs64bit) { return sizeof(void*) == 8 || !targetIs64bit || !SystemFacts().Is64BitOS; }

ModuleList ReadModules(uint32_t pid, bool targetIs64bit, bool withFileFacts) {
  ModuleList list;
  if (!CanListModules(targetIs64bit)) {
    list.Impossible = true;
    return list;
  }
  // A module snapshot of PID 0 lists the caller's own modules; the idle process has none.
  if (pid == 0) return list;
  win::UniqueFileHandle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid));
  if (!snap) return list;
  const ModulePathRepair repair{
      [](const std::wstring& p) { return FileExists(p); },
      [](const std::wstring& p) { return ExpandEnvVars(p, true); },
      SearchWindowsFolders,
  };
  ModuleDeduplicator dedup;
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = ::Module32FirstW(snap.get(), &entry); ok; ok = ::Module32NextW(snap.get(), &entry)) {
    ModuleRecord r;
    r.Name = entry.szModule;
    r.ImageName = RepairModulePath(entry.szExePath, repair);
    r.BaseAddress = reinterpret_cast<uintptr_t>(entry.modBaseAddr);
    r.ImageSize = entry.modBaseSize;
    // The repaired path decides "the same file"; a path that could not be repaired stands for itself.
    if (dedup.FirstTime(r.ImageName.empty() ? std::wstring(entry.szExePath) : r.ImageName)) {
      if (withFileFacts) ReadFileFacts(r);
      list.Modules.push_back(std::move(r));
    }
    entry.dwSize = sizeof entry;
  }
  return list;
}

}  // namespace vantrel
