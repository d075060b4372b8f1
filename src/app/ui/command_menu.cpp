#include "app/ui/command_menu.h"

namespace vantrel::app {

CommandMenu::CommandMenu(WORD firstCommand) : first_(firstCommand), menu_(::CreatePopupMenu()) {}

WORD CommandMenu::AddHandler(std::function<void()> onPick) {
  handlers_.push_back(std::move(onPick));
  return static_cast<WORD>(first_ + handlers_.size() - 1);
}

void CommandMenu::AddItem(const std::wstring& caption, std::function<void()> onPick, const std::wstring& before,
                          UINT extraFlags) {
  InsertMenuEntry(menu_.get(), MF_STRING | extraFlags, AddHandler(std::move(onPick)), caption.c_str(), before);
}

void CommandMenu::AddItemAfter(const std::wstring& caption, std::function<void()> onPick, const std::wstring& after) {
  InsertMenuEntry(menu_.get(), MF_STRING, AddHandler(std::move(onPick)), caption.c_str(), after, true);
}

void CommandMenu::AddSeparator(const std::wstring& before) {
  InsertMenuEntry(menu_.get(), MF_SEPARATOR, 0, nullptr, before);
}

void CommandMenu::AddSubmenu(const std::wstring& caption, const std::vector<MenuEntry>& entries,
                             const std::wstring& before) {
  HMENU sub = BuildSubmenu(entries, handlers_, first_);
  InsertMenuEntry(menu_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(sub), caption.c_str(), before);
}

void CommandMenu::SetItemChecked(const std::wstring& caption, bool checked) {
  CheckMenuEntries(menu_.get(), caption, checked);
}

bool CommandMenu::ItemChecked(const std::wstring& caption) const { return MenuEntryChecked(menu_.get(), caption); }

bool CommandMenu::OnCommand(WORD id) {
  if (id < first_ || id >= first_ + handlers_.size()) return false;
  if (const auto& handler = handlers_[id - first_]) handler();
  return true;
}

}  // namespace vantrel::app
