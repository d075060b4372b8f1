#include "core/handles/handle_records.h"
#include "core/handles/object_name.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vantrel {
namespace {

// Builds a handle-table buffer field by field, at the offsets of the layout under test.
class TableWriter {
 public:
  TableWriter(HandleTableLayout layout, bool is64) : layout_(layout), is64_(is64) {}
  size_t Ptr() const { return is64_ ? 8 : 4; }
  size_t Header() const { return layout_ == HandleTableLayout::Extended ? 2 * Ptr() : Ptr(); }
  size_t Entry() const { return layout_ == HandleTableLayout::Extended ? 3 * Ptr() + 16 : (is64_ ? 24 : 16); }

  std::vector<uint8_t> Build(const std::vector<HandleTableEntry>& entries, uint64_t claimedCount) {
    std::vector<uint8_t> b(Header() + entries.size() * Entry(), 0xCC);
    if (layout_ == HandleTableLayout::Extended)
      Put(b, 0, claimedCount, Ptr());
    else
      Put(b, 0, claimedCount, 4);
    for (size_t i = 0; i < entries.size(); ++i) {
      const size_t e = Header() + i * Entry();
      const HandleTableEntry& t = entries[i];
      if (layout_ == HandleTableLayout::Extended) {
        Put(b, e, 0xDEAD, Ptr());  // object
        Put(b, e + Ptr(), t.PID, Ptr());
        Put(b, e + 2 * Ptr(), t.Handle, Ptr());
        Put(b, e + 3 * Ptr(), t.Access, 4);
        Put(b, e + 3 * Ptr() + 4, 0, 2);
        Put(b, e + 3 * Ptr() + 6, t.TypeIndex, 2);
      } else {
        Put(b, e, t.PID, 2);
        Put(b, e + 2, 0, 2);
        Put(b, e + 4, t.TypeIndex, 1);
        Put(b, e + 5, 0, 1);
        Put(b, e + 6, t.Handle, 2);
        Put(b, e + 8, 0xDEAD, Ptr());
        Put(b, e + 8 + Ptr(), t.Access, 4);
      }
    }
    return b;
  }

