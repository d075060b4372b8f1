#include "app/program_menu.h"

#include "app/menu_items.h"

namespace vantrel::app {

void ProgramMenu::Attach(HWND window, const std::wstring& title, const std::wstring& hint) {
  menu_.reset(::CreatePopupMenu());
  dpi_ = ui::Dpi::ForWindow(window);
  ui::CaptionButton menuButton;
  menuButton.caption = title;
  menuButton.hint = hint;
  menuButton.dropDown = menu_.get();
  menuButton.handCursor = true;
  bar_.AddButton(menuButton);
  ui::CaptionButton clock;
  clock.width = 250;
  clock.enabled = false;
  bar_.AddButton(clock);
  bar_.onDrawButton = [this](ui::CaptionToolbar& bar, int button, HDC dc, const RECT&, const RECT& buttonRect) {
    DrawButtonText(bar, button, dc, buttonRect);
  };
  bar_.Attach(window, ui::CaptionToolbar::Mode::NonClient);
}

void ProgramMenu::DrawButtonText(ui::CaptionToolbar& bar, int button, HDC dc, const RECT& buttonRect) {
  RECT text = buttonRect;
  text.right -= dpi_.Scale(14);
  if (button == 0) text.bottom -= dpi_.Scale(2);
  ui::CaptionToolbar::DrawButtonText(dc, bar.Button(button).caption, text, RGB(255, 255, 255),
                                     ui::CaptionToolbar::CaptionComposited());
}

void ProgramMenu::Insert(UINT flags, UINT_PTR id, const wchar_t* caption, const std::wstring& before) {
  InsertMenuEntry(menu_.get(), flags, id, caption, before);
}

void ProgramMenu::AddItemAfter(const std::wstring& caption, std::function<void()> onPick, const std::wstring& after) {
  handlers_.push_back(std::move(onPick));
  InsertMenuEntry(menu_.get(), MF_STRING, kFirstCommand + handlers_.size() - 1, caption.c_str(), after, true);
}

void ProgramMenu::AddSubmenu(const std::wstring& caption, const std::vector<MenuEntry>& entries, const std::wstring& before) {
  HMENU sub = BuildSubmenu(entries, handlers_, kFirstCommand);
  Insert(MF_POPUP, reinterpret_cast<UINT_PTR>(sub), caption.c_str(), before);
}

void ProgramMenu::AddItem(const std::wstring& caption, std::function<void()> onPick, const std::wstring& before) {
  handlers_.push_back(std::move(onPick));
  Insert(MF_STRING, kFirstCommand + handlers_.size() - 1, caption.c_str(), before);
}

void ProgramMenu::AddSeparator(const std::wstring& before) { Insert(MF_SEPARATOR, 0, nullptr, before); }

void ProgramMenu::SetItemChecked(const std::wstring& caption, bool checked) {
  CheckMenuEntries(menu_.get(), caption, checked);
}

bool ProgramMenu::OnCommand(WORD id) {
  if (id < kFirstCommand || id >= kFirstCommand + handlers_.size()) return false;
  if (const auto& handler = handlers_[id - kFirstCommand]) handler();
  return true;
}

}  // namespace vantrel::app
