// Placing items in a program pop-up menu by the caption of a neighbour, shared by the program menu and the tray
// menu.
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

// Inserts before (or after) the first item captioned anchor; appends when anchor is empty or not found.
void InsertMenuEntry(HMENU menu, UINT flags, UINT_PTR id, const wchar_t* caption, const std::wstring& anchor,
                     bool after = false);
// A new pop-up menu of entries; each item's handler is appended to handlers and gets the id firstId + its index.
HMENU BuildSubmenu(const std::vector<MenuEntry>& entries, std::vector<std::function<void()>>& handlers,
                   UINT_PTR firstId);
// Sets the check mark of every item captioned caption, submenus included.
void CheckMenuEntries(HMENU menu, const std::wstring& caption, bool checked);
// Whether the first item captioned caption (submenus included) is checked.
bool MenuEntryChecked(HMENU menu, const std::wstring& caption);

}  // namespace vantrel::app
