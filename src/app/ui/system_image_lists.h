// The shell's system image lists and the stock icon indexes the pages show for rows without an icon of their own.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace vantrel::app {

struct SystemImageLists {
  HIMAGELIST Small = nullptr;  // the shell's: never destroyed
  HIMAGELIST Large = nullptr;
  int AppIcon = -1;      // an application
  int RegeditIcon = -1;  // the registry editor
  int BrowserIcon = -1;  // the browser
  static SystemImageLists Read();
};

}  // namespace vantrel::app
