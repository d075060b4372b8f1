// Handles and modules of children that hold known objects open.
#include "system/process/handle_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cwctype>
#include <set>
#include <thread>

#include <tlhelp32.h>

#include "hanging_query.h"
#include "proc_children.h"
#include "system/process/module_list.h"

namespace vantrel {
namespace {

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}
bool EndsWith(const std::wstring& s, const std::wstring& tail) {
  const std::wstring a = Lower(s), b = Lower(tail);
  return a.size() >= b.size() && a.compare(a.size() - b.size(), b.size(), b) == 0;
}
bool Contains(const std::wstring& s, const std::wstring& part) { return Lower(s).find(Lower(part)) != std::wstring::npos; }

const HandleRecord* FindRow(const HandleList& list, const std::wstring& type,
                             const std::function<bool(const std::wstring&)>& name) {
  for (const HandleRecord& r : list.Handles)
    if (r.TypeName == type && name(r.Name)) return &r;
  return nullptr;
}

size_t CountRows(const HandleList& list, const std::wstring& type, const std::wstring& part) {
  return static_cast<size_t>(std::count_if(list.Handles.begin(), list.Handles.end(), [&](const HandleRecord& r) {
    return r.TypeName == type && Contains(r.Name, part);
  }));
}

double Ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Waits (bounded) until every file-name worker given up on has ended on its own.
bool NoStuckWorkers() {
  for (int i = 0; i < 100 && StuckFileNameWorkers() > 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return StuckFileNameWorkers() == 0;
}

using test::OwnThreads;

using test::HangingQuery;

class ProcessHandlesTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    children_ = new test::ChildProcesses;
    busy_ = test::StartHandlesChild(*children_, test::TempFolder(), 2000);
  }
  static void TearDownTestSuite() { delete children_; }
  static test::ChildProcesses* children_;
  static DWORD busy_;
};
test::ChildProcesses* ProcessHandlesTest::children_ = nullptr;
DWORD ProcessHandlesTest::busy_ = 0;

TEST_F(ProcessHandlesTest, TheExtendedTableIsRead) {
  std::vector<HandleTableEntry> table;
  HandleTableLayout layout = HandleTableLayout::Legacy;
  ASSERT_TRUE(ReadHandleTable(table, layout));
  EXPECT_EQ(layout, HandleTableLayout::Extended);
  EXPECT_GT(CountTableHandles(::GetCurrentProcessId()), 0u);
  EXPECT_GE(CountTableHandles(busy_), 2000u);
}

TEST_F(ProcessHandlesTest, EachKindOfHandleWithItsTypeAndName) {
  ASSERT_NE(busy_, 0u);
  const std::wstring id = std::to_wstring(busy_);
  const HandleList list = ReadHandles(busy_);
  ASSERT_TRUE(list.TableRead);
  for (const HandleRecord& r : list.Handles) {
    EXPECT_FALSE(r.Name.empty());
    EXPECT_EQ(r.PID, busy_);
  }
  const std::wstring known = test::TempFolder() + L"\\known-" + id + L".txt";
  EXPECT_TRUE(FindRow(list, L"File", [&](const std::wstring& n) { return Lower(n) == Lower(known); })) << known;
  EXPECT_TRUE(FindRow(list, L"File", [](const std::wstring& n) { return EndsWith(n, L":\\windows\\win.ini"); }));
  EXPECT_EQ(CountRows(list, L"File", L"\\tmp-" + id + L"-"), 2000u) << "every temporary file, as a drive path";
  EXPECT_TRUE(FindRow(list, L"Key", [&](const std::wstring& n) {
    return Lower(n).rfind(L"hku\\", 0) == 0 && EndsWith(n, L"\\Software\\VantrelHandles" + id);
  }));
  EXPECT_TRUE(FindRow(list, L"Key", [](const std::wstring& n) { return Lower(n) == L"hklm\\software\\microsoft"; }));
  EXPECT_TRUE(FindRow(list, L"Event", [&](const std::wstring& n) { return EndsWith(n, L"\\vantrel-event-" + id); }));
  EXPECT_TRUE(FindRow(list, L"Mutant", [&](const std::wstring& n) { return EndsWith(n, L"\\vantrel-mutex-" + id); }));
  EXPECT_TRUE(FindRow(list, L"Thread", [&](const std::wstring& n) {
    return n.rfind(L"TID: ", 0) == 0 && EndsWith(n, L" (PID: " + id + L")");
  }));
  EXPECT_TRUE(FindRow(list, L"Process", [](const std::wstring& n) {
    return n == L"PID: " + std::to_wstring(::GetCurrentProcessId());
  }));
  EXPECT_LT(list.Handles.size(), CountTableHandles(busy_)) << "unnamed objects give no row";
}

