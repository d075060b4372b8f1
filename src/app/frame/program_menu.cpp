#include "app/frame/program_menu.h"

namespace vantrel::app {

void ProgramMenu::Attach(HWND window, const std::wstring& title, const std::wstring& hint,
                         ui::CaptionToolbar::Mode mode) {
  dpi_ = ui::Dpi::ForWindow(window);
  ui::CaptionButton menuButton;
  menuButton.caption = title;
  menuButton.hint = hint;
  menuButton.dropDown = items_.get();
  menuButton.handCursor = true;
  bar_.AddButton(menuButton);
  ui::CaptionButton clock;
  clock.width = 250;
  clock.enabled = false;
  bar_.AddButton(clock);
  bar_.onDrawButton = [this](ui::CaptionToolbar& bar, int button, HDC dc, const RECT&, const RECT& buttonRect) {
    DrawButtonText(bar, button, dc, buttonRect);
  };
  bar_.Attach(window, mode);
}

void ProgramMenu::DrawButtonText(ui::CaptionToolbar& bar, int button, HDC dc, const RECT& buttonRect) {
  RECT text = buttonRect;
  text.right -= dpi_.Scale(14);
  if (button == 0) text.bottom -= dpi_.Scale(2);
  ui::CaptionToolbar::DrawButtonText(dc, bar.Button(button).caption, text, RGB(255, 255, 255),
                                     ui::CaptionToolbar::CaptionComposited());
}

}  // namespace vantrel::app
