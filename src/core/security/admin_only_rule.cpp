#include "core/security/admin_only_rule.h"

#include <map>

namespace vantrel {
namespace {

// File access rights (winnt.h values).
constexpr uint32_t kWriteData = 0x0002;   // also add file
constexpr uint32_t kAppendData = 0x0004;  // also add subfolder
constexpr uint32_t kWriteEa = 0x0010;
constexpr uint32_t kDeleteChild = 0x0040;
constexpr uint32_t kWriteAttributes = 0x0100;
constexpr uint32_t kDelete = 0x00010000;
constexpr uint32_t kReadControl = 0x00020000;
constexpr uint32_t kWriteDac = 0x00040000;
constexpr uint32_t kWriteOwner = 0x00080000;
constexpr uint32_t kSynchronize = 0x00100000;
constexpr uint32_t kGenericAll = 0x10000000;
constexpr uint32_t kGenericWrite = 0x40000000;

constexpr uint32_t kFileAllAccess = 0x001F01FF;
constexpr uint32_t kFileGenericWrite =
    kReadControl | kWriteData | kAppendData | kWriteEa | kWriteAttributes | kSynchronize;
constexpr uint32_t kChanging = kWriteData | kAppendData | kDeleteChild | kDelete | kWriteDac | kWriteOwner;

}  // namespace

uint32_t ChangingRights(uint32_t mask) {
  if (mask & kGenericAll) mask |= kFileAllAccess;
  if (mask & kGenericWrite) mask |= kFileGenericWrite;
  return mask & kChanging;
}

bool IsTrustedAccount(const std::wstring& sid) {
  return sid == kSidAdministrators || sid == kSidLocalSystem || sid == kSidTrustedInstaller;
}

bool IsAdminOnly(const ObjectSecurity& security, AdminOnlyScope scope) {
  const uint32_t counted = scope == AdminOnlyScope::FolderAbove ? kChanging & ~(kWriteData | kAppendData) : kChanging;
  if (!IsTrustedAccount(security.OwnerSid) || !security.HasDacl) return false;
  std::map<std::wstring, uint32_t> denied;
  uint32_t deniedToEveryone = 0;
  for (const AccessEntry& e : security.Entries) {
    if (e.InheritOnly) continue;
    const uint32_t rights = ChangingRights(e.Mask) & counted;
    if (!e.Allow) {
      (e.Sid == kSidEveryone ? deniedToEveryone : denied[e.Sid]) |= rights;
      continue;
    }
    if (IsTrustedAccount(e.Sid)) continue;
    const auto it = denied.find(e.Sid);
    const uint32_t takenAway = deniedToEveryone | (it == denied.end() ? 0u : it->second);
    if (rights & ~takenAway) return false;
  }
  return true;
}

}  // namespace vantrel
