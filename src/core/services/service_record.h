// The per-row record of the services list.
#pragma once

#include "core/base/enum_index.h"
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

enum class ServiceStartType : int32_t { Boot = 0, System = 1, Automatic = 2, Manual = 3, Disabled = 4 };
enum class ServiceState : int32_t {
  Stopped = 1,
  StartPending = 2,
  StopPending = 3,
  Running = 4,
  ContinuePending = 5,
  PausePending = 6,
  Paused = 7
};

struct ServiceRecord {
  std::wstring DependOnService;  // "A,B"; empty when there are none
  std::wstring DisplayName;
  std::wstring Name;        // the identity of a row
  std::wstring CmdLine;     // the configured image path, as stored
  std::wstring ImageName;   // the file behind CmdLine
  std::wstring ObjectName;  // the account the service runs as
  std::wstring Group;
  std::wstring Description;  // kept empty by the list refresh
  int32_t StartUp = 0;       // 0 boot .. 4 disabled
  int32_t Status = 0;        // 1 stopped .. 7 paused
  int32_t Tag = 0;
  int32_t ErrCtrl = 0;
  uint32_t Typ = 0;
  int64_t Size = 0;
  std::wstring Desc;
  std::wstring Company;
  std::wstring Version;
  std::wstring Copyright;
  int32_t ImageIndexValue = 0;
};

using ServiceRecords = std::vector<ServiceRecord>;

// Start types and states as the service control manager numbers them.

}  // namespace vantrel
