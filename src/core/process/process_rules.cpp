#include "core/process/process_rules.h"

#include <unordered_set>

#include "core/os/ascii.h"
#include "core/text/str_utils.h"

namespace vantrel {

std::wstring ProcessDisplayName(uint32_t pid, std::wstring_view exeFile) {
  if (pid == 0) return kIdleProcessName;
  exeFile = exeFile.substr(0, std::min<size_t>(exeFile.size(), 260));
  if (const size_t nul = exeFile.find(L'\0'); nul != std::wstring_view::npos) exeFile = exeFile.substr(0, nul);
  const size_t slash = exeFile.find_last_of(L"\\/:");
  return std::wstring(slash == std::wstring_view::npos ? exeFile : exeFile.substr(slash + 1));
}

void MatchSessionProcesses(ProcessRecord& record, const ProcessRecords& sessionProcesses) {
  for (const ProcessRecord& e : sessionProcesses) {
    if (e.PID != record.PID) continue;
    if (record.Session == 0) record.Session = e.Session;
    if (IsBlank(record.Username)) record.Username = e.Username;
    record.WorkingSet = e.WorkingSet;
    record.PeakWorkingSet = e.PeakWorkingSet;
    record.ThreadCount = e.ThreadCount;
    record.HandleCount = e.HandleCount;
    record.CreationTime = e.CreationTime;
    record.VMCounters.PagefileUsage = e.VMCounters.PagefileUsage;
    record.VMCounters.PeakPagefileUsage = e.VMCounters.PeakPagefileUsage;
    record.CPUTimes.KernelTime = e.CPUTimes.KernelTime;
    record.CPUTimes.UserTime = e.CPUTimes.UserTime;
  }
}

void ApplyWellKnownOwner(ProcessRecord& record) {
  if (record.PID < 10) {
    record.Username = L"SYSTEM";
    record.Domain = L"NT AUTHORITY";
  }
}

bool IsSystemProcess(const ProcessRecord& r) {
  using detail::EqualsNoCase;
  return EqualsNoCase(r.Domain, L"NT AUTHORITY") || EqualsNoCase(r.Domain, L"Window Manager") ||
         EqualsNoCase(r.Username, L"SYSTEM") || EqualsNoCase(r.Username, L"LOCAL SERVICE") ||
         EqualsNoCase(r.Username, L"NETWORK SERVICE") || (r.Username.empty() && (r.Session == 0 || r.Session == 1)) ||
         r.PID < 10;
}

ProcessFilter ProcessFilterAt(int index) {
  if (index < Index(ProcessFilter::All) || index > Index(ProcessFilter::NotResponding)) return ProcessFilter::All;
  return static_cast<ProcessFilter>(index);
}

bool ProcessPassesFilter(const ProcessRecord& r, ProcessFilter filter, std::wstring_view currentUserName,
                         std::wstring_view nameFilter) {
  bool shown = true;
  switch (filter) {
    case ProcessFilter::All: break;
    case ProcessFilter::NonSystem: shown = !r.System; break;
    case ProcessFilter::System: shown = r.System; break;
    case ProcessFilter::LoggedOnUser: shown = detail::EqualsNoCase(r.Username, currentUserName); break;
    case ProcessFilter::NotResponding: shown = !r.IsResponding; break;
  }
  return shown && (nameFilter.empty() || PosText(nameFilter, r.Name) == 1);
}

uint32_t ProcessRowColour(const ProcessRecord& r, std::wstring_view currentUserName) {
  if (!r.IsResponding) return 0x0000FF;
  if (r.System) return 0x808080;
  if (detail::EqualsNoCase(r.Username, currentUserName)) return 0xFF0000;
  return kProcessDefaultColour;
}

std::vector<int> BuildProcessTreeParents(const ProcessRecords& rows, bool treeMode, std::wstring_view nameFilter) {
  std::vector<int> parents;
  parents.reserve(rows.size());
  ProcessParentFinder finder(treeMode, nameFilter);
  for (const ProcessRecord& row : rows) parents.push_back(finder.Add(row));
  return parents;
}

int ProcessParentFinder::Add(const ProcessRecord& child) {
  const int index = count_++;
  if (!active_) return -1;
  int parent = -1;
  if (child.PID >= 10) {
    const auto it = firstRowOfPid_.find(child.PPID);
    if (it != firstRowOfPid_.end()) {
      const uint64_t parentTime = it->second.createTime;
      const uint64_t childTime = child.CPUTimes.CreateTime;
      if (parentTime == 0 || childTime == 0 || parentTime <= childTime) parent = it->second.index;
    }
  }
  firstRowOfPid_.emplace(child.PID, Row{index, child.CPUTimes.CreateTime});
  return parent;
}

std::wstring RemoveNtPathPrefix(std::wstring_view path) {
  std::wstring s(path);
  if (const size_t at = s.find(L"\\??\\"); at != std::wstring::npos) s.erase(at, 4);
  return s;
}

std::wstring WmiTextOrEmpty(std::wstring_view value) {
  return detail::EqualsNoCase(value, L"null") ? std::wstring() : std::wstring(value);
}

std::unordered_map<uint32_t, ProcessWindows> BuildProcessWindowMap(const std::vector<TopLevelWindow>& windows) {
  std::unordered_map<uint32_t, ProcessWindows> map;
  std::unordered_set<uint32_t> runClosed;
  uint32_t previous = 0;
  bool havePrevious = false;
  for (const TopLevelWindow& w : windows) {
    ProcessWindows& entry = map[w.PID];
    ++entry.Count;
    // A run ends at the first window of another process; later windows of the same PID do not replace it.
    if (havePrevious && previous != w.PID && map.count(previous)) runClosed.insert(previous);
    if (!runClosed.count(w.PID)) entry.Candidate = w.Handle;
    previous = w.PID;
    havePrevious = true;
  }
  return map;
}

}  // namespace vantrel
