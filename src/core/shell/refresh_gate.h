// Keeps refreshes from nesting. A wait that pumps messages (a COM call, a modal box) can deliver a timer tick or a
// refresh command while a refresh still walks its rows; a refresh started there would free those rows under it.
// While the lists are in use, a periodic refresh is dropped and an explicit one is kept and runs once afterwards.
#pragma once

#include <optional>

namespace vantrel {

enum class RefreshKind {
  Periodic,    // the timer's refresh of the active page
  ActivePage,  // the refresh command after a filter change or an action
  AllPages,    // F5
};

class RefreshGate {
 public:
  // Whether a refresh of this kind may start now; when it may, the lists are in use until Leave.
  bool TryEnter(RefreshKind kind);
  // The lists are in use without a refresh (code that holds a row across a wait that pumps messages).
  void Hold() { ++depth_; }
  void Leave();
  bool Busy() const { return depth_ > 0; }
  // The explicit refresh asked for while the lists were in use, once they are free; it is handed out once.
  std::optional<RefreshKind> TakeDeferred();
  bool HasDeferred() const { return deferred_.has_value(); }

 private:
  int depth_ = 0;
  std::optional<RefreshKind> deferred_;
};

}  // namespace vantrel
