// The caption bar's program menu and its clock/CPU text button. Features add their own items; a pick runs the
// item's handler.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "controls/caption_toolbar.h"
#include "controls/dpi.h"
#include "app/menu_items.h"
#include "system/raii.h"

namespace vantrel::app {

class ProgramMenu {
 public:
  // Menu commands use the ids from here up; the frame forwards WM_COMMAND to OnCommand.
  static constexpr WORD kFirstCommand = 0x4000;

  // Puts the menu button (caption title, hint) and the clock button on the window's caption bar.
  void Attach(HWND window, const std::wstring& title, const std::wstring& hint);
  // Appends an item, or inserts it before the item with the caption `before` when there is one.
  void AddItem(const std::wstring& caption, std::function<void()> onPick, const std::wstring& before = L"");
  void AddSeparator(const std::wstring& before = L"");
  // Inserts an item right after the item captioned after (appends when there is none).
  void AddItemAfter(const std::wstring& caption, std::function<void()> onPick, const std::wstring& after);
  // A submenu of entries (empty caption: separator) inserted like AddItem.
  void AddSubmenu(const std::wstring& caption, const std::vector<MenuEntry>& entries, const std::wstring& before = L"");
  bool ItemChecked(const std::wstring& caption) const { return MenuEntryChecked(menu_.get(), caption); }
  void SetItemChecked(const std::wstring& caption, bool checked);
  HMENU menu() const { return menu_.get(); }
  ui::CaptionToolbar& bar() { return bar_; }
  // The clock/CPU button's text.
  void SetClockText(const std::wstring& text) { bar_.SetCaption(1, text); }
  void ApplyDpi(const ui::Dpi& dpi) { dpi_ = dpi; }
  // Runs the picked item; false when the id is not one of this menu's.
  bool OnCommand(WORD id);

 private:
  void Insert(UINT flags, UINT_PTR id, const wchar_t* caption, const std::wstring& before);
  void DrawButtonText(ui::CaptionToolbar& bar, int button, HDC dc, const RECT& buttonRect);

  win::UniqueMenu menu_;
  ui::CaptionToolbar bar_;
  std::vector<std::function<void()>> handlers_;
  ui::Dpi dpi_;
};

}  // namespace vantrel::app
