#include "app/features/replacement_switch.h"

#include "controls/message_dialogs.h"
#include "core/shell/task_manager_replacement.h"
#include "system/replacement/task_manager_replacement.h"

namespace vantrel::app {

void SwitchTaskManagerReplacement(bool on, const std::wstring& exePath, const std::wstring& keyPath,
                                  const AdminOnlyPathFn& isAdminOnlyPath) {
  if (!on) {
    SetTaskManagerReplacement(false, exePath, keyPath.c_str());
    return;
  }
  if (!isAdminOnlyPath || !isAdminOnlyPath(exePath)) {
    ErrorDlg(kReplacementNotAdminOnly);
    return;
  }
  const std::wstring current = GetTaskManagerReplacement(keyPath.c_str());
  const bool someoneElse = current != L"taskmgr.exe" && !current.empty() && !IsReplacementOf(current, exePath);
  if (someoneElse && !ConfirmDlg(kReplaceOtherBefore + current + kReplaceOtherAfter)) return;
  SetTaskManagerReplacement(true, exePath, keyPath.c_str());
}

}  // namespace vantrel::app