TEST_F(ProcessHandlesTest, NoFileNameWorkerOutlivesItsListing) {
  ASSERT_NE(busy_, 0u);
  ReadHandles(busy_);  // warm-up: whatever the first listing loads stays
  ASSERT_TRUE(NoStuckWorkers());
  const size_t before = OwnThreads();
  ASSERT_GT(before, 0u);
  for (int round = 0; round < 2; ++round) {
    EXPECT_TRUE(ReadHandles(busy_).TableRead);
    // A worker given up on under a heavy load ends a moment after its query: bounded patience for that case only.
    for (int i = 0; i < 40 && OwnThreads() != before; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(OwnThreads(), before) << "round " << round;
  }
}

TEST_F(ProcessHandlesTest, AHangingPipeAmongTwoThousandFilesCostsOneWaitAndNoOtherName) {
  ASSERT_TRUE(NoStuckWorkers());
  test::ChildProcesses children;  // a child of its own: no file of it is remembered as slow yet
  const DWORD pid = test::StartHandlesChild(children, test::TempFolder(), 2000);
  ASSERT_NE(pid, 0u);
  const std::wstring pipe = L"vantrel-pipe-" + std::to_wstring(pid);
  HangingQuery hang(pipe);
  const HandleList list = ReadHandles(pid, hang.Options());
  // On a quiet machine exactly the pipe times out; a heavy load can make an ordinary query overrun its wait too,
  // and each such file, and only it, may then be missing (unless its name still came back in time).
  ASSERT_GE(list.FileNameTimeouts, 1);
  ASSERT_LT(list.FileNameTimeouts, kFileNameTimeoutsPerListing);
  EXPECT_GE(StuckFileNameWorkers(), 1u);
  EXPECT_EQ(CountRows(list, L"File", pipe), 0u);
  const size_t files = CountRows(list, L"File", L"\\tmp-" + std::to_wstring(pid) + L"-");
  EXPECT_GE(files, 2000u - static_cast<size_t>(list.FileNameTimeouts - 1)) << "the other workers go on while one hangs";
  EXPECT_LE(files, 2000u);
  hang.Release();
  EXPECT_TRUE(NoStuckWorkers());
}

TEST_F(ProcessHandlesTest, OwnHandlesNamedAndUnnamed) {
  const std::wstring name = L"vantrel-own-event-" + std::to_wstring(::GetTickCount64());
  win::UniqueHandle named(::CreateEventW(nullptr, TRUE, FALSE, (L"Local\\" + name).c_str()));
  win::UniqueHandle unnamed(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const HandleList list = ReadHandles(::GetCurrentProcessId());
  const auto byValue = [&](HANDLE h) -> const HandleRecord* {
    for (const HandleRecord& r : list.Handles)
      if (r.Handle == reinterpret_cast<uintptr_t>(h)) return &r;
    return nullptr;
  };
  const HandleRecord* row = byValue(named.get());
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->TypeName, L"Event");
  EXPECT_TRUE(EndsWith(row->Name, L"\\" + name)) << row->Name;
  EXPECT_EQ(byValue(unnamed.get()), nullptr);
}

TEST_F(ProcessHandlesTest, AHangingFileNameCostsItsWaitOnceAndTheWorkerEndsOnItsOwn) {
  test::ChildProcesses children;
  const DWORD pid = test::StartHandlesChild(children, test::TempFolder(), 5);
  ASSERT_NE(pid, 0u);
  const std::wstring pipe = L"vantrel-pipe-" + std::to_wstring(pid);
  HangingQuery hang(pipe);
  const HandleListOptions options = hang.Options();
  ReadHandles(pid);  // warm-up without the hang: the first listing of a process pays for loading what it needs

  auto start = std::chrono::steady_clock::now();
  const HandleList first = ReadHandles(pid, options);
  const double firstMs = Ms(std::chrono::steady_clock::now() - start);
  start = std::chrono::steady_clock::now();
  const HandleList second = ReadHandles(pid, options);
  const double secondMs = Ms(std::chrono::steady_clock::now() - start);
  // Figures only: the wait itself is bounded by construction, and timings are the benchmark's business.
  std::printf("listing with the hanging pipe: %.1f ms, again: %.1f ms\n", firstMs, secondMs);

  EXPECT_EQ(first.FileNameTimeouts, 1);
  EXPECT_EQ(second.FileNameTimeouts, 0) << "the pipe is skipped from then on";
  EXPECT_EQ(StuckFileNameWorkers(), 1u);
  for (const HandleList* l : {&first, &second}) {
    EXPECT_EQ(CountRows(*l, L"File", pipe), 0u);
    EXPECT_EQ(CountRows(*l, L"File", L"\\tmp-" + std::to_wstring(pid) + L"-"), 5u) << "the other files still listed";
  }
  hang.Release();
  EXPECT_TRUE(NoStuckWorkers());
  EXPECT_EQ(CountRows(ReadHandles(pid, options), L"File", pipe), 1u)
      << "its query came back with a name in the end: it was only slow, and is read again";
}

// The known file is among the first handles; its query overruns the wait but answers while the others are still
// being read (each takes a few ms): the late name is kept, and the file is not remembered as slow.
TEST_F(ProcessHandlesTest, ANameThatArrivesLateButBeforeTheListingEndsIsKept) {
  ASSERT_TRUE(NoStuckWorkers());
  test::ChildProcesses children;
  const DWORD pid = test::StartHandlesChild(children, test::TempFolder(), 200);
  ASSERT_NE(pid, 0u);
  const std::wstring known = L"\\known-" + std::to_wstring(pid);
  HandleListOptions options;
  options.queryFileName = [known](HANDLE file) {
    std::wstring name = QueryFileName(file);
    ::Sleep(Contains(name, known) ? 2 * kFileNameWaitMs : 5);
    return name;
  };
  const HandleList first = ReadHandles(pid, options);
  EXPECT_GE(first.FileNameTimeouts, 1);
  EXPECT_EQ(CountRows(first, L"File", known), 1u);
  EXPECT_TRUE(NoStuckWorkers());
  options.queryFileName = QueryFileName;
  const HandleList second = ReadHandles(pid, options);
  EXPECT_EQ(CountRows(second, L"File", known), 1u) << "it answered: it is read again";
}

TEST_F(ProcessHandlesTest, AfterThreeTimeoutsTheRemainingFileNamesAreSkipped) {
  test::ChildProcesses children;
  const DWORD pid = test::StartHandlesChild(children, test::TempFolder(), 6);
  ASSERT_NE(pid, 0u);
  HangingQuery hang(L"\\tmp-" + std::to_wstring(pid) + L"-");
  const HandleList list = ReadHandles(pid, hang.Options());
  EXPECT_EQ(list.FileNameTimeouts, kFileNameTimeoutsPerListing);
  EXPECT_EQ(CountRows(list, L"File", L"\\tmp-"), 0u);
  EXPECT_TRUE(FindRow(list, L"Event", [](const std::wstring& n) { return Contains(n, L"vantrel-event-"); }))
      << "other kinds are still listed";
  hang.Release();
  EXPECT_TRUE(NoStuckWorkers());
}

// Several workers run at once; should all of them hang, neither the timeouts of a listing nor the stuck workers of
// the program exceed their limits, and once the limit of stuck workers is reached no file names are read at all.
TEST_F(ProcessHandlesTest, HangingWorkersStayWithinTheirLimits) {
  ASSERT_TRUE(NoStuckWorkers());
  test::ChildProcesses children;
  const DWORD pid = test::StartHandlesChild(children, test::TempFolder(), 12);
  ASSERT_NE(pid, 0u);
  HangingQuery hang(L"\\tmp-" + std::to_wstring(pid) + L"-");
  HandleListOptions options = hang.Options();
  // As many workers as may time out: the third listing starts fewer, as only two more may get stuck.
  options.fileNameWorkers = kFileNameTimeoutsPerListing;
  const int kFull = kFileNameTimeoutsPerListing;
  const int kRest = static_cast<int>(kMaxStuckFileNameWorkers) - 2 * kFull;
  struct Listing {
    int timeouts;
    size_t stuckAfter;
    bool otherFilesNamed;
  };
  const Listing listings[] = {
      {kFull, size_t(kFull), true},
      {kFull, size_t(2 * kFull), true},
      {kRest, kMaxStuckFileNameWorkers, true},
      {0, kMaxStuckFileNameWorkers, false},
  };
  for (size_t i = 0; i < std::size(listings); ++i) {
    const HandleList list = ReadHandles(pid, options);
    EXPECT_EQ(list.FileNameTimeouts, listings[i].timeouts) << "listing " << i;
    EXPECT_EQ(StuckFileNameWorkers(), listings[i].stuckAfter) << "listing " << i;
    EXPECT_EQ(CountRows(list, L"File", L"\\tmp-"), 0u) << "listing " << i;
    EXPECT_EQ(FindRow(list, L"File", [](const std::wstring& n) { return Contains(n, L"\\known-"); }) != nullptr,
              listings[i].otherFilesNamed)
        << "listing " << i;
    EXPECT_TRUE(FindRow(list, L"Event", [](const std::wstring& n) { return Contains(n, L"vantrel-event-"); }))
        << "listing " << i;
  }
  hang.Release();
  EXPECT_TRUE(NoStuckWorkers());
}

TEST_F(ProcessHandlesTest, ModulesOfAChildEachOnceWithVersions) {
  ASSERT_NE(busy_, 0u);
  const ModuleList list = ReadModules(busy_, true);
  EXPECT_FALSE(list.Impossible) << "the 64-bit build lists 64-bit processes";
  ASSERT_FALSE(list.Modules.empty());
  EXPECT_EQ(Lower(list.Modules.front().Name), L"proc_child.exe");
  std::set<std::wstring> paths;
  for (const ModuleRecord& m : list.Modules) EXPECT_TRUE(paths.insert(Lower(m.ImageName)).second) << m.ImageName;
  const auto dll = [&](const std::wstring& name) -> const ModuleRecord* {
    for (const ModuleRecord& m : list.Modules)
      if (Lower(m.Name) == name) return &m;
    return nullptr;
  };
  for (const wchar_t* name : {L"ntdll.dll", L"kernel32.dll"}) {
    const ModuleRecord* m = dll(name);
    ASSERT_NE(m, nullptr) << name;
    EXPECT_FALSE(m->Version.empty()) << name;
    EXPECT_GT(m->Size, 0) << name;
    EXPECT_NE(m->BaseAddress, 0u) << name;
    EXPECT_TRUE(EndsWith(m->ImageName, std::wstring(L"\\system32\\") + name)) << m->ImageName;
  }
  EXPECT_TRUE(ReadModules(0x7FFFFFF0, false).Modules.empty()) << "no such process";
  EXPECT_TRUE(ReadModules(0, true).Modules.empty()) << "the idle process, not this one";
}

}  // namespace
}  // namespace vantrel
