#include "app/ui/save_file_box.h"

#include <string>

#include "controls/message_dialogs.h"
#include "system/os/system_library.h"
#include "system/text/locale_text.h"

namespace vantrel {

bool ShowSaveFileBox(OPENFILENAMEW& ofn) {
  static SystemLibrary library(L"comdlg32.dll");
  static const auto getSaveFileName = library.Function<decltype(&::GetSaveFileNameW)>("GetSaveFileNameW");
  if (!getSaveFileName) {
    const DWORD error = library.Module() ? ERROR_PROC_NOT_FOUND : library.LoadError();
    ErrorDlg(std::wstring(library.Name()) + L": " + SystemErrorText(error));
    return false;
  }
  return getSaveFileName(&ofn) != FALSE;
}

}  // namespace vantrel
