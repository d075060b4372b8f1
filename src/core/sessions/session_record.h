// The per-row record of the sessions list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

struct TSessionRecord {
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

using TSessionRecords = std::vector<TSessionRecord>;

// Connection states as the terminal services number them.
enum TSessionState : int32_t {
  wtsActive = 0, wtsConnected = 1, wtsConnectQuery = 2, wtsShadow = 3, wtsDisconnected = 4, wtsIdle = 5,
  wtsListen = 6, wtsReset = 7, wtsDown = 8, wtsInit = 9
};

}  // namespace vantrel
