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

std::function<void()> AddTaskManagerReplacementItem(ProgramMenu& menu, TrayIcon& tray, const std::wstring& keyPath,
                                                    AdminOnlyPathFn isAdminOnlyPath) {
  // The ids are known only once both items exist; the toggle reads them through the shared pair.
  auto items = std::make_shared<std::pair<ProgramMenu::ItemId, TrayIcon::ItemId>>();
  auto sync = [&menu, &tray, keyPath, items] {
    const bool replaced = IsTaskManagerReplaced(OwnExecutablePath(), keyPath.c_str());
    menu.SetItemChecked(items->first, replaced);
    tray.SetItemChecked(items->second, replaced);
  };
  auto toggle = [keyPath, isAdminOnlyPath = std::move(isAdminOnlyPath), sync] {
    const std::wstring exe = OwnExecutablePath();
    // A standard user or a missing key leaves the registry as it was; the mark then shows that at once.
    SwitchTaskManagerReplacement(!IsTaskManagerReplaced(exe, keyPath.c_str()), exe, keyPath, isAdminOnlyPath);
    sync();
  };
  items->first = menu.AddItemAfter(kReplaceTaskManagerCaption, toggle, menu.Anchor());
  items->second = tray.AddItemAfter(kReplaceTaskManagerCaption, toggle, tray.Anchor());
  sync();
  return sync;
}

}  // namespace vantrel::app
