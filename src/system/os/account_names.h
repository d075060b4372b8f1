// The account names of SIDs, looked up on a worker thread and kept for the program's life: LookupAccountSidW may
// ask a domain controller, so the window never waits for it. A lookup that failed is tried again later, at growing
// intervals.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "system/os/accounts.h"

namespace vantrel {

using SidBytes = std::vector<uint8_t>;

// The lookup of one SID on this machine; a stand-in in tests.
using SidLookupFn = std::function<SidLookupResult(const SidBytes& sid)>;
SidLookupResult LookupLocalSid(const SidBytes& sid);

// The owner SID of a process's token; false when the token cannot be read.
bool ReadProcessOwnerSid(HANDLE process, SidBytes& sid);

class AccountNames {
 public:
  explicit AccountNames(SidLookupFn lookup = LookupLocalSid);
  // A lookup still running finishes on its own; its answer is dropped.
  ~AccountNames();
  AccountNames(const AccountNames&) = delete;
  AccountNames& operator=(const AccountNames&) = delete;

  // The names once a lookup answered: a SID without an account gives its SID text and no domain, and so does a
  // lookup that failed until a later one finds the name. False while the first lookup is on its way (asked now).
  bool Get(const SidBytes& sid, uint64_t nowMs, std::wstring& user, std::wstring& domain);
  // A name known without a lookup (the program's own account), shown until a lookup gives the system's answer.
  void Seed(const SidBytes& sid, const std::wstring& user, const std::wstring& domain);
  // Lookups queued or running.
  size_t Pending() const;
  // For callers that may wait (never the window): until no lookup is pending, at most boundMs.
  bool WaitIdle(DWORD boundMs) const;

  struct State;  // shared with the worker

 private:
  std::shared_ptr<State> state_;
};

}  // namespace vantrel
