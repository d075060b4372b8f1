// "拍摄快照" in the program menu: the main window, frame included, saved as a JPEG file that never replaces an
// earlier one; a failure shows the error box.
#pragma once

#include <windows.h>

#include <string>

#include "app/frame/program_menu.h"

namespace vantrel::app {

inline constexpr wchar_t kSnapshotCaption[] = L"拍摄快照";

// Inserts the item with a separator after it before the menu's anchor; returns the item. folder: "" = current
// directory.
ProgramMenu::ItemId AddSnapshotItem(ProgramMenu& menu, HWND mainWindow, const std::wstring& folder);
// What the item does.
void TakeSnapshot(HWND mainWindow, const std::wstring& folder);

}  // namespace vantrel::app
