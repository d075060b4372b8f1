#include "system/process/image_file_facts.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cwctype>

#include "core/version/version_info.h"
#include "system/os/file_version.h"
#include "system/security/admin_only_path.h"

namespace vantrel {
namespace {

std::wstring FoldCase(std::wstring s) {
  std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return s;
}

}  // namespace

ImageFileFacts ReadImageFileFacts(const std::wstring& path, int32_t defaultImageIndex) {
  ImageFileFacts f;
  f.ImageIndex = defaultImageIndex;
  if (!IsLocalFixedPath(path)) return f;
  SHFILEINFOW info{};
  if (::SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
    f.ImageIndex = info.iIcon;
  VersionInfo vi;
  GetFileVerInfo(path, vi);
  f.Desc = vi.Description;
  f.Company = vi.CompanyName;
  f.Version = vi.FileVersion;
  f.Copyright = vi.Copyright;
  f.Size = std::max<int64_t>(GetFileSize(path), 0);
  return f;
}

FileStamp ReadFileStamp(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return {};
  return {
      static_cast<int64_t>((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow),
      static_cast<int64_t>((uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime)};
}

const ImageFileFacts& ImageFileCache::Get(const std::wstring& path, int32_t defaultImageIndex) {
  auto [it, added] = files_.try_emplace(FoldCase(path));
  Entry& e = it->second;
  // Once per round: a walk names one file for many processes, and each drive question costs round trips.
  if (added || !e.used) {
    // Another machine's file (or a device's) is never opened: its server may be a stranger's or dead.
    if (!IsLocalFixedPath(path)) {
      if (added) e.facts.ImageIndex = defaultImageIndex;
    } else {
      const FileStamp now = stamp_ ? stamp_(path) : FileStamp{};
      if (added || now != e.stamp) e.facts = reader_(path, defaultImageIndex);
      e.stamp = now;
    }
  }
  e.used = true;
  return it->second.facts;
}

void ImageFileCache::DropUnused() {
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
