#include "app/ui/system_image_lists.h"

#include <shellapi.h>
#include <shlobj.h>

#include <string>

namespace vantrel::app {
namespace {

void IconIndex(const std::wstring& path, int& field) {
  SHFILEINFOW fi{};
  if (::SHGetFileInfoW(path.c_str(), 0, &fi, sizeof(fi), SHGFI_SYSICONINDEX)) field = fi.iIcon;
}

std::wstring Folder(UINT (*read)(LPWSTR, UINT)) {
  wchar_t dir[MAX_PATH];
  const UINT n = read(dir, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(dir, n) : L"";
}

UINT SystemDirectory(LPWSTR buffer, UINT size) { return ::GetSystemDirectoryW(buffer, size); }
UINT WindowsDirectory(LPWSTR buffer, UINT size) { return ::GetWindowsDirectoryW(buffer, size); }

}  // namespace

SystemImageLists SystemImageLists::Read() {
  SystemImageLists lists;
  SHFILEINFOW info{};
  lists.Small =
      reinterpret_cast<HIMAGELIST>(::SHGetFileInfoW(L"", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  lists.Large = reinterpret_cast<HIMAGELIST>(::SHGetFileInfoW(L"", 0, &info, sizeof(info), SHGFI_SYSICONINDEX));
  const std::wstring systemDir = Folder(&SystemDirectory);
  const std::wstring windowsDir = Folder(&WindowsDirectory);
  if (!systemDir.empty()) IconIndex(systemDir + L"\\svchost.exe", lists.AppIcon);
  if (!windowsDir.empty()) IconIndex(windowsDir + L"\\regedit.exe", lists.RegeditIcon);
  if (!systemDir.empty()) IconIndex(systemDir + L"\\regedit.exe", lists.RegeditIcon);
  wchar_t dir[MAX_PATH];
  if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, dir)))
    IconIndex(std::wstring(dir) + L"\\Internet Explorer\\iexplore.exe", lists.BrowserIcon);
  return lists;
}

}  // namespace vantrel::app
