// A search of every process for a handle or module whose name holds a text: the system handle table read once,
// then one process at a time its handles (names through the same bounded file-name workers as the handles page)
// and its modules. Each step is a bounded piece of work for a worker thread; the caller decides when to run the
// next one, so that results reach the window while the search goes on and a cancelled search starts no more.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/handles/find_results.h"
#include "core/handles/handle_records.h"
#include "system/process/handle_list.h"

namespace vantrel {

struct FindProcess {
  uint32_t PID = 0;
  std::wstring Name;
};

// What every step of one search shares: read once at its start.
struct FindSources {
  bool TableRead = false;
  HandleTableLayout Layout = HandleTableLayout::Extended;
  std::vector<HandleTableEntry> Table;
  std::vector<FindProcess> Processes;  // the system's order; the idle process is left out
};
FindSources ReadFindSources();

struct ProcessFindOutcome {
  std::vector<FindResult> Results;  // handles in table order, then modules
  int FileNameTimeouts = 0;
};
// The handles and modules of one process whose names hold the text, ignoring case.
ProcessFindOutcome FindInProcess(const FindSources& sources, const FindProcess& process, const std::wstring& text,
                                  const HandleListOptions& options = {});

}  // namespace vantrel
