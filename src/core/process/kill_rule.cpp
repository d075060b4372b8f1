#include "core/process/kill_rule.h"

#include "core/process/process_rules.h"

namespace vantrel {

KillVerdict KillVerdict(uint32_t pid, uint32_t ownPid, bool critical) {
  if (ProcessMayNeverBeEnded(pid, ownPid)) return KillVerdict::Never;
  return critical ? KillVerdict::AskCritical : KillVerdict::Allowed;
}

}  // namespace vantrel
