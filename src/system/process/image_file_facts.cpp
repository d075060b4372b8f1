#include "system/process/image_file_facts.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cwctype>

#include "core/version/version_info.h"
#include "system/os/file_version.h"

namespace vantrel {
namespace {

std::wstring FoldCase(std::wstring s) {
  std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return s;
}

}  // namespace

TImageFileFacts ReadImageFileFacts(const std::wstring& path, int32_t defaultImageIndex) {
  TImageFileFacts f;
  f.ImageIndex = defaultImageIndex;
  SHFILEINFOW info{};
  if (::SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
    f.ImageIndex = info.iIcon;
  TVersionInfo vi;
  GetFileVerInfo(path, vi);
  f.Desc = vi.Description;
  f.Company = vi.CompanyName;
  f.Version = vi.FileVersion;
  f.Copyright = vi.Copyright;
  f.Size = std::max<int64_t>(GetFileSize(path), 0);
  return f;
}

const TImageFileFacts& TImageFileCache::Get(const std::wstring& path, int32_t defaultImageIndex) {
  auto [it, added] = files_.try_emplace(FoldCase(path));
  if (added) it->second.facts = reader_(path, defaultImageIndex);
  it->second.used = true;
  return it->second.facts;
}

void TImageFileCache::DropUnused() {
  for (auto it = files_.begin(); it != files_.end();) {
    if (it->second.used) {
      it->second.used = false;
      ++it;
    } else {
      it = files_.erase(it);
    }
  }
}

}  // namespace vantrel
