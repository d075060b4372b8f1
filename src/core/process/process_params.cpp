#include "core/process/process_params.h"

#include <algorithm>
#include <cstring>

#include "core/paths/paths.h"

namespace vantrel {
namespace {

struct LayoutInfo {
  uint64_t pebParameters;  // offset of the ProcessParameters pointer in the PEB
  size_t pointerSize;
  size_t stringSize;        // sizeof(UNICODE_STRING)
  size_t stringBuffer;      // offset of Buffer in UNICODE_STRING
  size_t currentDirectory;  // offsets in RTL_USER_PROCESS_PARAMETERS
  size_t imagePathName;
  size_t commandLine;
  size_t environment;
  size_t environmentSize;  // recorded from Vista on
};

constexpr LayoutInfo kLayout64{0x20, 8, 16, 8, 0x38, 0x60, 0x70, 0x80, 0x3F0};
constexpr LayoutInfo kLayout32{0x10, 4, 8, 4, 0x24, 0x38, 0x40, 0x48, 0x290};

const LayoutInfo& Info(PebLayout layout) { return layout == PebLayout::Native64 ? kLayout64 : kLayout32; }

uint64_t LoadUnsigned(const uint8_t* p, size_t size) {
  uint64_t v = 0;
  for (size_t i = 0; i < size; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
  return v;
}

std::wstring WideFromBytes(const uint8_t* bytes, size_t chars) {
  std::wstring s(chars, L'\0');
  for (size_t i = 0; i < chars; ++i) s[i] = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return s;
}

// A string header already in memory: [Length u16][MaximumLength u16][pad][Buffer].
bool ReadStringFromHeader(ProcessMemoryReader& reader, const uint8_t* header, const LayoutInfo& info,
                          std::wstring& text) {
  size_t length = static_cast<size_t>(LoadUnsigned(header, 2));
  const size_t maximum = static_cast<size_t>(LoadUnsigned(header + 2, 2));
  const uint64_t buffer = LoadUnsigned(header + info.stringBuffer, info.pointerSize);
  length = std::min(length, maximum) & ~size_t{1};  // both are 16-bit, so at most 65,534 bytes
  text.clear();
  if (length == 0) return true;
  if (buffer == 0) return false;
  std::vector<uint8_t> bytes(length);
  if (!reader.Read(buffer, bytes.data(), length)) return false;
  text = WideFromBytes(bytes.data(), length / 2);
  if (const size_t nul = text.find(L'\0'); nul != std::wstring::npos) text.resize(nul);
  return true;
}

// The text up to the end of the last complete entry; a block whose whole entries end in the empty one keeps it.
std::wstring TrimToWholeEntries(std::wstring text) {
  const size_t end = text.find(std::wstring_view(L"\0\0", 2));
  if (end != std::wstring::npos) {
    text.resize(end + 2);
    return text;
  }
  const size_t lastNul = text.rfind(L'\0');
  text.resize(lastNul == std::wstring::npos ? 0 : lastNul + 1);
  return text;
}

}  // namespace

bool ReadCountedString(ProcessMemoryReader& reader, uint64_t address, PebLayout layout, std::wstring& text) {
  const LayoutInfo& info = Info(layout);
  uint8_t header[16] = {};
  text.clear();
  if (!reader.Read(address, header, info.stringSize)) return false;
  return ReadStringFromHeader(reader, header, info, text);
}

bool ReadProcessParameters(ProcessMemoryReader& reader, uint64_t pebAddress, PebLayout layout,
                           ProcessParameters& params) {
  params = {};
  const LayoutInfo& info = Info(layout);
  uint8_t pointer[8] = {};
  if (pebAddress == 0 || !reader.Read(pebAddress + info.pebParameters, pointer, info.pointerSize)) return false;
  const uint64_t block = LoadUnsigned(pointer, info.pointerSize);
  if (block == 0) return false;

  // The whole header when it is there (it carries the environment size), else the part before it.
  std::vector<uint8_t> header(info.environmentSize + 8, 0);
  bool haveSize = reader.Read(block, header.data(), header.size());
  if (!haveSize && !reader.Read(block, header.data(), info.environment + info.pointerSize)) return false;

  params.HaveCurrentDirectory =
      ReadStringFromHeader(reader, header.data() + info.currentDirectory, info, params.CurrentDirectory);
  params.HaveImagePathName =
      ReadStringFromHeader(reader, header.data() + info.imagePathName, info, params.ImagePathName);
  params.HaveCommandLine = ReadStringFromHeader(reader, header.data() + info.commandLine, info, params.CommandLine);
  params.Environment = LoadUnsigned(header.data() + info.environment, info.pointerSize);
  if (haveSize) params.EnvironmentSize = LoadUnsigned(header.data() + info.environmentSize, info.pointerSize);
  return true;
}

bool ReadEnvironmentBlock(ProcessMemoryReader& reader, uint64_t address, uint64_t sizeHint, std::wstring& block) {
  block.clear();
  if (address == 0) return false;
  if (sizeHint != 0) {
    const size_t size = static_cast<size_t>(std::min<uint64_t>(sizeHint, kMaxEnvironmentBytes)) & ~size_t{1};
    std::vector<uint8_t> bytes(size);
    if (size != 0 && reader.Read(address, bytes.data(), size)) {
      block = TrimToWholeEntries(WideFromBytes(bytes.data(), size / 2));
      return true;
    }
    // A recorded size that cannot be read whole: fall back to the page walk.
  }
  // Page by page, so that a failed read means the end of the mapped block, not a read across it.
  constexpr uint64_t kPage = 4096;
  std::vector<uint8_t> bytes;
  uint64_t at = address;
  while (bytes.size() < kMaxEnvironmentBytes) {
    const uint64_t next = (at / kPage + 1) * kPage;
    if (next <= at) break;  // the address space ends here
    const size_t chunk = static_cast<size_t>(std::min<uint64_t>(next - at, kMaxEnvironmentBytes - bytes.size()));
    const size_t old = bytes.size();
    bytes.resize(old + chunk);
    if (!reader.Read(at, bytes.data() + old, chunk)) {
      bytes.resize(old);
      break;
    }
    at = next;
    // Stop once the empty entry is in: a NUL pair on a character boundary.
    bool ended = false;
    for (size_t i = old & ~size_t{1}; i + 3 < bytes.size(); i += 2)
      if (!bytes[i] && !bytes[i + 1] && !bytes[i + 2] && !bytes[i + 3]) {
        ended = true;
        break;
      }
    if (ended) break;
    if (old >= 2) {  // the pair may straddle the chunk boundary
      const size_t i = (old & ~size_t{1}) - 2;
      if (i + 3 < bytes.size() && !bytes[i] && !bytes[i + 1] && !bytes[i + 2] && !bytes[i + 3]) break;
    }
  }
  if (bytes.empty()) return false;
  block = TrimToWholeEntries(WideFromBytes(bytes.data(), bytes.size() / 2));
  return true;
}

bool ReadProcessEnvironment(ProcessMemoryReader& reader, uint64_t pebAddress, PebLayout layout,
                            std::vector<std::wstring>& lines) {
  lines.clear();
  ProcessParameters params;
  if (!ReadProcessParameters(reader, pebAddress, layout, params)) return false;
  std::wstring block;
  if (!ReadEnvironmentBlock(reader, params.Environment, params.EnvironmentSize, block)) return false;
  lines = ParseEnvironmentBlock(block);
  return true;
}

}  // namespace vantrel
