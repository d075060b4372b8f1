// Which processes the kill button may end, and what it must ask first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

enum class KillVerdict {
  Allowed,
  AskCritical,  // the system stops when it ends: a second question that names it
  Never         // the program itself and PIDs below 10
};

KillVerdict JudgeKill(uint32_t pid, uint32_t ownPid, bool critical);

struct NamedProcess {
  uint32_t PID = 0;
  std::wstring Name;
};

inline constexpr size_t kKillListMax = 15;
// What the confirmation lists: one "[PID] name" line per process, at most kKillListMax, then how many more.
std::wstring KillTargetList(const std::vector<NamedProcess>& targets);
// The second question before ending a critical process: it names the process and says the system stops.
std::wstring CriticalKillQuestion(const NamedProcess& target);

}  // namespace vantrel
