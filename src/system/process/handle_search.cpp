#include "system/process/handle_search.h"

#include <algorithm>
#include <span>
#include <unordered_map>
#include <utility>

#include "core/process/process_rules.h"
#include "system/os/accounts.h"
#include "system/os/system_facts.h"
#include "system/process/module_list.h"
#include "system/process/process_list.h"
#include "system/raii.h"

namespace vantrel {
namespace {

bool ProcessIs64bit(uint32_t pid) {
  if (!SystemFacts().Is64BitOS) return false;
  const auto isWow64 = SystemEntryPoints().IsWow64Process;
  win::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!isWow64 || !process) return sizeof(void*) == 8;  // the modules read then fails or answers for this build
  BOOL wow = FALSE;
  return isWow64(process.get(), &wow) ? !wow : sizeof(void*) == 8;
}

// Groups the table by process (keeping each process's order) and plans the steps.
void PlanSteps(FindSources& sources) {
  std::unordered_map<uint32_t, size_t> processOf;
  for (size_t i = 0; i < sources.Processes.size(); ++i) processOf.emplace(sources.Processes[i].PID, i);
  std::vector<size_t> counts(sources.Processes.size(), 0);
  std::vector<HandleTableEntry> listed;
  listed.reserve(sources.Table.size());
  for (const HandleTableEntry& e : sources.Table) {
    const auto it = processOf.find(e.PID);
    if (it == processOf.end()) continue;
    ++counts[it->second];
    listed.push_back(e);
  }
  std::stable_sort(listed.begin(), listed.end(), [&](const HandleTableEntry& a, const HandleTableEntry& b) {
    return processOf.at(a.PID) < processOf.at(b.PID);
  });
  sources.Table = std::move(listed);
  std::vector<size_t> firstEntry(counts.size(), 0);
  for (size_t i = 1; i < counts.size(); ++i) firstEntry[i] = firstEntry[i - 1] + counts[i - 1];

  std::vector<size_t> order(sources.Processes.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return counts[a] > counts[b]; });
  for (const size_t p : order) {
    sources.Steps.push_back({p, true, 0, 0, counts[p] == 0});
    size_t slice = kFindFirstStepHandles;
    for (size_t done = 0; done < counts[p]; done += slice, slice = std::min(2 * slice, kFindLargestStepHandles)) {
      const size_t entries = std::min(slice, counts[p] - done);
      sources.Steps.push_back({p, false, firstEntry[p] + done, entries, done + entries == counts[p]});
    }
  }
}

}  // namespace

FindSources ReadFindSources() {
  FindSources sources;
  EnableDebugPrivilege();
  sources.TableRead = ReadHandleTable(sources.Table, sources.Layout);
  ProcessListReader reader;
  for (const ProcessListEntry& entry : reader.Read()) {
    if (entry.PID == 0) continue;
    sources.Processes.push_back({entry.PID, ProcessDisplayName(entry.PID, entry.ExeFile)});
  }
  PlanSteps(sources);
  return sources;
}

ProcessFindOutcome FindInStep(const FindSources& sources, const FindStep& step, const std::wstring& text,
                              const HandleListOptions& options) {
  ProcessFindOutcome outcome;
  const FindProcess& process = sources.Processes.at(step.Process);
  if (!step.Modules) {
    if (!sources.TableRead || step.FirstEntry + step.Entries > sources.Table.size()) return outcome;
    const std::span<const HandleTableEntry> slice(sources.Table.data() + step.FirstEntry, step.Entries);
    HandleList handles = ReadHandles(process.PID, slice, sources.Layout, options);
    outcome.FileNameTimeouts = handles.FileNameTimeouts;
    for (HandleRecord& h : handles.Handles)
      if (ContainsIgnoringCase(h.Name, text))
        outcome.Results.push_back(
            {FindResult::Handle, process.PID, process.Name, std::move(h.TypeName), std::move(h.Name), h.Handle});
    return outcome;
  }
  const bool is64 = ProcessIs64bit(process.PID);
  if (!CanListModules(is64)) return outcome;
  for (ModuleRecord& m : ReadModules(process.PID, is64, false).Modules)
    if (ContainsIgnoringCase(m.ImageName, text))
      outcome.Results.push_back(
          {FindResult::Module, process.PID, process.Name, {}, std::move(m.ImageName), m.BaseAddress});
  return outcome;
}

}  // namespace vantrel
