// Whether a file system object can be changed only by administrators: the rule over its owner and its access list,
// kept apart from the reads so that any list can be judged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// Well-known accounts in their SID text form.
inline constexpr wchar_t kSidAdministrators[] = L"S-1-5-32-544";
inline constexpr wchar_t kSidLocalSystem[] = L"S-1-5-18";
inline constexpr wchar_t kSidTrustedInstaller[] = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
inline constexpr wchar_t kSidEveryone[] = L"S-1-1-0";

// One entry of a discretionary access list, in list order.
struct AccessEntry {
  bool Allow = true;         // false: a deny entry
  bool InheritOnly = false;  // applies only to objects created below, not to this one
  uint32_t Mask = 0;         // access rights, generic bits still unmapped
  std::wstring Sid;          // the trustee as SID text
};

struct ObjectSecurity {
  std::wstring OwnerSid;
  bool HasDacl = true;  // false: a null access list, which grants everyone everything
  std::vector<AccessEntry> Entries;
};

// The rights that let an account replace or redirect what the object holds: write data / add file, append / add
// folder, delete child, delete, WRITE_DAC and WRITE_OWNER, after mapping the generic rights as for files.
uint32_t ChangingRights(uint32_t mask);
bool IsTrustedAccount(const std::wstring& sid);
// The file itself and the folder that holds it, or a folder further up. Adding a new name to a folder further up
// displaces nothing below it (and every drive root lets users add folders), so there only the rights that reach
// what is already there count.
enum class AdminOnlyScope { FileOrItsFolder, FolderAbove };
// Owned by Administrators, SYSTEM or TrustedInstaller, and no allow entry for any other account grants a changing
// right that an earlier deny entry for the same account (or for Everyone) did not already take away.
bool IsAdminOnly(const ObjectSecurity& security, AdminOnlyScope scope = AdminOnlyScope::FileOrItsFolder);

}  // namespace vantrel
