// The per-row record of the sessions list.
#pragma once

#include "core/base/enum_index.h"
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

enum class SessionState : int32_t {
  Active = 0,
  Connected = 1,
  ConnectQuery = 2,
  Shadow = 3,
  Disconnected = 4,
  Idle = 5,
  Listen = 6,
  Reset = 7,
  Down = 8,
  Init = 9
};

struct SessionRecord {
  uint32_t ID = 0;
  std::wstring WinSta;
  std::wstring DomainName;
  std::wstring ClientName;  // empty for console sessions
  std::wstring Username;    // empty when nobody is logged on
  int32_t State = 0;        // WTS_CONNECTSTATE_CLASS
  int32_t ProcCount = 0;
  int32_t ClientBuildNumber = 0;
  int32_t ClientDisplayWidth = 0;
  int32_t ClientDisplayHeight = 0;
  int32_t ClientDisplayDepth = 0;  // the code the system reports; 0 when unknown
  std::wstring ClientAddress;      // dotted IPv4, else empty
  int64_t LogonTime = 0;           // the system's logon time (100 ns since 1601); 0 when it gives none
};

using SessionRecords = std::vector<SessionRecord>;

// Connection states as the terminal services number them.

}  // namespace vantrel
