#include "system/os/account_names.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include "core/os/accounts.h"
#include "core/process/read_retry.h"
#include "system/raii.h"

namespace vantrel {

SidLookupResult LookupLocalSid(const SidBytes& sidBytes) {
  SidBytes copy = sidBytes;  // LookupAccountSidW takes a non-const SID
  return LookupSidAccount(copy.empty() ? nullptr : static_cast<PSID>(copy.data()), L"");
}

bool ReadProcessOwnerSid(HANDLE process, SidBytes& sid) {
  sid.clear();
  win::UniqueHandle token;
  if (!process || !::OpenProcessToken(process, TOKEN_QUERY, token.put())) return false;
  alignas(8) BYTE buffer[4096];
  DWORD size = 0;
  if (!::GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size)) return false;
  const PSID owner = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
  if (!owner || !::IsValidSid(owner)) return false;
  const auto* bytes = static_cast<const uint8_t*>(owner);
  sid.assign(bytes, bytes + ::GetLengthSid(owner));
  return true;
}

struct AccountNames::State {
  struct Entry {
    bool answered = false;
    bool queued = false;
    bool final = false;              // found, or no account: never asked again
    bool failureToSchedule = false;  // the worker failed; the next Get starts the retry interval on its clock
    std::wstring user, domain;
    ReadRetry retry;
  };

  SidLookupFn lookup;
  mutable std::mutex mutex;
  mutable std::condition_variable idle;
  std::map<SidBytes, Entry> entries;
  std::deque<SidBytes> queue;
  bool running = false;  // a lookup runs or is about to
  bool stopping = false;
};

namespace {

using State = AccountNames::State;

void AnswerLookups(std::shared_ptr<State> state) {
  std::unique_lock lock(state->mutex);
  while (!state->stopping && !state->queue.empty()) {
    const SidBytes sid = state->queue.front();
    lock.unlock();
    SidLookupResult result;
    try {
      result = state->lookup(sid);
    } catch (...) {
      result = {};
    }
    lock.lock();
    state->queue.pop_front();
    State::Entry& e = state->entries[sid];
    e.queued = false;
    e.answered = true;
    e.final = result.Outcome != SidLookupOutcome::Failed;
    e.failureToSchedule = !e.final;
    if (result.Outcome == SidLookupOutcome::Found) {
      e.user = result.Name, e.domain = result.Domain;
    } else if (e.user.empty() || e.final) {  // a name found earlier outlives a later failure
      e.user = SIDToText(sid.data(), sid.size());
      e.domain.clear();
    }
  }
  state->running = false;
  state->idle.notify_all();
}

}  // namespace

AccountNames::AccountNames(SidLookupFn lookup) : state_(std::make_shared<State>()) {
  state_->lookup = std::move(lookup);
}

AccountNames::~AccountNames() {
  std::lock_guard lock(state_->mutex);
  state_->stopping = true;
}

bool AccountNames::Get(const SidBytes& sid, uint64_t nowMs, std::wstring& user, std::wstring& domain) {
  bool startWorker = false;
  bool known = false;
  {
    std::lock_guard lock(state_->mutex);
    State::Entry& e = state_->entries[sid];
    if (e.failureToSchedule) {
      e.failureToSchedule = false;
      e.retry.Failed(nowMs);
    }
    if (e.answered) {
      user = e.user, domain = e.domain;
      known = true;
    }
    if (!e.queued && !e.final && (!e.answered || e.retry.Due(nowMs))) {
      e.queued = true;
      state_->queue.push_back(sid);
      startWorker = !state_->running;
      state_->running = true;
    }
  }
  if (startWorker) {
    try {
      std::thread(AnswerLookups, state_).detach();
    } catch (const std::system_error&) {
      // No thread this time: the SIDs wait for the next request.
      std::lock_guard lock(state_->mutex);
      for (const SidBytes& queued : state_->queue) state_->entries[queued].queued = false;
      state_->queue.clear();
      state_->running = false;
    }
  }
  return known;
}

void AccountNames::Seed(const SidBytes& sid, const std::wstring& user, const std::wstring& domain) {
  if (sid.empty() || user.empty()) return;
  std::lock_guard lock(state_->mutex);
  State::Entry& e = state_->entries[sid];
  if (e.answered) return;
  e.answered = true;
  e.user = user;
  e.domain = domain;
}

size_t AccountNames::Pending() const {
  std::lock_guard lock(state_->mutex);
  return state_->queue.size();
}

bool AccountNames::WaitIdle(DWORD boundMs) const {
  std::unique_lock lock(state_->mutex);
  return state_->idle.wait_for(lock, std::chrono::milliseconds(boundMs), [&] { return !state_->running; });
}

}  // namespace vantrel
