// Placing items in a program pop-up menu next to a neighbour, found by its command id, shared by the program menu
// and the tray menu.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vantrel::app {

// One item of a submenu; an empty caption is a separator.
struct MenuEntry {
  std::wstring caption;
  std::function<void()> onPick;
};

// Inserts before (or after) the item whose command id is anchor; appends when anchor is 0 or not in the menu.
void InsertMenuEntry(HMENU menu, UINT flags, UINT_PTR id, const wchar_t* caption, UINT anchor, bool after = false);
// A new pop-up menu of entries; each item's handler is appended to handlers and gets the id firstId + its index.
HMENU BuildSubmenu(const std::vector<MenuEntry>& entries, std::vector<std::function<void()>>& handlers,
                   UINT_PTR firstId);

}  // namespace vantrel::app
