#include "system/process/wmi_process_facts.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/process/process_rules.h"
#include "core/wmi/wmi_values.h"

namespace vantrel {

WmiProcessTexts QueryWin32Process(WmiWorker::Session& session, uint32_t pid) {
  WmiProcessTexts texts;
  WmiConnection* wmi = session.Connection();
  if (!wmi) return texts;
  WmiInstances instances;
  try {
    const int count = wmi->Command(L"select * from Win32_Process where ProcessId=" + std::to_wstring(pid), instances);
    texts.Answered = count >= 0;
    if (count > 0) {
      texts.CommandLine = WmiTextOrEmpty(GetInstancePropValue(instances, L"CommandLine", 0, 0));
      texts.ExecutablePath = WmiTextOrEmpty(GetInstancePropValue(instances, L"ExecutablePath", 0, 0));
    }
  } catch (const WmiError&) {
    texts.Answered = false;  // asked again later
  }
  return texts;
}

struct WmiProcessReader::State {
  struct Entry {
    bool open = false;
    bool arrived = false;
    WmiProcessTexts texts;
  };
  mutable std::mutex mutex;
  std::map<ProcessKey, Entry> entries;
};

// One question waited for by its asker; the worker may answer after the asker gave up.
namespace {
struct WaitedAnswer {
  std::mutex mutex;
  std::condition_variable done;
  bool arrived = false;
  WmiProcessTexts texts;
};
}  // namespace

WmiProcessReader::WmiProcessReader(WmiProcessQuery query)
    : query_(std::move(query)), state_(std::make_shared<State>()) {}

void WmiProcessReader::Request(const ProcessKey& key) {
  {
    std::lock_guard lock(state_->mutex);
    State::Entry& e = state_->entries[key];
    if (e.open || e.arrived) return;
    e.open = true;
  }
  std::weak_ptr<State> weak = state_;
  const bool posted = worker_.Post([weak, key, query = query_](WmiWorker::Session& session) {
    WmiProcessTexts texts = query(session, key.first);
    if (const auto state = weak.lock()) {
      std::lock_guard lock(state->mutex);
      const auto it = state->entries.find(key);
      if (it == state->entries.end()) return;  // the process went meanwhile
      it->second.open = false;
      it->second.arrived = true;
      it->second.texts = std::move(texts);
    }
  });
  if (!posted) {
    std::lock_guard lock(state_->mutex);
    State::Entry& e = state_->entries[key];
    e.open = false;
    e.arrived = true;  // unanswered: the caller's retry interval applies
    e.texts = {};
  }
}

bool WmiProcessReader::Take(const ProcessKey& key, WmiProcessTexts& texts) {
  std::lock_guard lock(state_->mutex);
  const auto it = state_->entries.find(key);
  if (it == state_->entries.end() || !it->second.arrived) return false;
  texts = std::move(it->second.texts);
  state_->entries.erase(it);
  return true;
}

bool WmiProcessReader::Open(const ProcessKey& key) const {
  std::lock_guard lock(state_->mutex);
  const auto it = state_->entries.find(key);
  return it != state_->entries.end() && it->second.open;
}

WmiProcessTexts WmiProcessReader::Ask(uint32_t pid, DWORD boundMs) {
  const auto answer = std::make_shared<WaitedAnswer>();
  const bool posted = worker_.Post([answer, pid, query = query_](WmiWorker::Session& session) {
    WmiProcessTexts texts = query(session, pid);
    std::lock_guard lock(answer->mutex);
    answer->texts = std::move(texts);
    answer->arrived = true;
    answer->done.notify_all();
  });
  if (!posted) return {};
  std::unique_lock lock(answer->mutex);
  if (!answer->done.wait_for(lock, std::chrono::milliseconds(boundMs), [&] { return answer->arrived; })) return {};
  return answer->texts;
}

void WmiProcessReader::Retain(const std::function<bool(const ProcessKey&)>& keep) {
  std::lock_guard lock(state_->mutex);
  std::erase_if(state_->entries, [&](const auto& entry) { return !keep(entry.first); });
}

}  // namespace vantrel
