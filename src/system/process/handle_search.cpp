#include "system/process/handle_search.h"

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
  return sources;
}

ProcessFindOutcome FindInProcess(const FindSources& sources, const FindProcess& process, const std::wstring& text,
                                  const HandleListOptions& options) {
  ProcessFindOutcome outcome;
  const auto cancelled = [&options] { return options.cancelled && options.cancelled(); };
  if (sources.TableRead) {
    HandleList handles = ReadHandles(process.PID, sources.Table, sources.Layout, options);
    outcome.FileNameTimeouts = handles.FileNameTimeouts;
    for (HandleRecord& h : handles.Handles)
      if (ContainsIgnoringCase(h.Name, text))
        outcome.Results.push_back({FindResult::Handle, process.PID, process.Name, std::move(h.TypeName),
                                   std::move(h.Name), h.Handle});
  }
  if (cancelled()) return outcome;
  const bool is64 = ProcessIs64bit(process.PID);
  if (!CanListModules(is64)) return outcome;
  for (ModuleRecord& m : ReadModules(process.PID, is64, false).Modules)
    if (ContainsIgnoringCase(m.ImageName, text))
      outcome.Results.push_back(
          {FindResult::Module, process.PID, process.Name, {}, std::move(m.ImageName), m.BaseAddress});
  return outcome;
}

}  // namespace vantrel
