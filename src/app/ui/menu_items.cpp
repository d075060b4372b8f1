#include "app/ui/menu_items.h"

namespace vantrel::app {
namespace {

int PositionOf(HMENU menu, UINT id) {
  const int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i)
    if (::GetMenuItemID(menu, i) == id) return i;
  return -1;
}

}  // namespace

void InsertMenuEntry(HMENU menu, UINT flags, UINT_PTR id, const wchar_t* caption, UINT anchor, bool after) {
  const int at = anchor ? PositionOf(menu, anchor) : -1;
  const int count = ::GetMenuItemCount(menu);
  if (at >= 0 && (!after || at + 1 < count)) {
    ::InsertMenuW(menu, static_cast<UINT>(after ? at + 1 : at), MF_BYPOSITION | flags, id, caption);
    return;
  }
  ::AppendMenuW(menu, flags, id, caption);
}

HMENU BuildSubmenu(const std::vector<MenuEntry>& entries, std::vector<std::function<void()>>& handlers,
                   UINT_PTR firstId) {
  HMENU sub = ::CreatePopupMenu();
  for (const MenuEntry& entry : entries) {
    if (entry.caption.empty()) {
      ::AppendMenuW(sub, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    handlers.push_back(entry.onPick);
    ::AppendMenuW(sub, MF_STRING, firstId + handlers.size() - 1, entry.caption.c_str());
  }
  return sub;
}

}  // namespace vantrel::app
