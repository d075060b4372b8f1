#include "app/single_instance.h"

#include <windows.h>

namespace vantrel::app {

bool CheckRunningInstance(const std::wstring& id, const std::wstring& className, bool activate) {
  const std::wstring name = L"Local\\" + id;
  HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
  if (!mutex) return false;
  if (::GetLastError() != ERROR_ALREADY_EXISTS) {
    // Held until the process ends; the system closes it then.
    return false;
  }
  ::CloseHandle(mutex);
  if (activate) {
    if (HWND other = ::FindWindowW(className.c_str(), nullptr)) {
      // A window hidden to the tray comes back as a click on the icon would bring it.
      if (!::IsWindowVisible(other)) ::ShowWindow(other, SW_SHOW);
      if (::IsIconic(other)) ::ShowWindow(other, SW_RESTORE);
      ::SetForegroundWindow(other);
    }
  }
  return true;
}

}  // namespace vantrel::app
