#include "app/ui/context_menu.h"

#include "system/raii.h"

namespace vantrel::app {

void ContextMenu::Add(std::wstring caption, std::function<void()> onPick, bool enabled) {
  items_.push_back({std::move(caption), std::move(onPick), enabled});
}

void ContextMenu::AddSeparator() {
  if (!items_.empty() && !items_.back().caption.empty()) items_.push_back({});
}

bool ContextMenu::Pick(const std::wstring& caption) const {
  for (const Item& item : items_) {
    if (item.caption != caption || !item.enabled || !item.onPick) continue;
    item.onPick();
    return true;
  }
  return false;
}

void ContextMenu::Show(HWND owner, POINT at) const {
  if (items_.empty()) return;
  win::UniqueMenu menu(::CreatePopupMenu());
  for (size_t i = 0; i < items_.size(); ++i) {
    const Item& item = items_[i];
    if (item.caption.empty()) ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    else ::AppendMenuW(menu.get(), MF_STRING | (item.enabled ? 0 : MF_GRAYED), i + 1, item.caption.c_str());
  }
  // The command comes back as the result, so nothing reaches the owner's window procedure.
  const UINT picked = static_cast<UINT>(
      ::TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, owner, nullptr));
  if (picked == 0 || picked > items_.size()) return;
  const Item& item = items_[picked - 1];
  if (item.onPick) item.onPick();
}

}  // namespace vantrel::app
