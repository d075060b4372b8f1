#include "core/process/kill_rule.h"

#include "core/process/process_rules.h"

namespace vantrel {

KillVerdict JudgeKill(uint32_t pid, uint32_t ownPid, bool critical) {
  if (ProcessMayNeverBeEnded(pid, ownPid)) return KillVerdict::Never;
  return critical ? KillVerdict::AskCritical : KillVerdict::Allowed;
}

std::wstring KillTargetList(const std::vector<NamedProcess>& targets) {
  std::wstring list;
  for (size_t i = 0; i < targets.size() && i < kKillListMax; ++i) {
    if (i) list += L"\r\n";
    list += L"[" + std::to_wstring(targets[i].PID) + L"]" + targets[i].Name;
  }
  if (targets.size() > kKillListMax)
    list += L"\r\n... 以及另外 " + std::to_wstring(targets.size() - kKillListMax) + L" 个进程";
  return list;
}

std::wstring CriticalKillQuestion(const NamedProcess& target) {
  return L"[" + std::to_wstring(target.PID) + L"]" + target.Name +
         L" 是系统关键进程。\r\n终止它会使系统立即停止运行，所有未保存的数据都将丢失。\r\n\r\n你确定要终止它吗?";
}

}  // namespace vantrel
