#include "app/ui/command_menu.h"

namespace vantrel::app {

CommandMenu::CommandMenu(WORD firstCommand) : first_(firstCommand), menu_(::CreatePopupMenu()) {}

WORD CommandMenu::AddHandler(std::function<void()> onPick) {
  handlers_.push_back(std::move(onPick));
  return static_cast<WORD>(first_ + handlers_.size() - 1);
}

CommandMenu::ItemId CommandMenu::AddItem(const std::wstring& caption, std::function<void()> onPick, ItemId before,
                                         UINT extraFlags) {
  const ItemId id = AddHandler(std::move(onPick));
  InsertMenuEntry(menu_.get(), MF_STRING | extraFlags, id, caption.c_str(), before);
  return id;
}

CommandMenu::ItemId CommandMenu::AddItemAfter(const std::wstring& caption, std::function<void()> onPick, ItemId after) {
  const ItemId id = AddHandler(std::move(onPick));
  InsertMenuEntry(menu_.get(), MF_STRING, id, caption.c_str(), after, true);
  return id;
}

void CommandMenu::AddSeparator(ItemId before) { InsertMenuEntry(menu_.get(), MF_SEPARATOR, 0, nullptr, before); }

void CommandMenu::AddSubmenu(const std::wstring& caption, const std::vector<MenuEntry>& entries, ItemId before) {
  HMENU sub = BuildSubmenu(entries, handlers_, first_);
  InsertMenuEntry(menu_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(sub), caption.c_str(), before);
}

void CommandMenu::SetItemChecked(ItemId item, bool checked) {
  ::CheckMenuItem(menu_.get(), item, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool CommandMenu::ItemChecked(ItemId item) const {
  const UINT state = ::GetMenuState(menu_.get(), item, MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
}

bool CommandMenu::OnCommand(WORD id) {
  if (id < first_ || id >= first_ + handlers_.size()) return false;
  if (const auto& handler = handlers_[id - first_]) handler();
  return true;
}

}  // namespace vantrel::app
