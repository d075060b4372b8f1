// WMI work on a thread of its own: COM lives in that thread's apartment, and one connection to root\CIMV2, made at
// the first job that asks for it, serves the later jobs until the thread has been idle for a while. Nobody waits
// on the thread: jobs are queued, and they hand their answers on themselves. The connection is bounded
// (WBEM_FLAG_CONNECT_USE_MAX_WAIT) and so is each enumeration step; a job stuck anyway holds only this thread.
#pragma once

#include <functional>
#include <memory>

#include "system/wmi/wmi.h"

namespace vantrel {

class WmiWorker {
 public:
  // What a job sees of the worker: the connection, made at the first call.
  class Session {
   public:
    // Null when the connection could not be made (tried again at the next job that asks).
    WmiConnection* Connection();
    bool Failed() const { return tried_ && !connection_.Connected(); }

   private:
    WmiConnection connection_;
    bool tried_ = false;
  };
  using Job = std::function<void(Session&)>;

  explicit WmiWorker(unsigned idleExitMs = 30000);
  // Drops the jobs not started; a job running finishes on its own.
  ~WmiWorker();
  WmiWorker(const WmiWorker&) = delete;
  WmiWorker& operator=(const WmiWorker&) = delete;

  // False when no thread could be started for it (the job is dropped).
  bool Post(Job job);
  // Jobs queued or running.
  size_t Pending() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace vantrel
