// The snapshot against children of this test whose command lines, windows and parents are known.
#include "system/process/process_snapshot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/os/ascii.h"
#include "proc_children.h"
#include "system/text/locale_text.h"

namespace vantrel {
namespace {

const TProcessRecord* Find(const TProcesses& rows, DWORD pid) {
  for (const TProcessRecord& r : rows)
    if (r.PID == pid) return &r;
  return nullptr;
}

// Waits until the child owns a top-level window (its start is asynchronous).
bool WaitForWindow(DWORD pid) {
  for (int i = 0; i < 100; ++i) {
    if (GetProcessWindowCount(pid) > 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

DWORD WaitForChildOf(DWORD parent) {
  for (int i = 0; i < 100; ++i) {
    TProcessSnapshot snap;
    for (const TProcessRecord& r : snap.Snapshot([](const TProcessRecord&) { return false; }))
      if (r.PPID == parent) return r.PID;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return 0;
}

class ProcessSnapshotTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    children_ = new test::TChildren;
    chinese_ = children_->Start(L"wait", L"中文参数 \"带 空格\" ü", &chineseLine_, L"VANTREL_PROC_TEST=环境变量");
    long_ = children_->Start(L"wait", L"--long " + std::wstring(4500, L'x') + L" end", &longLine_);
    parent_ = children_->Start(L"parent", L"");
    hung_ = children_->Start(L"hung", L"");
    window_ = children_->Start(L"window", L"");
    ASSERT_TRUE(chinese_ && long_ && parent_ && hung_ && window_);
    ASSERT_TRUE(WaitForWindow(hung_));
    ASSERT_TRUE(WaitForWindow(window_));
    grandchild_ = WaitForChildOf(parent_);
    ASSERT_NE(grandchild_, 0u);
    rows_ = new TProcesses(snapshot_.Snapshot());
  }
  static void TearDownTestSuite() {
    delete rows_;
    delete children_;
  }

  static inline test::TChildren* children_ = nullptr;
  static inline DWORD chinese_ = 0, long_ = 0, parent_ = 0, hung_ = 0, window_ = 0, grandchild_ = 0;
  static inline std::wstring chineseLine_, longLine_;
  static inline TProcessSnapshot snapshot_;
  static inline TProcesses* rows_ = nullptr;
};

TEST_F(ProcessSnapshotTest, ChildFacts) {
  const TDateTime now = FileTimeToDateTime(TicksToFileTime([] {
                                              FILETIME ft;
                                              ::GetSystemTimeAsFileTime(&ft);
                                              return FileTimeTicks(ft);
                                            }()),
                                            true);
  struct Case {
    DWORD pid;
    const std::wstring* line;
  } cases[] = {{chinese_, &chineseLine_}, {long_, &longLine_}};
  for (const Case& c : cases) {
    const TProcessRecord* r = Find(*rows_, c.pid);
    ASSERT_NE(r, nullptr) << c.pid;
    EXPECT_EQ(r->CommandLine, *c.line);
    EXPECT_TRUE(detail::EqualsNoCase(r->ImageName, children_->Exe())) << std::string(r->ImageName.begin(), r->ImageName.end());
    EXPECT_EQ(r->Name, L"proc_child.exe");
    EXPECT_EQ(r->PPID, ::GetCurrentProcessId());
    EXPECT_TRUE(r->IsAccesible);
    EXPECT_TRUE(r->CanBeKilled);
    EXPECT_TRUE(r->Is64bit);  // the 64-bit build's child on a 64-bit prefix
    EXPECT_GT(r->WorkingSet, 0u);
    EXPECT_GE(r->PeakWorkingSet, r->WorkingSet);
    EXPECT_GT(r->Size, 0);
    EXPECT_GT(r->ThreadCount, 0);
    EXPECT_GT(r->CPUTimes.CreateTime, 0u);
    EXPECT_LT(std::abs(now - r->CreationTime), 10.0 / (24 * 60)) << "created within the last minutes, local time";
    EXPECT_TRUE(r->IsResponding);  // no windows
    EXPECT_EQ(r->WinCount, 0);
  }
  EXPECT_GT(longLine_.size(), 4000u);
}

TEST_F(ProcessSnapshotTest, TreeAndWindows) {
  const TProcessRecord* grand = Find(*rows_, grandchild_);
  ASSERT_NE(grand, nullptr);
  EXPECT_EQ(grand->PPID, parent_);
  const std::vector<int> parents = BuildProcessTreeParents(*rows_, true, L"");
  const size_t gi = static_cast<size_t>(grand - rows_->data());
  ASSERT_GE(parents[gi], 0);
  EXPECT_EQ((*rows_)[static_cast<size_t>(parents[gi])].PID, parent_);

  const TProcessRecord* hung = Find(*rows_, hung_);
  const TProcessRecord* window = Find(*rows_, window_);
  ASSERT_TRUE(hung && window);
  EXPECT_FALSE(hung->IsResponding);
  EXPECT_GE(hung->WinCount, 1);
  EXPECT_TRUE(window->IsResponding);
  EXPECT_GE(window->WinCount, 1);
  EXPECT_FALSE(IsProcessResponding(hung_));
  EXPECT_TRUE(IsProcessResponding(window_));
  EXPECT_TRUE(IsProcessResponding(chinese_));
}

TEST_F(ProcessSnapshotTest, EnvironmentOfAChild) {
  win::UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, chinese_));
  ASSERT_TRUE(process);
  std::vector<std::wstring> lines;
  ASSERT_TRUE(ReadTargetEnvironment(process.get(), lines));
  EXPECT_NE(std::find(lines.begin(), lines.end(), L"VANTREL_PROC_TEST=环境变量"), lines.end());

  // A limited handle cannot read memory: a clear false, nothing else.
  win::UniqueHandle limited(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, chinese_));
  TProcessParameters params;
  EXPECT_FALSE(ReadTargetProcessParameters(limited.get(), params) && !params.CommandLine.empty());
}

TEST_F(ProcessSnapshotTest, CachedRefreshKeepsFactsAndDropsTheGone) {
  TProcessSnapshot snap;
  const TProcesses first = snap.Snapshot();
  const size_t cached = snap.CachedProcesses();
  EXPECT_GT(cached, 0u);
  const TProcesses second = snap.Snapshot();
  const TProcessRecord* r = Find(second, chinese_);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->CommandLine, chineseLine_);
  EXPECT_TRUE(detail::EqualsNoCase(r->ImageName, children_->Exe()));
  EXPECT_GT(r->Size, 0);

