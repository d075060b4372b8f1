#include "core/shell/refresh_gate.h"

namespace vantrel {

bool RefreshGate::TryEnter(RefreshKind kind) {
  if (depth_ == 0) {
    ++depth_;
    return true;
  }
  // The next timer tick comes anyway; a full refresh covers the active page's.
  if (kind == RefreshKind::Periodic) return false;
  if (!deferred_ || kind == RefreshKind::AllPages) deferred_ = kind;
  return false;
}

void RefreshGate::Leave() {
  if (depth_ > 0) --depth_;
}

std::optional<RefreshKind> RefreshGate::TakeDeferred() {
  if (depth_ > 0) return std::nullopt;
  std::optional<RefreshKind> next;
  next.swap(deferred_);
  return next;
}

}  // namespace vantrel
