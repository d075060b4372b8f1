// A file's version resource: the record the views copy from, and the parser over the resource's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

struct VersionInfo {
  std::wstring FileName;
  std::wstring FileVersion;
  std::wstring Version;
  std::wstring ProductName;
  std::wstring CompanyName;
  std::wstring Description;
  std::wstring Comments;
  std::wstring Copyright;
  std::wstring Trademarks;
  std::wstring InternalName;
  std::wstring OriginalFilename;
  std::wstring ProductVersion;
  uint32_t Major = 0, Minor = 0, Release = 0, Build = 0;
  uint32_t ProductMajor = 0, ProductMinor = 0, ProductRelease = 0, ProductBuild = 0;
  std::wstring SpecialBuild;
  bool PreRelease = false;
};

// "%d.%d.%d.%d", with " BETA %d" (the build) or " BETA" (build 0) for a pre-release.
std::wstring VersionText(uint32_t major, uint32_t minor, uint32_t release, uint32_t build, bool preRelease);

// The string table a resource is read under: "%04X%04X" of the first translation's language and code page.
std::wstring StringTableName(uint16_t language, uint16_t codePage);
inline constexpr std::wstring_view kDefaultStringTable = L"040904E4";

// Fills info (all but FileName, which it leaves alone) from the bytes of a VS_VERSIONINFO resource. Every field
// is cleared first. True when the fixed file information was found; the strings are read only then, from the
// table of the first translation (or the default table when there is none).
bool ParseVersionResource(const uint8_t* data, size_t size, VersionInfo& info);

}  // namespace vantrel
