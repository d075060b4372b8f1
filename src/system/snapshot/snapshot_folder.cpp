#include "system/snapshot/snapshot_folder.h"

#include <windows.h>
#include <shlobj.h>

namespace vantrel {
namespace {

std::wstring WithoutTrailingSlash(std::wstring path) {
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  const std::wstring x = WithoutTrailingSlash(a), y = WithoutTrailingSlash(b);
  return !x.empty() && ::CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(),
                                              static_cast<int>(y.size()), TRUE) == CSTR_EQUAL;
}

std::wstring Read(UINT(WINAPI* get)(LPWSTR, UINT)) {
  wchar_t buffer[MAX_PATH];
  const UINT n = get(buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

std::wstring CurrentDirectory() {
  wchar_t buffer[MAX_PATH];
  const DWORD n = ::GetCurrentDirectoryW(MAX_PATH, buffer);
  return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

std::wstring PicturesFolder() {
  PWSTR path = nullptr;
  std::wstring out;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_CREATE, nullptr, &path))) out = path;
  ::CoTaskMemFree(path);
  return out;
}

}  // namespace

std::wstring ResolveSnapshotFolder(const std::wstring& configured) {
  if (!configured.empty()) return configured;
  const std::wstring current = CurrentDirectory();
  if (!SameFolder(current, Read(::GetSystemDirectoryW)) && !SameFolder(current, Read(::GetWindowsDirectoryW)))
    return L"";
  return PicturesFolder();
}

}  // namespace vantrel
