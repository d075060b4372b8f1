// The caption bar's program menu and its clock/CPU text button. Features add their own items; a pick runs the
// item's handler.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/ui/command_menu.h"
#include "controls/caption_toolbar.h"
#include "controls/dpi.h"
#include "system/raii.h"

namespace vantrel::app {

class ProgramMenu : public CommandMenuOwner {
 public:
  // Menu commands use the ids from here up; the frame forwards WM_COMMAND to OnCommand.
  static constexpr WORD kFirstCommand = 0x4000;
  ProgramMenu() : CommandMenuOwner(kFirstCommand) {}

  // Puts the menu button (caption title, hint) and the clock button on the window's caption bar.
  void Attach(HWND window, const std::wstring& title, const std::wstring& hint,
              ui::CaptionToolbar::Mode mode = ui::CaptionToolbar::Mode::NonClient);
  HMENU menu() const { return items_.get(); }
  ui::CaptionToolbar& bar() { return bar_; }
  // The clock/CPU button's text.
  void SetClockText(const std::wstring& text) { bar_.SetCaption(1, text); }
  void ApplyDpi(const ui::Dpi& dpi) {
    dpi_ = dpi;
    bar_.ApplyDpi(dpi);
  }

 private:
  void DrawButtonText(ui::CaptionToolbar& bar, int button, HDC dc, const RECT& buttonRect);

  ui::CaptionToolbar bar_;
  ui::Dpi dpi_;
};

}  // namespace vantrel::app
