#include "core/process/process_params.h"
#include "core/paths/paths.h"

#include <gtest/gtest.h>

#include <map>

namespace vantrel {
namespace {

// A target address space made of readable regions; a read that leaves a region fails, as ReadProcessMemory does.
// Memory is readable in whole pages, so each region runs on to its page end with filler bytes.
class FakeMemory : public ProcessMemoryReader {
 public:
  void Put(uint64_t address, std::vector<uint8_t> bytes) {
    const uint64_t end = address + bytes.size();
    bytes.resize(bytes.size() + static_cast<size_t>((4096 - end % 4096) % 4096), 0xCC);
    regions_[address] = std::move(bytes);
  }
  std::vector<uint8_t>& At(uint64_t address) { return regions_.at(address); }
  bool Read(uint64_t address, void* buffer, size_t size) override {
    ++reads;
    for (const auto& [start, bytes] : regions_)
      if (address >= start && address - start <= bytes.size() && size <= bytes.size() - (address - start)) {
        std::copy_n(bytes.data() + (address - start), size, static_cast<uint8_t*>(buffer));
        return true;
      }
    return false;
  }
  int reads = 0;

 private:
  std::map<uint64_t, std::vector<uint8_t>> regions_;
};

void Store(std::vector<uint8_t>& b, size_t at, uint64_t v, size_t size) {
  for (size_t i = 0; i < size; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
std::vector<uint8_t> Utf16(const std::wstring& s) {
  std::vector<uint8_t> b;
  for (wchar_t c : s) {
    b.push_back(static_cast<uint8_t>(c & 0xFF));
    b.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
  }
  return b;
}

struct Layout {
  PebLayout layout;
  size_t ptr, str, buf, peb, cur, img, cmd, env, envSize;
};
const Layout k64{PebLayout::Native64, 8, 16, 8, 0x20, 0x38, 0x60, 0x70, 0x80, 0x3F0};
const Layout k32{PebLayout::Wow64x86, 4, 8, 4, 0x10, 0x24, 0x38, 0x40, 0x48, 0x290};

constexpr uint64_t kPeb = 0x7000, kParams = 0x20000, kCmd = 0x30000, kImg = 0x31000, kCur = 0x32000,
                   kEnv = 0x40000;

// A well-formed target: PEB -> parameters -> strings and environment, in the given layout.
struct Target {
  FakeMemory mem;
  Layout l;
  explicit Target(const Layout& layout, const std::wstring& cmd = L"app.exe -x 中文",
                  const std::wstring& img = L"C:\\app.exe") : l(layout) {
    std::vector<uint8_t> peb(0x40, 0);
    Store(peb, l.peb, kParams, l.ptr);
    mem.Put(kPeb, peb);
    std::vector<uint8_t> params(l.envSize + 8, 0);
    SetString(params, l.cmd, kCmd, cmd.size() * 2, cmd.size() * 2 + 2);
    SetString(params, l.img, kImg, img.size() * 2, img.size() * 2 + 2);
    SetString(params, l.cur, kCur, 10, 12);
    Store(params, l.env, kEnv, l.ptr);
    mem.Put(kParams, params);
    mem.Put(kCmd, Utf16(cmd + L'\0'));
    mem.Put(kImg, Utf16(img + L'\0'));
    mem.Put(kCur, Utf16(L"C:\\d\\"));
  }
  void SetString(std::vector<uint8_t>& params, size_t at, uint64_t buffer, size_t length, size_t maximum) {
    Store(params, at, length, 2);
    Store(params, at + 2, maximum, 2);
    Store(params, at + l.buf, buffer, l.ptr);
  }
  std::vector<uint8_t>& Params() { return mem.At(kParams); }
};

TEST(ReadProcessParameters, BothLayouts) {
  for (const Layout* l : {&k64, &k32}) {
    Target t(*l);
    ProcessParameters p;
    ASSERT_TRUE(ReadProcessParameters(t.mem, kPeb, l->layout, p));
    EXPECT_EQ(p.CommandLine, L"app.exe -x 中文");
    EXPECT_EQ(p.ImagePathName, L"C:\\app.exe");
    EXPECT_EQ(p.CurrentDirectory, L"C:\\d\\");
    EXPECT_EQ(p.Environment, kEnv);
    EXPECT_TRUE(p.HaveCommandLine && p.HaveImagePathName);
  }
}

TEST(ReadProcessParameters, HostileCountedStrings) {
  // Length and MaximumLength come from the target: each case must stay inside the bytes that were asked for.
  struct Case {
    const char* what;
    size_t length, maximum;
    std::wstring buffer;
    bool ok;
    std::wstring expected;
  } cases[] = {
      {"length above maximum is clamped", 40, 6, L"abcdefgh", true, L"abc"},
      {"odd length made even", 5, 100, L"abcdefgh", true, L"ab"},
      {"no NUL at the end", 8, 8, L"abcd", true, L"abcd"},
      {"embedded NUL stops the text", 8, 8, std::wstring(L"ab\0d", 4), true, L"ab"},
      {"length past readable memory", 0xFFFE, 0xFFFE, L"abcd", false, L""},
      {"zero length is an empty text", 0, 0, L"", true, L""},
  };
  for (const Layout* l : {&k64, &k32})
    for (const Case& c : cases) {
      Target t(*l);
      t.SetString(t.Params(), l->cmd, kCmd, c.length, c.maximum);
      t.mem.Put(kCmd, Utf16(c.buffer));
      ProcessParameters p;
      ASSERT_TRUE(ReadProcessParameters(t.mem, kPeb, l->layout, p)) << c.what;
      EXPECT_EQ(p.HaveCommandLine, c.ok) << c.what;
      EXPECT_EQ(p.CommandLine, c.expected) << c.what;
      EXPECT_EQ(p.ImagePathName, L"C:\\app.exe") << c.what << ": a bad string spoils only itself";
    }
}

TEST(ReadProcessParameters, UnreadableChain) {
  Target noPeb(k64);
  ProcessParameters p;
  EXPECT_FALSE(ReadProcessParameters(noPeb.mem, 0x9999000, PebLayout::Native64, p));
  EXPECT_FALSE(ReadProcessParameters(noPeb.mem, 0, PebLayout::Native64, p));

  FakeMemory nullParams;
  nullParams.Put(kPeb, std::vector<uint8_t>(0x40, 0));
  EXPECT_FALSE(ReadProcessParameters(nullParams, kPeb, PebLayout::Native64, p));

  // A short parameters block (before the environment size existed) still gives the strings.
  Target shortBlock(k32);
  shortBlock.Params().resize(k32.env + 4);
  ASSERT_TRUE(ReadProcessParameters(shortBlock.mem, kPeb, PebLayout::Wow64x86, p));
  EXPECT_EQ(p.CommandLine, L"app.exe -x 中文");
  EXPECT_EQ(p.EnvironmentSize, 0u);
}

TEST(ReadProcessParameters, LongCommandLine) {
  const std::wstring longLine = L"x.exe " + std::wstring(5000, L'y');
  Target t(k64, longLine);
  ProcessParameters p;
  ASSERT_TRUE(ReadProcessParameters(t.mem, kPeb, PebLayout::Native64, p));
  EXPECT_EQ(p.CommandLine, longLine);
}

TEST(ReadEnvironmentBlock, SizedAndWalkedBlocks) {
  const std::wstring block(L"A=1\0=C:=C:\\\0PATH=C:\\中\0\0", 24);
  struct Case {
    const char* what;
    std::wstring memory;
    uint64_t sizeHint;
    std::vector<std::wstring> expected;
  } cases[] = {
      {"recorded size", block, block.size() * 2, {L"A=1", L"PATH=C:\\中"}},
      {"no size: walk to the empty entry", block + L"garbage", 0, {L"A=1", L"PATH=C:\\中"}},
      {"size larger than memory: walk instead", block, 1 << 20, {L"A=1", L"PATH=C:\\中"}},
      {"unterminated: the cut entry is dropped", std::wstring(L"A=1\0B=2", 7), 0, {L"A=1"}},
      {"odd recorded size", block, block.size() * 2 - 1, {L"A=1", L"PATH=C:\\中"}},
  };
  for (const Case& c : cases) {
    FakeMemory mem;
    mem.Put(kEnv, Utf16(c.memory));
    std::wstring text;
    ASSERT_TRUE(ReadEnvironmentBlock(mem, kEnv, c.sizeHint, text)) << c.what;
    EXPECT_EQ(ParseEnvironmentBlock(text), c.expected) << c.what;
  }
}

TEST(ReadEnvironmentBlock, WalkCrossesPagesAndStopsAtCap) {
  // A block larger than one page, starting mid-page, with no recorded size: all entries come back.
  std::wstring big;
  std::vector<std::wstring> expected;
  for (int i = 0; i < 1500; ++i) {
    expected.push_back(L"V" + std::to_wstring(i) + L"=value");
    big += expected.back() + L'\0';
  }
  big += L'\0';
  FakeMemory mem;
  mem.Put(kEnv + 100, Utf16(big));
  std::wstring text;
  ASSERT_TRUE(ReadEnvironmentBlock(mem, kEnv + 100, 0, text));
  EXPECT_EQ(ParseEnvironmentBlock(text), expected);

  // Memory that never ends the block: the walk stops at the cap.
  FakeMemory endless;
  endless.Put(kEnv, std::vector<uint8_t>(kMaxEnvironmentBytes + 65536, 'a'));
  ASSERT_TRUE(ReadEnvironmentBlock(endless, kEnv, 0, text));
  EXPECT_TRUE(text.empty());  // no complete entry
  EXPECT_LE(endless.reads, static_cast<int>(kMaxEnvironmentBytes / 4096) + 1);

  FakeMemory nothing;
  EXPECT_FALSE(ReadEnvironmentBlock(nothing, kEnv, 0, text));
  EXPECT_FALSE(ReadEnvironmentBlock(nothing, 0, 10, text));
}

TEST(ReadProcessEnvironment, ThroughTheParameters) {
  for (const Layout* l : {&k64, &k32}) {
    Target t(*l);
    const std::wstring block(L"HOME=C:\\u\0X=中文\0\0", 17);
    t.mem.Put(kEnv, Utf16(block));
    Store(t.Params(), l->envSize, block.size() * 2, l->ptr);
    std::vector<std::wstring> lines;
    ASSERT_TRUE(ReadProcessEnvironment(t.mem, kPeb, l->layout, lines));
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"HOME=C:\\u", L"X=中文"}));
  }
}

}  // namespace
}  // namespace vantrel
