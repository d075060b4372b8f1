#include "core/shell/refresh_gate.h"

namespace vantrel {

bool TRefreshGate::TryEnter(TRefreshKind kind) {
  if (depth_ == 0) {
    ++depth_;
    return true;
  }
  // The next timer tick comes anyway; a full refresh covers the active page's.
  if (kind == TRefreshKind::Periodic) return false;
  if (!deferred_ || kind == TRefreshKind::AllPages) deferred_ = kind;
  return false;
}

void TRefreshGate::Leave() {
  if (depth_ > 0) --depth_;
}

std::optional<TRefreshKind> TRefreshGate::TakeDeferred() {
  if (depth_ > 0) return std::nullopt;
  std::optional<TRefreshKind> next;
  next.swap(deferred_);
  return next;
}

}  // namespace vantrel
