// A pop-up menu whose items run handlers: the program menu and the tray menu are both one. Features insert their
// items before an existing caption; the window forwards WM_COMMAND to OnCommand.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/ui/menu_items.h"
#include "system/raii.h"

namespace vantrel::app {

class CommandMenu {
 public:
  // Item ids run from firstCommand up; two menus of one window need ranges apart.
  explicit CommandMenu(WORD firstCommand);
  HMENU get() const { return menu_.get(); }
  // Appends, or inserts before the item with the caption `before` when there is one.
  void AddItem(const std::wstring& caption, std::function<void()> onPick, const std::wstring& before = L"",
               UINT extraFlags = 0);
  // Inserts right after the item captioned `after` (appends when there is none).
  void AddItemAfter(const std::wstring& caption, std::function<void()> onPick, const std::wstring& after);
  void AddSeparator(const std::wstring& before = L"");
  // A submenu of entries (empty caption: separator), inserted like AddItem; the menu owns it.
  void AddSubmenu(const std::wstring& caption, const std::vector<MenuEntry>& entries, const std::wstring& before = L"");
  // Check marks of every item with the caption, submenus included.
  void SetItemChecked(const std::wstring& caption, bool checked);
  bool ItemChecked(const std::wstring& caption) const;
  // Runs the picked item; false when the id is not one of this menu's.
  bool OnCommand(WORD id);
  // The id the next item gets (for items of submenus built by the caller).
  WORD AddHandler(std::function<void()> onPick);

 private:
  WORD first_;
  win::UniqueMenu menu_;
  std::vector<std::function<void()>> handlers_;
};

// The menu of a part of the window (the program menu, the tray icon) as features see it: they add and check their
// items; the part keeps the menu itself.
class CommandMenuOwner {
 public:
  // Appends an item, or inserts it before the item with the caption `before` when there is one.
  void AddItem(const std::wstring& caption, std::function<void()> onPick, const std::wstring& before = L"") {
    items_.AddItem(caption, std::move(onPick), before);
  }
  void AddSeparator(const std::wstring& before = L"") { items_.AddSeparator(before); }
  void SetItemChecked(const std::wstring& caption, bool checked) { items_.SetItemChecked(caption, checked); }
  void AddItemAfter(const std::wstring& caption, std::function<void()> onPick, const std::wstring& after) {
    items_.AddItemAfter(caption, std::move(onPick), after);
  }
  void AddSubmenu(const std::wstring& caption, const std::vector<MenuEntry>& entries,
                  const std::wstring& before = L"") {
    items_.AddSubmenu(caption, entries, before);
  }
  bool ItemChecked(const std::wstring& caption) const { return items_.ItemChecked(caption); }
  CommandMenu& Items() { return items_; }
  // Runs the picked item (the frame forwards WM_COMMAND); false when the id is not one of this menu's.
  bool OnCommand(WORD id) { return items_.OnCommand(id); }

 protected:
  explicit CommandMenuOwner(WORD firstCommand) : items_(firstCommand) {}
  CommandMenu items_;
};

}  // namespace vantrel::app
