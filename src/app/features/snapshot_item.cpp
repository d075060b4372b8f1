#include "app/features/snapshot_item.h"

#include "controls/message_dialogs.h"
#include "system/snapshot/snapshot_folder.h"
#include "system/snapshot/window_snapshot.h"

namespace vantrel::app {

void AddSnapshotItem(ProgramMenu& menu, HWND mainWindow, const std::wstring& folder, const std::wstring& before) {
  menu.AddItem(
      kSnapshotCaption, [mainWindow, folder] { TakeSnapshot(mainWindow, folder); }, before);
  menu.AddSeparator(before);
}

void TakeSnapshot(HWND mainWindow, const std::wstring& folder) {
  const SnapshotOutcome outcome = SaveWindowSnapshot(mainWindow, ResolveSnapshotFolder(folder));
  if (!outcome.Saved)
    ErrorDlg(outcome.ErrorText.empty() ? L"错误 " + std::to_wstring(outcome.Error) : outcome.ErrorText);
}

}  // namespace vantrel::app
