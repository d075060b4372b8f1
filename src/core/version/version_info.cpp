#include "core/version/version_info.h"

#include <array>
#include <cstdio>

#include "core/os/ascii.h"

namespace vantrel {
namespace {

constexpr uint32_t kFixedSignature = 0xFEEF04BD;
constexpr size_t kFixedSize = 52;
constexpr uint32_t kFlagPreRelease = 0x2;

uint16_t Word(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t DWord(const uint8_t* p) { return static_cast<uint32_t>(Word(p)) | static_cast<uint32_t>(Word(p + 2)) << 16; }
size_t Align4(size_t n) { return (n + 3) & ~size_t{3}; }

// UTF-16 units to wchar_t text, pairing surrogates where wchar_t is 32 bits wide.
std::wstring FromUtf16(const uint8_t* p, size_t units) {
  std::wstring s;
  s.reserve(units);
  for (size_t i = 0; i < units; ++i) {
    uint32_t c = Word(p + 2 * i);
    if constexpr (sizeof(wchar_t) == 4) {
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < units) {
        const uint32_t low = Word(p + 2 * (i + 1));
        if (low >= 0xDC00 && low < 0xE000) {
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
    }
    s += static_cast<wchar_t>(c);
  }
  return s;
}

// One node of the resource tree, as offsets into the buffer; all within [begin, end).
struct Block {
  std::wstring key;
  size_t valueBegin = 0, valueEnd = 0;  // the value as far as the block allows
  size_t valueLength = 0;               // as declared
  size_t childrenBegin = 0, end = 0;
};

// Reads the block at offset within limit; false when it does not fit.
bool ReadBlock(const uint8_t* data, size_t offset, size_t limit, bool textValue, Block& b) {
  if (offset + 6 > limit) return false;
  const size_t length = Word(data + offset);
  if (length < 6 || offset + length > limit) return false;
  b.end = offset + length;
  b.valueLength = Word(data + offset + 2);
  size_t p = offset + 6;
  size_t units = 0;
  while (p + 2 <= b.end && Word(data + p + 0) != 0) p += 2, ++units;
  if (p + 2 > b.end) return false;  // key without its NUL
  b.key = FromUtf16(data + offset + 6, units);
  p = Align4(p + 2);
  b.valueBegin = p < b.end ? p : b.end;
  const size_t declared = textValue ? 2 * b.valueLength : b.valueLength;
  b.valueEnd = b.valueBegin + declared <= b.end ? b.valueBegin + declared : b.end;
  b.childrenBegin = Align4(b.valueEnd);
  if (b.childrenBegin > b.end) b.childrenBegin = b.end;
  return true;
}

// Calls f(block) for each child of parent; stops at the first one that does not fit.
template <typename F>
void ForEachChild(const uint8_t* data, const Block& parent, bool textValues, F&& f) {
  size_t p = parent.childrenBegin;
  while (p < parent.end) {
    Block child;
    if (!ReadBlock(data, p, parent.end, textValues, child)) return;
    f(child);
    const size_t next = Align4(child.end);
    if (next <= p) return;
    p = next;
  }
}

// A string value: its text up to the first NUL or the block's end, whichever comes first. Tools disagree on
// whether the declared length counts bytes or characters, so the block's own extent is what bounds it.
std::wstring StringValue(const uint8_t* data, const Block& b) {
  size_t units = 0;
  for (size_t p = b.valueBegin; p + 2 <= b.end && Word(data + p) != 0; p += 2) ++units;
  return FromUtf16(data + b.valueBegin, units);
}

}  // namespace

std::wstring VersionText(uint32_t major, uint32_t minor, uint32_t release, uint32_t build, bool preRelease) {
  std::wstring text = std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." + std::to_wstring(release) + L"." +
                      std::to_wstring(build);
  if (preRelease) text += build != 0 ? L" BETA " + std::to_wstring(build) : std::wstring(L" BETA");
  return text;
}

std::wstring StringTableName(uint16_t language, uint16_t codePage) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04X%04X", static_cast<unsigned>(language), static_cast<unsigned>(codePage));
  return std::wstring(buf, buf + 8);
}

bool ParseVersionResource(const uint8_t* data, size_t size, VersionInfo& info) {
  std::wstring fileName = std::move(info.FileName);
  info = VersionInfo{};
  info.FileName = std::move(fileName);
  if (data == nullptr) return false;

  Block root;
  if (!ReadBlock(data, 0, size, false, root)) return false;
  if (root.valueEnd - root.valueBegin < kFixedSize || DWord(data + root.valueBegin) != kFixedSignature) return false;
  const uint8_t* fixed = data + root.valueBegin;
  const uint32_t fileMS = DWord(fixed + 8), fileLS = DWord(fixed + 12);
  const uint32_t prodMS = DWord(fixed + 16), prodLS = DWord(fixed + 20);
  info.Major = fileMS >> 16;
  info.Minor = fileMS & 0xFFFF;
  info.Release = fileLS >> 16;
  info.Build = fileLS & 0xFFFF;
  info.ProductMajor = prodMS >> 16;
  info.ProductMinor = prodMS & 0xFFFF;
  info.ProductRelease = prodLS >> 16;
  info.ProductBuild = prodLS & 0xFFFF;
  info.PreRelease = (DWord(fixed + 28) & kFlagPreRelease) != 0;  // the flags, without their mask

  // The first translation names the one string table that is read.
  std::wstring table(kDefaultStringTable);
  ForEachChild(data, root, false, [&](const Block& child) {
    if (!detail::EqualsNoCase(child.key, L"VarFileInfo")) return;
    ForEachChild(data, child, false, [&](const Block& var) {
      if (detail::EqualsNoCase(var.key, L"Translation") && var.valueEnd - var.valueBegin >= 4 &&
          table == kDefaultStringTable)
        table = StringTableName(Word(data + var.valueBegin), Word(data + var.valueBegin + 2));
    });
  });

  struct Key {
    const wchar_t* name;
    std::wstring VersionInfo::*field;
  };
  static const std::array<Key, 11> kKeys{{
      {L"ProductVersion", &VersionInfo::ProductVersion},
      {L"FileVersion", &VersionInfo::FileVersion},
      {L"FileDescription", &VersionInfo::Description},
      {L"LegalCopyright", &VersionInfo::Copyright},
      {L"LegalTrademarks", &VersionInfo::Trademarks},
      {L"Comments", &VersionInfo::Comments},
      {L"SpecialBuild", &VersionInfo::SpecialBuild},
      {L"ProductName", &VersionInfo::ProductName},
      {L"CompanyName", &VersionInfo::CompanyName},
      {L"InternalName", &VersionInfo::InternalName},
      {L"OriginalFileName", &VersionInfo::OriginalFilename},
  }};
  bool tableSeen = false;
  ForEachChild(data, root, true, [&](const Block& child) {
    if (!detail::EqualsNoCase(child.key, L"StringFileInfo")) return;
    ForEachChild(data, child, true, [&](const Block& strings) {
      if (tableSeen || !detail::EqualsNoCase(strings.key, table)) return;
      tableSeen = true;
      ForEachChild(data, strings, true, [&](const Block& s) {
        for (const Key& k : kKeys) {
          std::wstring& field = info.*(k.field);
          if (field.empty() && detail::EqualsNoCase(s.key, k.name)) field = StringValue(data, s);
        }
      });
    });
  });

  info.Version = VersionText(info.Major, info.Minor, info.Release, info.Build, info.PreRelease);
  return true;
}

}  // namespace vantrel
