#include "app/features/task_manager_item.h"

#include <windows.h>

#include <utility>

#include "system/replacement/task_manager_replacement.h"

namespace vantrel::app {
namespace {

std::wstring OwnExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return L"";
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

void AddTaskManagerReplacementItem(ProgramMenu& menu, TrayIcon& tray, const std::wstring& keyPath,
                                   AdminOnlyPathFn isAdminOnlyPath) {
  auto toggle = [&menu, &tray, keyPath, isAdminOnlyPath = std::move(isAdminOnlyPath)] {
    const std::wstring exe = OwnExecutablePath();
    // A standard user or a missing key leaves the registry as it was; the mark then shows that at once.
    SwitchTaskManagerReplacement(!IsTaskManagerReplaced(exe, keyPath.c_str()), exe, keyPath, isAdminOnlyPath);
    SyncTaskManagerReplacementMark(menu, tray, keyPath);
  };
  menu.AddItemAfter(kReplaceTaskManagerCaption, toggle, TrayIcon::kLoadDisplayCaption);
  tray.AddItemAfter(kReplaceTaskManagerCaption, toggle, TrayIcon::kLoadDisplayCaption);
  SyncTaskManagerReplacementMark(menu, tray, keyPath);
}

void SyncTaskManagerReplacementMark(ProgramMenu& menu, TrayIcon& tray, const std::wstring& keyPath) {
  const bool replaced = IsTaskManagerReplaced(OwnExecutablePath(), keyPath.c_str());
  menu.SetItemChecked(kReplaceTaskManagerCaption, replaced);
  tray.SetItemChecked(kReplaceTaskManagerCaption, replaced);
}

}  // namespace vantrel::app
