#include "controls/paint_buffer.h"

#include <cstring>

namespace vantrel::ui {

bool CopyTextToClipboard(HWND owner, const std::wstring& text) {
  if (!::OpenClipboard(owner)) return false;
  bool ok = false;
  ::EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* p = ::GlobalLock(mem)) {
      std::memcpy(p, text.c_str(), bytes);
      ::GlobalUnlock(mem);
      ok = ::SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
    }
    if (!ok) ::GlobalFree(mem);  // the clipboard owns the memory only after a successful set
  }
  ::CloseClipboard();
  return ok;
}

}  // namespace vantrel::ui
