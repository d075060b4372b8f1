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

struct TWmiProcessTexts {
  bool Answered = false;  // WMI answered (a process it does not know gives empty texts)
  std::wstring CommandLine, ExecutablePath;
};

// Runs on the WMI worker; a stand-in in tests.
using TWmiProcessQuery = std::function<TWmiProcessTexts(TWmiWorker::Session& session, uint32_t pid)>;
// "select * from Win32_Process where ProcessId=<pid>" on the session's connection; "null" texts read as empty.
TWmiProcessTexts QueryWin32Process(TWmiWorker::Session& session, uint32_t pid);

class TWmiProcessReader {
 public:
  // A process identity: the PID and its creation time.
  using TKey = std::pair<uint32_t, uint64_t>;

  explicit TWmiProcessReader(TWmiProcessQuery query = QueryWin32Process);
  TWmiProcessReader(const TWmiProcessReader&) = delete;
  TWmiProcessReader& operator=(const TWmiProcessReader&) = delete;

  // Asks for the process unless a question for it is open or its answer not yet taken.
  void Request(const TKey& key);
  // The answer to a request, once: true when one arrived (answered or not).
  bool Take(const TKey& key, TWmiProcessTexts& texts);
  bool Open(const TKey& key) const;
  // Asks and waits up to boundMs; for threads that may wait, never the window's. Unanswered after the bound.
  TWmiProcessTexts Ask(uint32_t pid, DWORD boundMs);
  // Forgets the answers of identities keep rejects (processes that are gone).
  void Retain(const std::function<bool(const TKey&)>& keep);
  // Questions queued or running on the worker.
  size_t Pending() const { return worker_.Pending(); }

  struct State;

 private:
  TWmiProcessQuery query_;
  std::shared_ptr<State> state_;
  TWmiWorker worker_;
};

}  // namespace vantrel
