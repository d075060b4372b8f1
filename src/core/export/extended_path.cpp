#include "core/export/extended_path.h"

#include <algorithm>

namespace vantrel {
namespace {

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

std::wstring ExtendedLengthPath(const std::wstring& fullPath) {
  if (fullPath.rfind(L"\\\\?\\", 0) == 0 || fullPath.rfind(L"\\\\.\\", 0) == 0) return fullPath;
  std::wstring path = fullPath;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  if (path.size() >= 3 && IsLetter(path[0]) && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
  // A share needs its server and share names: "\\server\share".
  if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\') {
    const size_t serverEnd = path.find(L'\\', 2);
    if (serverEnd != std::wstring::npos && serverEnd > 2 && serverEnd + 1 < path.size() && path[serverEnd + 1] != L'\\')
      return L"\\\\?\\UNC\\" + path.substr(2);
  }
  return L"";
}

}  // namespace vantrel