 private:
  static void Put(std::vector<uint8_t>& b, size_t at, uint64_t v, size_t n) { std::memcpy(&b[at], &v, n); }
  HandleTableLayout layout_;
  bool is64_;
};

TEST(HandleTable, ParsesEveryLayoutAndBitness) {
  struct Case {
    HandleTableLayout layout;
    bool is64;
    uint64_t pid, handle;  // what the layout can carry
  } cases[] = {
      {HandleTableLayout::Extended, true, 70000, 0x1'0000'0a4},
      {HandleTableLayout::Extended, false, 70000, 0x100a4},
      {HandleTableLayout::Legacy, true, 4464, 0x1a4},
      {HandleTableLayout::Legacy, false, 4464, 0x1a4},
  };
  for (const Case& c : cases) {
    TableWriter w(c.layout, c.is64);
    const std::vector<HandleTableEntry> in = {{c.pid, c.handle, 0x1F0003, 28}, {4, 8, 0x20019, 20}};
    const std::vector<uint8_t> buf = w.Build(in, in.size());
    std::vector<HandleTableEntry> out;
    ASSERT_TRUE(ParseHandleTable(buf.data(), buf.size(), c.layout, c.is64, out));
    ASSERT_EQ(out.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(out[i].PID, in[i].PID) << c.is64;
      EXPECT_EQ(out[i].Handle, in[i].Handle) << c.is64;
      EXPECT_EQ(out[i].Access, in[i].Access) << c.is64;
      EXPECT_EQ(out[i].TypeIndex, in[i].TypeIndex) << c.is64;
    }
  }
}

TEST(HandleTable, ACountBeyondTheBufferOrAShortHeaderIsRefused) {
  TableWriter w(HandleTableLayout::Extended, true);
  const std::vector<uint8_t> buf = w.Build({{1, 4, 0, 5}}, 2);  // claims two, holds one
  std::vector<HandleTableEntry> out{{9, 9, 9, 9}};
  EXPECT_FALSE(ParseHandleTable(buf.data(), buf.size(), HandleTableLayout::Extended, true, out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(ParseHandleTable(buf.data(), 15, HandleTableLayout::Extended, true, out));
  const std::vector<uint8_t> huge = w.Build({}, ~uint64_t{0});
  EXPECT_FALSE(ParseHandleTable(huge.data(), huge.size(), HandleTableLayout::Extended, true, out));
  const std::vector<uint8_t> empty = w.Build({}, 0);
  EXPECT_TRUE(ParseHandleTable(empty.data(), empty.size(), HandleTableLayout::Extended, true, out));
  EXPECT_TRUE(out.empty());
}

TEST(HandleTable, TheGrowthLoopIsBoundedInSizeAndCalls) {
  EXPECT_EQ(NextHandleTableSize(4096, 1000), 8192u) << "at least twice the last size";
  EXPECT_EQ(NextHandleTableSize(4096, 80000), 100000u) << "the reported length plus a quarter";
  EXPECT_EQ(NextHandleTableSize(4096, ~size_t{0}), kHandleTableMaxBytes) << "a bogus length is capped";
  EXPECT_EQ(NextHandleTableSize(kHandleTableMaxBytes, 10), 0u) << "nothing beyond the cap";
  // A system that always answers "too small" with a bogus length gets a bounded number of calls.
  size_t size = 4096;
  int calls = 1;
  while (calls < kHandleTableMaxAttempts && (size = NextHandleTableSize(size, size + 1)) != 0) ++calls;
  EXPECT_LE(calls, kHandleTableMaxAttempts);
  EXPECT_LE(size, kHandleTableMaxBytes);
}

TEST(HandleTypes, NamesByNumberAndDispatchByName) {
  EXPECT_EQ(ObjectTypeName(0), L"Unknown");
  EXPECT_EQ(ObjectTypeName(20), L"Key");
  EXPECT_EQ(ObjectTypeName(28), L"File");
  EXPECT_EQ(ObjectTypeName(29), L"WMI GUID");
  EXPECT_EQ(ObjectTypeName(30), L"Unknown type 30");
  struct Case {
    const wchar_t* name;
    uint16_t typ, expected;
  } cases[] = {{L"File", 37, kTypFile},       {L"FILE", 1, kTypFile},         {L"thread", 8, kTypThread},
               {L"Process", 7, kTypProcess}, {L"Token", 5, kTypToken},       {L"Section", 42, kTypSection},
               {L"Job", 3, kTypJob},         {L"Directory", 3, kTypDirectory}, {L"Key", 44, kTypKey},
               {L"Event", 16, 16},           {L"Files", 9, 9},               {L"", 12, 12}};
  for (const Case& c : cases) EXPECT_EQ(DispatchTypeNumber(c.name, c.typ), c.expected) << c.name;
}

TEST(HandleNames, ProcessThreadAndRegistryNames) {
  EXPECT_EQ(ProcessHandleName(70000), L"PID: 70000");
  EXPECT_EQ(ThreadHandleName(36, 12), L"TID: 36 (PID: 12)");
  struct Case {
    uint16_t typ;
    const wchar_t* name;
    uint16_t typAfter;
    const wchar_t* nameAfter;
  } cases[] = {
      {kTypKey, L"\\REGISTRY\\MACHINE\\Software\\X", kTypKey, L"HKLM\\Software\\X"},
      {kTypKey, L"\\REGISTRY\\User\\S-1-5-21\\Software", kTypKey, L"HKU\\S-1-5-21\\Software"},
      {kTypKey, L"\\Registry\\Machine\\System", kTypKey, L"HKLM\\System"},  // any case, as Wine writes it
      {44, L"\\REGISTRY\\Machine\\Software", kTypKey, L"HKLM\\Software"},    // another number becomes a key
      {16, L"\\Sessions\\1\\BaseNamedObjects\\X", 16, L"\\Sessions\\1\\BaseNamedObjects\\X"},
      {16, L"\\BaseNamedObjects\\\\REGISTRY\\USER", 16, L"\\BaseNamedObjects\\\\REGISTRY\\USER"},  // not at the start
      {16, L"", 16, L""},  // unnamed: nothing to list
  };
  for (const Case& c : cases) {
    HandleRecord r;
    r.Typ = c.typ;
    r.TypeName = L"T";
    ApplyObjectName(r, c.name);
    EXPECT_EQ(r.Typ, c.typAfter) << c.name;
    EXPECT_EQ(r.Name, c.nameAfter) << c.name;
    EXPECT_EQ(r.TypeName, c.typAfter == kTypKey && c.typ != kTypKey ? L"Key" : L"T") << c.name;
  }
}

TEST(HandleNames, FileNameInformationNeverReadsPastItsBuffer) {
  auto info = [](uint32_t claimed, const std::wstring& text) {
    std::vector<uint8_t> b(4 + text.size() * 2);
    std::memcpy(b.data(), &claimed, 4);
    for (size_t i = 0; i < text.size(); ++i) {
      const uint16_t unit = static_cast<uint16_t>(text[i]);
      std::memcpy(b.data() + 4 + 2 * i, &unit, 2);
    }
    return b;
  };
  const std::vector<uint8_t> exact = info(8, L"\\a\\b\\c");
  EXPECT_EQ(FileNameInformationText(exact.data(), exact.size()), L"\\a\\b");
  const std::vector<uint8_t> cut = info(4000, L"\\long");  // claims more than the buffer holds
  EXPECT_EQ(FileNameInformationText(cut.data(), cut.size()), L"\\long");
  const std::vector<uint8_t> odd = info(3, L"ab");
  EXPECT_EQ(FileNameInformationText(odd.data(), odd.size()), L"a");
  EXPECT_EQ(FileNameInformationText(exact.data(), 3), L"");

  EXPECT_EQ(ChooseFileName(std::wstring(L"\\??\\C:\\x.txt\0junk", 16), L"\\x.txt"), L"\\??\\C:\\x.txt");
  EXPECT_EQ(ChooseFileName(L"", L"\\windows\\win.ini"), L"\\windows\\win.ini");
}

// The object-name answer: a counted string whose pointer must land inside the buffer the system filled.
TEST(HandleNames, ACountedStringIsReadOnlyInsideItsBuffer) {
  const std::u16string name = u"\\Device\\Foo";
  for (const bool is64 : {false, true}) {
    const size_t header = is64 ? 16 : 8;
    std::vector<uint8_t> buf(header + name.size() * 2, 0);
    const uint64_t base = 0x10000;
    auto set = [&](uint16_t length, uint64_t pointer) {
      std::memcpy(buf.data(), &length, 2);
      const uint16_t maximum = length;
      std::memcpy(buf.data() + 2, &maximum, 2);
      if (is64) std::memcpy(buf.data() + 8, &pointer, 8);
      else {
        const uint32_t p32 = static_cast<uint32_t>(pointer);
        std::memcpy(buf.data() + 4, &p32, 4);
      }
    };
    std::memcpy(buf.data() + header, name.data(), name.size() * 2);
    const uint16_t bytes = static_cast<uint16_t>(name.size() * 2);
    const struct {
      uint16_t length;
      uint64_t pointer;
      std::wstring text;
    } cases[] = {
        {bytes, base + header, L"\\Device\\Foo"},
        {static_cast<uint16_t>(bytes - 1), base + header, L"\\Device\\Fo"},  // an odd length drops its last byte
        {4, base + header + 2, L"De"},
        {static_cast<uint16_t>(bytes + 2), base + header, L""},  // one character past the end
        {2, base + buf.size() - 1, L""},
        {bytes, base - 2, L""},                                   // before the buffer
        {bytes, 0, L""},
        {0, base + header, L""},
    };
    for (const auto& c : cases) {
      set(c.length, c.pointer);
      EXPECT_EQ(CountedStringText(buf.data(), buf.size(), base, is64), c.text) << is64 << " " << c.length;
    }
    EXPECT_EQ(CountedStringText(buf.data(), header - 1, base, is64), L"") << "shorter than its header";
  }
}

TEST(HandleTexts, HandleValueAndCells) {
  EXPECT_EQ(HandleValueText(420), L"0x000001a4");
  EXPECT_EQ(HandleValueText(0), L"0x00000000");
  EXPECT_EQ(HandleValueText(0x1'0000'0000ull), L"0x100000000") << "wide values are never cut";
  HandleRecord r;
  r.TypeName = L"File";
  r.Name = L"C:\\x";
  r.Handle = 0x1a4;
  EXPECT_EQ(HandleCellText(r, Index(HandleColumn::Type)), L"File");
  EXPECT_EQ(HandleCellText(r, Index(HandleColumn::Name)), L"C:\\x");
  EXPECT_EQ(HandleCellText(r, Index(HandleColumn::Handle)), L"0x000001a4");
  EXPECT_EQ(HandlesCaption(12), L" 句柄 (12) ");
}

TEST(SlowFileNames, EachSlowHandleCostsItsWaitOnceAndStuckWorkersAreCapped) {
  SlowFileNames slow;
  const SlowFileNames::Key pipe{12, 0x40};
  EXPECT_FALSE(slow.Skip(pipe));
  slow.TimedOut(pipe);
  EXPECT_TRUE(slow.Skip(pipe));
  slow.WorkerReturned(pipe, false);
  EXPECT_TRUE(slow.Skip(pipe)) << "a handle whose late query gave no name is still skipped";
  EXPECT_EQ(slow.StuckWorkers(), 0u);
  const SlowFileNames::Key file{12, 0x44};
  slow.TimedOut(file);
  slow.WorkerReturned(file, true);
  EXPECT_FALSE(slow.Skip(file)) << "a file that was only slow is read again";
  EXPECT_TRUE(slow.Skip(pipe));
  for (uint64_t h = 1; h <= kMaxStuckFileNameWorkers; ++h) {
    EXPECT_FALSE(slow.WorkersExhausted());
    slow.TimedOut({13, h * 4});
  }
  EXPECT_TRUE(slow.WorkersExhausted());
  slow.WorkerReturned({13, 4}, false);
  EXPECT_FALSE(slow.WorkersExhausted());
}

}  // namespace
}  // namespace vantrel
