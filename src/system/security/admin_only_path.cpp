#include "system/security/admin_only_path.h"

#include <aclapi.h>
#include <sddl.h>

#include <cwctype>
#include <vector>

#include "system/raii.h"

namespace vantrel {
namespace {

struct LocalMemory {
  void* p = nullptr;
  ~LocalMemory() {
    if (p) ::LocalFree(p);
  }
};

std::wstring SidText(PSID sid) {
  LocalMemory text;
  if (!sid || !::ConvertSidToStringSidW(sid, reinterpret_cast<LPWSTR*>(&text.p))) return L"";
  return static_cast<const wchar_t*>(text.p);
}

// The path with every link and junction resolved, in the plain drive form; empty when it cannot be opened.
std::wstring FinalPath(const std::wstring& path) {
  win::UniqueHandle file(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return L"";
  std::wstring out(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetFinalPathNameByHandleW(file.get(), out.data(), static_cast<DWORD>(out.size()),
                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return L"";
    if (n < out.size()) {
      out.resize(n);
      break;
    }
    out.resize(n + 1);
  }
  if (out.rfind(L"\\\\?\\", 0) == 0 && FullPathDriveLetter(out) != 0) out.erase(0, 4);
  return out;
}

}  // namespace

DriveKind DriveKindOf(wchar_t letter) {
  const wchar_t device[] = {letter, L':', L'\0'};
  wchar_t target[MAX_PATH] = {};
  if (::QueryDosDeviceW(device, target, MAX_PATH) && std::wstring(target).rfind(L"\\??\\", 0) == 0)
    return DriveKind::Substituted;
  const wchar_t root[] = {letter, L':', L'\\', L'\0'};
  switch (::GetDriveTypeW(root)) {
    case DRIVE_FIXED: return DriveKind::Fixed;
    case DRIVE_REMOTE: return DriveKind::Remote;
    case DRIVE_REMOVABLE: return DriveKind::Removable;
    case DRIVE_CDROM: return DriveKind::CdRom;
    case DRIVE_RAMDISK: return DriveKind::RamDisk;
    default: return DriveKind::Missing;
  }
}

bool IsLocalFixedPath(const std::wstring& path) { return IsLocalFixedPath(path, DriveKindOf); }

bool DriveKindsOfOneRead::IsLocalFixedPath(const std::wstring& path) {
  return vantrel::IsLocalFixedPath(path, [this](wchar_t letter) { return KindOf(letter); });
}

DriveKind DriveKindsOfOneRead::KindOf(wchar_t letter) {
  const auto [it, added] = kinds_.try_emplace(static_cast<wchar_t>(std::towupper(letter)), DriveKind::Missing);
  if (added) it->second = DriveKindOf(letter);
  return it->second;
}

bool ReadObjectSecurity(const std::wstring& path, ObjectSecurity& security) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  LocalMemory descriptor;
  if (::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, nullptr, &dacl, nullptr,
                              reinterpret_cast<PSECURITY_DESCRIPTOR*>(&descriptor.p)) != ERROR_SUCCESS)
    return false;
  security = {};
  security.OwnerSid = SidText(owner);
  security.HasDacl = dacl != nullptr;
  if (!dacl) return true;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* raw = nullptr;
    if (!::GetAce(dacl, i, &raw)) return false;
    const auto* header = static_cast<const ACE_HEADER*>(raw);
    AccessEntry entry;
    entry.InheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
    if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE) {
      const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(raw);
      entry.Allow = header->AceType == ACCESS_ALLOWED_ACE_TYPE;
      entry.Mask = ace->Mask;
      entry.Sid = SidText(const_cast<DWORD*>(&ace->SidStart));
    } else if (header->AceType == SYSTEM_MANDATORY_LABEL_ACE_TYPE || header->AceType == SYSTEM_AUDIT_ACE_TYPE) {
      continue;
    } else {
      // An entry this rule does not know (conditional, object, callback) may grant anything.
      entry.Allow = true;
      entry.Mask = GENERIC_ALL;
      entry.Sid = kSidEveryone;
    }
    security.Entries.push_back(std::move(entry));
  }
  return true;
}

bool IsAdminOnlyPath(const std::wstring& path) {
  if (!IsLocalFixedPath(path)) return false;
  std::wstring current = FinalPath(path);
  if (!IsLocalFixedPath(current)) return false;
  for (int level = 0;; ++level) {
    ObjectSecurity security;
    if (!ReadObjectSecurity(current, security) ||
        !IsAdminOnly(security, level < 2 ? AdminOnlyScope::FileOrItsFolder : AdminOnlyScope::FolderAbove))
      return false;
    const size_t slash = current.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash < 2) return false;
    if (slash == 2) {  // "C:\": the root was the last one
      if (current.size() == 3) return true;
      current.resize(3);
    } else {
      current.resize(slash);
    }
  }
}

}  // namespace vantrel
