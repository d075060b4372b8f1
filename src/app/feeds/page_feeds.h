// What the pages tell each other, and the frame's parts that follow them (tray, caption clock). A page publishes
// or follows here; it never reaches another page or the frame for these.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/feeds/feed.h"
#include "app/feeds/process_row_feed.h"
#include "core/process/process_record.h"

namespace vantrel::app {

// A process as the windows page offers it for choice.
struct ProcessChoice {
  std::wstring caption;  // "name (pid)"
  uint32_t pid = 0;
  int image = -1;  // in the small system image list
};

// A line for the activity log, or the log's clearing.
struct LogEvent {
  enum class Kind { Line, Clear } kind = Kind::Line;
  std::wstring text;
};

// The processes of every session, which the sessions refresh reads anyway: the process refresh takes the owners of
// processes it cannot open from it.
struct SessionProcessList {
  ProcessRecords records;
  // Whether the process refresh still needs it; a periodic refresh of another page reads the sessions only then.
  std::function<bool()> wanted;
  bool Wanted() const { return wanted && wanted(); }
};

// The CPU load of the meter's last tick.
struct CpuLoad {
  int32_t average = 0;
  std::vector<int32_t> processors;  // index = processor
};

// WM_WTSSESSION_CHANGE: the event code and the session.
struct SessionChange {
  uint32_t code = 0;
  uint32_t session = 0;
};

struct PageFeeds {
  Feed<uint32_t> focusedProcess;                       // processes page → windows page
  Feed<std::vector<ProcessChoice>> windowedProcesses;  // processes page → windows page
  Feed<size_t> processRows;                            // processes page → the refresh (the log is kept until rows)
  Feed<CpuLoad> cpuLoad;                               // the frame's CPU meter → performance page, tray, clock
  Feed<LogEvent> log;                                  // anyone → log page
  Feed<SessionChange> sessionChanges;                  // the system (through the frame) → sessions page
  SessionProcessList sessionProcesses;                 // sessions page → processes page
  ProcessRowFeed processRowRequests;                   // find window → processes page; its menu → find window
};

}  // namespace vantrel::app
