#include "app/program_menu.h"

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
  const int count = ::GetMenuItemCount(menu_.get());
  for (int i = 0; i < count && !before.empty(); ++i) {
    wchar_t text[128] = {};
    ::GetMenuStringW(menu_.get(), static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    if (before == text) {
      ::InsertMenuW(menu_.get(), static_cast<UINT>(i), MF_BYPOSITION | flags, id, caption);
      return;
    }
  }
  ::AppendMenuW(menu_.get(), flags, id, caption);
}

void ProgramMenu::AddItem(const std::wstring& caption, std::function<void()> onPick, const std::wstring& before) {
  handlers_.push_back(std::move(onPick));
  Insert(MF_STRING, kFirstCommand + handlers_.size() - 1, caption.c_str(), before);
}

void ProgramMenu::AddSeparator(const std::wstring& before) { Insert(MF_SEPARATOR, 0, nullptr, before); }

void ProgramMenu::SetItemChecked(const std::wstring& caption, bool checked) {
  const int count = ::GetMenuItemCount(menu_.get());
  for (int i = 0; i < count; ++i) {
    wchar_t text[128] = {};
    ::GetMenuStringW(menu_.get(), static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    if (caption == text)
      ::CheckMenuItem(menu_.get(), static_cast<UINT>(i), MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
  }
}

bool ProgramMenu::OnCommand(WORD id) {
  if (id < kFirstCommand || id >= kFirstCommand + handlers_.size()) return false;
  if (const auto& handler = handlers_[id - kFirstCommand]) handler();
  return true;
}

}  // namespace vantrel::app
