#include "app/frame/system_menu_items.h"

#include <iterator>

namespace vantrel::app {
namespace {

void CopyItems(HMENU from, HMENU to) {
  const int count = ::GetMenuItemCount(from);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW item{sizeof item};
    item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    item.dwTypeData = text;
    item.cch = static_cast<UINT>(std::size(text) - 1);
    if (!::GetMenuItemInfoW(from, static_cast<UINT>(i), TRUE, &item)) continue;
    if (item.hSubMenu) {
      HMENU sub = ::CreatePopupMenu();
      CopyItems(item.hSubMenu, sub);
      item.hSubMenu = sub;  // owned by the system menu from here on, destroyed with its item
    }
    item.dwTypeData = text;
    ::InsertMenuItemW(to, static_cast<UINT>(::GetMenuItemCount(to)), TRUE, &item);
  }
}

}  // namespace

void SystemMenuItems::Attach(HWND window, HMENU programMenu) {
  window_ = window;
  source_ = programMenu;
  HMENU system = ::GetSystemMenu(window_, FALSE);
  ownItems_ = system ? ::GetMenuItemCount(system) : -1;
  Refresh();
}

void SystemMenuItems::Refresh() {
  HMENU system = window_ ? ::GetSystemMenu(window_, FALSE) : nullptr;
  if (!system || ownItems_ < 0 || !source_) return;
  while (::GetMenuItemCount(system) > ownItems_) ::DeleteMenu(system, static_cast<UINT>(ownItems_), MF_BYPOSITION);
  ::AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
  CopyItems(source_, system);
}

}  // namespace vantrel::app
