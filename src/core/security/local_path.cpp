#include "core/security/local_path.h"

namespace vantrel {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

wchar_t FullPathDriveLetter(std::wstring_view path) {
  // Only the literal prefixes of a local file: "\\.\" names devices and "\\?\UNC\" a share.
  for (std::wstring_view prefix : {std::wstring_view(L"\\\\?\\"), std::wstring_view(L"\\??\\")}) {
    if (path.substr(0, prefix.size()) == prefix) {
      path.remove_prefix(prefix.size());
      break;
    }
  }
  if (path.size() < 3 || !IsAsciiLetter(path[0]) || path[1] != L':' || !IsSeparator(path[2])) return 0;
  return path[0] >= L'a' ? static_cast<wchar_t>(path[0] - L'a' + L'A') : path[0];
}

bool IsLocalFixedPath(std::wstring_view path, const DriveKindFn& driveKind) {
  const wchar_t letter = FullPathDriveLetter(path);
  return letter != 0 && driveKind && driveKind(letter) == DriveKind::Fixed;
}

}  // namespace vantrel
