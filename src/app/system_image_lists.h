// The shell's system image lists and the stock icon indexes the pages show for rows without an icon of their own.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace vantrel::app {

struct SystemImageLists {
  HIMAGELIST Small = nullptr;  // the shell's: never destroyed
  HIMAGELIST Large = nullptr;
  int FiiApp = -1;  // an application
  int FiiReg = -1;  // the registry editor
  int FiiIE = -1;   // the browser
  static SystemImageLists Read();
};

}  // namespace vantrel::app
