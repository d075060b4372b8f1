// A pop-up menu whose items run handlers: the program menu and the tray menu are both one. Features insert their
// items before an existing caption; the window forwards WM_COMMAND to OnCommand.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

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
  void AddSeparator(const std::wstring& before = L"");
  // A submenu (not owned by the caller afterwards: the menu destroys it).
  void AddSubmenu(const std::wstring& caption, HMENU submenu, const std::wstring& before = L"");
  void SetItemChecked(const std::wstring& caption, bool checked);
  // Runs the picked item; false when the id is not one of this menu's.
  bool OnCommand(WORD id);
  // The id the next item gets (for items of submenus built by the caller).
  WORD AddHandler(std::function<void()> onPick);

 private:
  void Insert(UINT flags, UINT_PTR id, const wchar_t* caption, const std::wstring& before);
  int PositionOf(const std::wstring& caption) const;

  WORD first_;
  win::UniqueMenu menu_;
  std::vector<std::function<void()>> handlers_;
};

}  // namespace vantrel::app
