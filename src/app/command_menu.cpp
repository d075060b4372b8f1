#include "app/command_menu.h"

namespace vantrel::app {

CommandMenu::CommandMenu(WORD firstCommand) : first_(firstCommand), menu_(::CreatePopupMenu()) {}

int CommandMenu::PositionOf(const std::wstring& caption) const {
  const int count = ::GetMenuItemCount(menu_.get());
  for (int i = 0; i < count && !caption.empty(); ++i) {
    wchar_t text[128] = {};
    ::GetMenuStringW(menu_.get(), static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    if (caption == text) return i;
  }
  return -1;
}

void CommandMenu::Insert(UINT flags, UINT_PTR id, const wchar_t* caption, const std::wstring& before) {
  const int at = PositionOf(before);
  if (at >= 0) ::InsertMenuW(menu_.get(), static_cast<UINT>(at), MF_BYPOSITION | flags, id, caption);
  else ::AppendMenuW(menu_.get(), flags, id, caption);
}

WORD CommandMenu::AddHandler(std::function<void()> onPick) {
  handlers_.push_back(std::move(onPick));
  return static_cast<WORD>(first_ + handlers_.size() - 1);
}

void CommandMenu::AddItem(const std::wstring& caption, std::function<void()> onPick, const std::wstring& before,
                          UINT extraFlags) {
  Insert(MF_STRING | extraFlags, AddHandler(std::move(onPick)), caption.c_str(), before);
}

void CommandMenu::AddSeparator(const std::wstring& before) { Insert(MF_SEPARATOR, 0, nullptr, before); }

void CommandMenu::AddSubmenu(const std::wstring& caption, HMENU submenu, const std::wstring& before) {
  Insert(MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), caption.c_str(), before);
}

void CommandMenu::SetItemChecked(const std::wstring& caption, bool checked) {
  const int at = PositionOf(caption);
  if (at >= 0) ::CheckMenuItem(menu_.get(), static_cast<UINT>(at), MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool CommandMenu::OnCommand(WORD id) {
  if (id < first_ || id >= first_ + handlers_.size()) return false;
  if (const auto& handler = handlers_[id - first_]) handler();
  return true;
}

}  // namespace vantrel::app
