// A search of every process for a handle or module whose name holds a text: the system handle table read once,
// then one step at a time: a process's modules, or a slice of its handles (names through the same bounded file-name
// workers as the handles page). Each step is a bounded piece of work for a worker thread; the caller decides when to
// run the next one, so that results reach the window while the search goes on, also from within a process with
// thousands of handles, and a cancelled search starts no more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/handles/find_results.h"
#include "core/handles/handle_records.h"
#include "system/process/handle_list.h"

namespace vantrel {

// The handles a step names: a process's first slice is small, so that its results show soon after the search
// starts; each next one doubles, up to the largest, so that a process with many handles costs few steps.
inline constexpr size_t kFindFirstStepHandles = 250;
inline constexpr size_t kFindLargestStepHandles = 2000;

struct FindProcess {
  uint32_t PID = 0;
  std::wstring Name;
};

// One piece of the work: a process's modules, or the table entries [FirstEntry, FirstEntry + Entries) of its
// handles. The last step of a process ends it.
struct FindStep {
  size_t Process = 0;  // index into FindSources::Processes
  bool Modules = false;
  size_t FirstEntry = 0;
  size_t Entries = 0;
  bool LastOfProcess = false;
};

// What every step of one search shares: read once at its start.
struct FindSources {
  bool TableRead = false;
  HandleTableLayout Layout = HandleTableLayout::Extended;
  std::vector<HandleTableEntry> Table;  // grouped by process, each process's handles in table order
  std::vector<FindProcess> Processes;   // the system's order; the idle process is left out
  // The processes with the most handles first: where a search spends longest, it also starts answering soonest.
  // Each process's modules come before its handles.
  std::vector<FindStep> Steps;
};
FindSources ReadFindSources();

struct ProcessFindOutcome {
  std::vector<FindResult> Results;  // handles in table order, or modules
  int FileNameTimeouts = 0;
};
// The handles or modules of one step whose names hold the text, ignoring case.
ProcessFindOutcome FindInStep(const FindSources& sources, const FindStep& step, const std::wstring& text,
                              const HandleListOptions& options = {});

}  // namespace vantrel
