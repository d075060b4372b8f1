// Which processes the kill button may end, and what it must ask first.
#pragma once

#include <cstdint>

namespace vantrel {

enum class KillVerdict {
  Allowed,
  AskCritical,  // the system stops when it ends: a second question that names it
  Never         // the program itself and PIDs below 10
};

KillVerdict KillVerdict(uint32_t pid, uint32_t ownPid, bool critical);

}  // namespace vantrel
