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
  // An item's command id; features keep the ids of their items to place others beside them and to mark them.
  using ItemId = WORD;
  static constexpr ItemId kAppend = 0;

  // Item ids run from firstCommand up; two menus of one window need ranges apart.
  explicit CommandMenu(WORD firstCommand);
  HMENU get() const { return menu_.get(); }
  // Appends, or inserts before the item `before` when it is in the menu.
  ItemId AddItem(const std::wstring& caption, std::function<void()> onPick, ItemId before = kAppend,
                 UINT extraFlags = 0);
  // Inserts right after the item `after` (appends when it is not in the menu).
  ItemId AddItemAfter(const std::wstring& caption, std::function<void()> onPick, ItemId after);
  void AddSeparator(ItemId before = kAppend);
  // A submenu of entries (empty caption: separator), inserted like AddItem; the menu owns it.
  void AddSubmenu(const std::wstring& caption, const std::vector<MenuEntry>& entries, ItemId before = kAppend);
  void SetItemChecked(ItemId item, bool checked);
  bool ItemChecked(ItemId item) const;
  // Runs the picked item; false when the id is not one of this menu's.
  bool OnCommand(WORD id);
  // The id the next item gets (for items of submenus built by the caller).
  WORD AddHandler(std::function<void()> onPick);

 private:
  WORD first_;
  win::UniqueMenu menu_;
  std::vector<std::function<void()>> handlers_;
};

// The menu of a part of the window (the program menu, the tray icon) as features see it: they add and mark their
// items beside the menu's anchor, the load display switch, which both menus have.
class CommandMenuOwner {
 public:
  using ItemId = CommandMenu::ItemId;
  ItemId AddItem(const std::wstring& caption, std::function<void()> onPick, ItemId before = CommandMenu::kAppend) {
    return items_.AddItem(caption, std::move(onPick), before);
  }
  ItemId AddItemAfter(const std::wstring& caption, std::function<void()> onPick, ItemId after) {
    return items_.AddItemAfter(caption, std::move(onPick), after);
  }
  void AddSeparator(ItemId before = CommandMenu::kAppend) { items_.AddSeparator(before); }
  void AddSubmenu(const std::wstring& caption, const std::vector<MenuEntry>& entries,
                  ItemId before = CommandMenu::kAppend) {
    items_.AddSubmenu(caption, entries, before);
  }
  void SetItemChecked(ItemId item, bool checked) { items_.SetItemChecked(item, checked); }
  bool ItemChecked(ItemId item) const { return items_.ItemChecked(item); }
  // The item features place theirs beside (kAppend until it is added).
  ItemId Anchor() const { return anchor_; }
  void SetAnchor(ItemId item) { anchor_ = item; }
  CommandMenu& Items() { return items_; }
  // Runs the picked item (the frame forwards WM_COMMAND); false when the id is not one of this menu's.
  bool OnCommand(WORD id) { return items_.OnCommand(id); }

 protected:
  explicit CommandMenuOwner(WORD firstCommand) : items_(firstCommand) {}
  CommandMenu items_;
  ItemId anchor_ = CommandMenu::kAppend;
};

}  // namespace vantrel::app
