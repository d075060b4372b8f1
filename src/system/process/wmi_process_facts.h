// The last resort for a process's command line and image path: its Win32_Process instance, read on the WMI worker
// thread. The walk asks and takes the answer at a later refresh; the details panel asks from a worker of its own
// and waits there, bounded.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "system/wmi/wmi_worker.h"

namespace vantrel {

struct WmiProcessTexts {
  bool Answered = false;  // WMI answered (a process it does not know gives empty texts)
  std::wstring CommandLine, ExecutablePath;
};

// Runs on the WMI worker; a stand-in in tests.
using WmiProcessQuery = std::function<WmiProcessTexts(WmiWorker::Session& session, uint32_t pid)>;
// "select * from Win32_Process where ProcessId=<pid>" on the session's connection; "null" texts read as empty.
WmiProcessTexts QueryWin32Process(WmiWorker::Session& session, uint32_t pid);

class WmiProcessReader {
 public:
  // A process identity: the PID and its creation time.
  using ProcessKey = std::pair<uint32_t, uint64_t>;

  explicit WmiProcessReader(WmiProcessQuery query = QueryWin32Process);
  WmiProcessReader(const WmiProcessReader&) = delete;
  WmiProcessReader& operator=(const WmiProcessReader&) = delete;

  // Asks for the process unless a question for it is open or its answer not yet taken.
  void Request(const ProcessKey& key);
  // The answer to a request, once: true when one arrived (answered or not).
  bool Take(const ProcessKey& key, WmiProcessTexts& texts);
  bool Open(const ProcessKey& key) const;
  // Asks and waits up to boundMs; for threads that may wait, never the window's. Unanswered after the bound.
  WmiProcessTexts Ask(uint32_t pid, DWORD boundMs);
  // Forgets the answers of identities keep rejects (processes that are gone).
  void Retain(const std::function<bool(const ProcessKey&)>& keep);
  // Questions queued or running on the worker.
  size_t Pending() const { return worker_.Pending(); }

  struct State;

 private:
  WmiProcessQuery query_;
  std::shared_ptr<State> state_;
  WmiWorker worker_;
};

}  // namespace vantrel
