// The program menu inside the window's system menu (Alt+Space, a right click on the caption), and F10 or Alt
// alone dropping the program menu down: the caption buttons are not the only way to its items.
#pragma once

#include <windows.h>

namespace vantrel::app {

// Appends a copy of the program menu's items, with the same ids, to the system menu. The copy is taken again
// each time the system menu opens, so check marks and disabled items follow the program menu.
class SystemMenuItems {
 public:
  void Attach(HWND window, HMENU programMenu);
  // WM_INITMENUPOPUP of the window menu.
  void Refresh();

 private:
  HWND window_ = nullptr;
  HMENU source_ = nullptr;
  int ownItems_ = -1;  // the system menu's own items, ours follow them
};

// A WM_SYSCOMMAND that carries one of the program menu's ids (the system's own are SC_* from F000h up).
inline bool IsProgramMenuSysCommand(WPARAM wParam) { return wParam < 0xF000; }
// F10, or Alt pressed and let go alone: the system asks for the menu bar with no character. Alt+Space carries
// the space and still opens the system menu.
inline bool IsMenuKeyRequest(WPARAM wParam, LPARAM lParam) { return (wParam & 0xFFF0) == SC_KEYMENU && lParam == 0; }

}  // namespace vantrel::app
