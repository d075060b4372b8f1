// The named handles of one process, from the system's extended handle table: each handle is duplicated into this
// program, its type asked once per type number and its name queried; file names are read by a few bounded workers
// while the duplication goes on (a file query can block, for example on a pipe nobody connects to). Call it from a
// worker thread: a listing can take a while.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/handles/handle_records.h"

namespace vantrel {

// The system handle table; false when it cannot be read within the bounds of the growth loop. The legacy layout
// is used only when the system refuses the extended one.
bool ReadHandleTable(std::vector<HandleTableEntry>& entries, HandleTableLayout& layout);

// The kernel name of an open file handle: its object name, or else its file-name information; empty when neither.
// Can block; the handle listing runs it on a worker.
std::wstring QueryFileName(HANDLE file);

struct HandleListOptions {
  // The file-name query the workers run; QueryFileName when empty. Tests wrap it to make a query hang.
  std::function<std::wstring(HANDLE file)> queryFileName;
  DWORD fileNameWaitMs = kFileNameWaitMs;
  size_t fileNameWorkers = kFileNameWorkers;  // at once, at least 1
  // Asked between handles: true ends the listing early with what it has (a search that was cancelled).
  std::function<bool()> cancelled;
};

struct HandleList {
  bool TableRead = false;
  std::vector<HandleRecord> Handles;  // table order, named handles only
  int FileNameTimeouts = 0;           // workers given up on in this listing
};

HandleList ReadHandles(uint32_t pid, const HandleListOptions& options = {});
// The same from a table already read (a search over every process reads it once).
HandleList ReadHandles(uint32_t pid, std::span<const HandleTableEntry> table, HandleTableLayout layout,
                       const HandleListOptions& options = {});

// File-name workers still inside a query after their wait ended (they end on their own when it returns).
size_t StuckFileNameWorkers();
// How many handles of the handle table belong to a process (this program's count under Wine, where the process
// handle-count queries answer 0).
size_t CountTableHandles(uint32_t pid);

}  // namespace vantrel
