#include "app/features/snapshot_item.h"

#include "controls/message_dialogs.h"
#include "system/snapshot/snapshot_folder.h"
#include "system/snapshot/window_snapshot.h"

namespace vantrel::app {

ProgramMenu::ItemId AddSnapshotItem(ProgramMenu& menu, HWND mainWindow, const std::wstring& folder) {
  const auto item = menu.AddItem(
      kSnapshotCaption, [mainWindow, folder] { TakeSnapshot(mainWindow, folder); }, menu.Anchor());
  menu.AddSeparator(menu.Anchor());
  return item;
}

void TakeSnapshot(HWND mainWindow, const std::wstring& folder) {
  const SnapshotOutcome outcome = SaveWindowSnapshot(mainWindow, ResolveSnapshotFolder(folder));
  if (!outcome.Saved)
    ErrorDlg(outcome.ErrorText.empty() ? L"错误 " + std::to_wstring(outcome.Error) : outcome.ErrorText);
}

}  // namespace vantrel::app
