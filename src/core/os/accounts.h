// Account and session decisions that need no system calls: SID text, session types, the logged-on user rule.
#pragma once

#include "core/base/enum_index.h"
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// "S-1-<authority>-<sub>-..." of a SID held as bytes (revision, count, six authority bytes most significant
// first, then count little-endian 32-bit sub-authorities). Empty when the bytes are not a whole SID.
std::wstring SIDToText(const uint8_t* sid, size_t size);

enum class SessionType : int { Local, VMware, VirtualPC, VirtualBox, Qemu, Terminal, Citrix };
using SessionTypes = unsigned;  // one bit per SessionType, SessionType::Local the lowest

constexpr SessionTypes SessionTypeBit(SessionType t) { return 1u << static_cast<unsigned>(t); }

// Display name of one session type.
std::wstring SessionTypeName(SessionType t);

// The member names in display order (local, terminal, Citrix, then the virtual machines) joined by "+".
std::wstring SessionTypeToStr(SessionTypes types);

// One sub-key of the disk enumeration keys, and whether it has sub-keys of its own.
struct EnumKey {
  std::wstring Name;
  bool HasSubKeys = false;
};

// What the registry says about the machine and the session.
struct SessionFacts {
  std::vector<EnumKey> IdeKeys;   // HKLM\SYSTEM\CurrentControlSet\Enum\IDE
  std::vector<EnumKey> ScsiKeys;  // ...\Enum\SCSI, looked at only when IDE shows no marker
  std::wstring GinaDll;           // Winlogon "GinaDLL"
  bool CitrixConnectionKey = false;
  bool RemoteSession = false;
};

SessionTypes DecideSessionTypes(const SessionFacts& facts);

// A domain account is named "user@DOMAIN"; a local account (domain = computer name) or no domain keeps the bare
// name. The SID check of the combined name is left to the caller.
bool WantsDomainQualifiedName(std::wstring_view user, std::wstring_view domain, std::wstring_view computerName);

}  // namespace vantrel
