#include "app/ui/menu_items.h"

namespace vantrel::app {
namespace {

std::wstring CaptionAt(HMENU menu, int position) {
  wchar_t text[128] = {};
  ::GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
  return text;
}

}  // namespace

void InsertMenuEntry(HMENU menu, UINT flags, UINT_PTR id, const wchar_t* caption, const std::wstring& anchor,
                     bool after) {
  const int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count && !anchor.empty(); ++i) {
    if (CaptionAt(menu, i) != anchor) continue;
    const int at = after ? i + 1 : i;
    if (at >= count) break;
    ::InsertMenuW(menu, static_cast<UINT>(at), MF_BYPOSITION | flags, id, caption);
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

void CheckMenuEntries(HMENU menu, const std::wstring& caption, bool checked) {
  const int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (HMENU sub = ::GetSubMenu(menu, i)) CheckMenuEntries(sub, caption, checked);
    else if (CaptionAt(menu, i) == caption)
      ::CheckMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
  }
}

bool MenuEntryChecked(HMENU menu, const std::wstring& caption) {
  const int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (HMENU sub = ::GetSubMenu(menu, i)) {
      if (MenuEntryChecked(sub, caption)) return true;
    } else if (CaptionAt(menu, i) == caption) {
      return (::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) != 0;
    }
  }
  return false;
}

}  // namespace vantrel::app