  // A process that is gone leaves the cache at the next refresh.
  test::TChildren extra;
  const DWORD pid = extra.Start(L"wait", L"short-lived");
  ASSERT_NE(pid, 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  snap.Snapshot();
  const size_t withExtra = snap.CachedProcesses();
  extra.EndAll();
  snap.Snapshot();
  EXPECT_EQ(snap.CachedProcesses(), withExtra - 1);
}

TEST_F(ProcessSnapshotTest, ProcessEndingBetweenThePhases) {
  test::TChildren victims;
  const DWORD pid = victims.Start(L"wait", L"victim");
  ASSERT_NE(pid, 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  TProcessSnapshot snap;
  TProcesses rows;
  rows.reserve(4096);
  bool sawVictim = false;
  std::vector<std::wstring> log;
  snap.Walk(
      {},
      [&](const TProcessRecord& r) -> TProcessRecord* {
        if (r.PID == pid) {
          sawVictim = true;
          ::TerminateProcess(victims.Handle(0), 7);
          ::WaitForSingleObject(victims.Handle(0), 5000);
        }
        rows.push_back(r);
        return &rows.back();
      },
      [&](const std::wstring& line) { log.push_back(line); });
  EXPECT_TRUE(sawVictim);
  const TProcessRecord* r = Find(rows, pid);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Name, L"proc_child.exe");
  EXPECT_TRUE(log.empty());
}

TEST_F(ProcessSnapshotTest, SessionListFillsAndFilterSkipsPhaseTwo) {
  TProcessRecord extra;
  extra.PID = chinese_;
  extra.Username = L"from-session-list";
  extra.ThreadCount = 99;
  TProcessSnapshot snap;
  TProcesses rows;
  rows.reserve(4096);
  snap.Walk({extra}, [&](const TProcessRecord& r) -> TProcessRecord* {
    rows.push_back(r);
    return r.PID == chinese_ ? nullptr : &rows.back();  // not shown: first phase only
  });
  const TProcessRecord* r = Find(rows, chinese_);
  ASSERT_NE(r, nullptr);
  EXPECT_NE(r->Username, L"from-session-list");  // the token's owner wins
  EXPECT_GT(r->ThreadCount, 0);
  EXPECT_NE(r->ThreadCount, 99);  // the snapshot's count replaces the list's
  EXPECT_TRUE(r->ImageName.empty());
  EXPECT_TRUE(r->CommandLine.empty());
}

}  // namespace
}  // namespace vantrel
