// Account and session decisions that need no system calls: SID text, session types, the logged-on user rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// "S-1-<authority>-<sub>-..." of a SID held as bytes (revision, count, six authority bytes most significant
// first, then count little-endian 32-bit sub-authorities). Empty when the bytes are not a whole SID.
std::wstring SIDToText(const uint8_t* sid, size_t size);

enum TSessionType : int { stLocal, stVMWare, stVPC, stVBOX, stQEMU, stTerminal, stCitrix };
using TSessionTypes = unsigned;  // one bit per TSessionType, stLocal the lowest

constexpr TSessionTypes SessionTypeBit(TSessionType t) { return 1u << static_cast<unsigned>(t); }

// Display name of one session type.
std::wstring SessionTypeName(TSessionType t);

// The member names in display order (local, terminal, Citrix, then the virtual machines) joined by "+".
std::wstring SessionTypeToStr(TSessionTypes types);

// One sub-key of the disk enumeration keys, and whether it has sub-keys of its own.
struct TEnumKey {
  std::wstring Name;
  bool HasSubKeys = false;
};

// What the registry says about the machine and the session.
struct TSessionFacts {
  std::vector<TEnumKey> IdeKeys;   // HKLM\SYSTEM\CurrentControlSet\Enum\IDE
  std::vector<TEnumKey> ScsiKeys;  // ...\Enum\SCSI, looked at only when IDE shows no marker
  std::wstring GinaDll;            // Winlogon "GinaDLL"
  bool CitrixConnectionKey = false;
  bool RemoteSession = false;
};

TSessionTypes DecideSessionTypes(const TSessionFacts& facts);

// A domain account is named "user@DOMAIN"; a local account (domain = computer name) or no domain keeps the bare
// name. The SID check of the combined name is left to the caller.
bool WantsDomainQualifiedName(std::wstring_view user, std::wstring_view domain, std::wstring_view computerName);

}  // namespace vantrel
