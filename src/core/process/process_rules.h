// Decisions about process records that need no system calls: names, the session-list merge, the system class,
// the row filters, the tree parents and the top-level window map.
#pragma once

#include "core/base/enum_index.h"
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/process/process_record.h"

namespace vantrel {

// The program itself and the system's own processes (PIDs below 10) are never ended, whatever the user checks.
constexpr bool ProcessMayNeverBeEnded(uint32_t pid, uint32_t ownPid) { return pid < 10 || pid == ownPid; }

inline constexpr wchar_t kIdleProcessName[] = L"系统空闲进程";

// The file-name part of a snapshot entry's executable name (at most 260 characters); the idle name for PID 0.
std::wstring ProcessDisplayName(uint32_t pid, std::wstring_view exeFile);

// Takes what the session process list knows about this PID (every entry with that PID, in order).
void MatchSessionProcesses(ProcessRecord& record, const ProcessRecords& sessionProcesses);

// Owner facts for the first phase: PIDs below 10 always belong to SYSTEM of NT AUTHORITY.
void ApplyWellKnownOwner(ProcessRecord& record);

bool IsSystemProcess(const ProcessRecord& record);

// The items of the process filter, by index.
enum class ProcessFilter : int { All = 0, NonSystem = 1, System = 2, LoggedOnUser = 3, NotResponding = 4 };

// The filter of the drop-down's item at index; an unknown index (none chosen) shows everything.
ProcessFilter ProcessFilterAt(int index);

// Process filter and name filter together.
bool ProcessPassesFilter(const ProcessRecord& record, ProcessFilter filter, std::wstring_view currentUserName,
                         std::wstring_view nameFilter);

// Parent row index for each record in snapshot order, -1 for the top level. In tree mode with no name filter a
// record of PID 10 or above hangs under the first earlier record whose PID is its PPID, but only when that
// record was not created after it (a reused PID is not a parent). Creation times of 0 are unknown and never
// veto.
std::vector<int> BuildProcessTreeParents(const ProcessRecords& rows, bool treeMode, std::wstring_view nameFilter);

// The same decision made one row at a time, as a list is built in snapshot order: Add returns the index (in Add
// order) of the row the record hangs under, or -1, and then remembers the record as the next row.
class ProcessParentFinder {
 public:
  ProcessParentFinder(bool treeMode, std::wstring_view nameFilter) : active_(treeMode && nameFilter.empty()) {}
  int Add(const ProcessRecord& record);

 private:
  struct Row {
    int index;
    uint64_t createTime;
  };
  bool active_;
  int count_ = 0;
  std::unordered_map<uint32_t, Row> firstRowOfPid_;
};

// "\??\" removed once, as the native image path may carry it.
std::wstring RemoveNtPathPrefix(std::wstring_view path);

// A WMI text, empty when the value was "null" in any case.
std::wstring WmiTextOrEmpty(std::wstring_view value);

// Text colour of a row that is not selected, red in the low byte; kProcessDefaultColour keeps the tree's own.
inline constexpr uint32_t kProcessDefaultColour = 0xFFFFFFFFu;
uint32_t ProcessRowColour(const ProcessRecord& record, std::wstring_view currentUserName);

// One top-level window as the enumeration gives it, in z-order.
struct TopLevelWindow {
  uint64_t Handle = 0;
  uint32_t PID = 0;
};

struct ProcessWindows {
  int32_t Count = 0;
  uint64_t Candidate = 0;  // the window asked whether the process responds
};

// Window count per PID, and the window to ask: the last one of the first unbroken run of that PID's windows.
std::unordered_map<uint32_t, ProcessWindows> BuildProcessWindowMap(const std::vector<TopLevelWindow>& windows);

}  // namespace vantrel
