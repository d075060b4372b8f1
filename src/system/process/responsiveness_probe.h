// Whether processes answer their windows, asked on a few worker threads so that a hung window never holds the
// caller. A refresh reads the latest answers and asks again; a question still open after the time-out counts as
// "not responding" at once, without waiting for it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

namespace vantrel {

// A window is given this long to answer WM_NULL: half the shortest usual refresh interval (1 s), so that a hung
// process shows at the next refresh.
inline constexpr UINT kRespondTimeoutMs = 500;

class ResponsivenessProbe {
 public:
  explicit ResponsivenessProbe(UINT timeoutMs = kRespondTimeoutMs, int maxWorkers = 4);
  // Workers still waiting on a window finish on their own within the time-out; they share the state they write.
  ~ResponsivenessProbe();
  ResponsivenessProbe(const ResponsivenessProbe&) = delete;
  ResponsivenessProbe& operator=(const ResponsivenessProbe&) = delete;

  // The latest answer for the process's candidate window: true before any answer, false while a question has been
  // open longer than the time-out. A process without a window (0) always responds.
  bool IsResponding(uint32_t pid, uint64_t window) const;
  // Asks the window again unless a question for this process is still open.
  void Ask(uint32_t pid, uint64_t window);
  // Drops what is known of processes not asked about since the last call (they are gone or windowless).
  void ForgetUnasked();

  bool QuestionOpen(uint32_t pid) const;
  int Workers() const;

  struct State;  // shared with the workers

 private:
  std::shared_ptr<State> state_;
};

}  // namespace vantrel
