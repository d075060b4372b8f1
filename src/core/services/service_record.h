// The per-row record of the services list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

struct TServiceRecord {
  std::wstring DependOnService;  // "A,B"; empty when there are none
  std::wstring DisplayName;
  std::wstring Name;             // the identity of a row
  std::wstring CmdLine;          // the configured image path, as stored
  std::wstring ImageName;        // the file behind CmdLine
  std::wstring ObjectName;       // the account the service runs as
  std::wstring Group;
  std::wstring Description;      // kept empty by the list refresh
  int32_t StartUp = 0;           // 0 boot .. 4 disabled
  int32_t Status = 0;            // 1 stopped .. 7 paused
  int32_t Tag = 0;
  int32_t ErrCtrl = 0;
  uint32_t Typ = 0;
  int64_t Size = 0;
  std::wstring Desc;
  std::wstring Company;
  std::wstring Version;
  std::wstring Copyright;
  int32_t _ImageIndex = 0;
};

using TServiceRecords = std::vector<TServiceRecord>;

// Start types and states as the service control manager numbers them.
enum TServiceStartType : int32_t { sstBoot = 0, sstSystem = 1, sstAutomatic = 2, sstManual = 3, sstDisabled = 4 };
enum TServiceState : int32_t {
  ssStopped = 1, ssStartPending = 2, ssStopPending = 3, ssRunning = 4, ssContinuePending = 5, ssPausePending = 6,
  ssPaused = 7
};

}  // namespace vantrel
