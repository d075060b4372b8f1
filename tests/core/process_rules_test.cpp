#include "core/process/process_rules.h"
#include "core/process/read_retry.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

ProcessRecord Rec(uint32_t pid, std::wstring user = L"", std::wstring domain = L"", int32_t session = 0) {
  ProcessRecord r;
  r.PID = pid;
  r.Username = std::move(user);
  r.Domain = std::move(domain);
  r.Session = session;
  return r;
}

TEST(ProcessDisplayName, IdleAndPathParts) {
  EXPECT_EQ(ProcessDisplayName(0, L"[System Process]"), L"系统空闲进程");
  EXPECT_EQ(ProcessDisplayName(4, L"System"), L"System");
  EXPECT_EQ(ProcessDisplayName(100, L"C:\\w\\notepad.exe"), L"notepad.exe");
  EXPECT_EQ(ProcessDisplayName(100, std::wstring(300, L'a')).size(), 260u);
}

TEST(IsSystemProcess, Classification) {
  struct Case {
    ProcessRecord r;
    bool system;
  } cases[] = {
      {Rec(0), true},
      {Rec(8, L"root", L"VM", 2), true},  // below 10 whatever the owner
      {Rec(500, L"local service", L"NT AUTHORITY", 0), true},
      {Rec(500, L"LOCAL SERVICE", L"X", 2), true},
      {Rec(500, L"Network Service", L"X", 2), true},
      {Rec(500, L"system", L"X", 2), true},
      {Rec(500, L"DWM-1", L"Window Manager", 1), true},
      {Rec(500, L"", L"", 0), true},
      {Rec(500, L"", L"", 1), true},
      {Rec(500, L"", L"", 2), false},  // no owner, but a user's session
      {Rec(500, L"alice", L"PC", 1), false},
  };
  for (Case& c : cases) {
    ApplyWellKnownOwner(c.r);
    EXPECT_EQ(IsSystemProcess(c.r), c.system) << c.r.PID << " " << c.r.Session;
  }
  ProcessRecord pid0 = Rec(0, L"root", L"VM");
  ApplyWellKnownOwner(pid0);
  EXPECT_EQ(pid0.Username, L"SYSTEM");
  EXPECT_EQ(pid0.Domain, L"NT AUTHORITY");
}

TEST(MatchSessionProcesses, TakesCountersAndOnlyMissingOwnerFacts) {
  ProcessRecord wts1 = Rec(700, L"bob", L"", 3);
  wts1.WorkingSet = 5ull << 30;  // above 4 GiB stays whole
  wts1.PeakWorkingSet = 6ull << 30;
  wts1.ThreadCount = 9;
  wts1.HandleCount = 44;
  wts1.CreationTime = 45000.5;
  wts1.VMCounters.PagefileUsage = 123;
  wts1.VMCounters.PeakPagefileUsage = 456;
  wts1.VMCounters.VirtualSize = 999;  // not taken
  wts1.CPUTimes = {1, 2, 3, 4};
  ProcessRecord wts2 = Rec(700, L"carol", L"", 4);
  wts2.ThreadCount = 11;
  const ProcessRecords wtsp{Rec(1), wts1, Rec(2), wts2};

  ProcessRecord opened = Rec(700, L"alice", L"PC", 2);  // known owner and session are kept
  MatchSessionProcesses(opened, wtsp);
  EXPECT_EQ(opened.Username, L"alice");
  EXPECT_EQ(opened.Session, 2);
  EXPECT_EQ(opened.ThreadCount, 11);  // the last entry wins for counters

  ProcessRecord closed = Rec(700, L"  ");
  MatchSessionProcesses(closed, {wts1});
  EXPECT_EQ(closed.Username, L"bob");
  EXPECT_EQ(closed.Session, 3);
  EXPECT_EQ(closed.WorkingSet, 5ull << 30);
  EXPECT_EQ(closed.PeakWorkingSet, 6ull << 30);
  EXPECT_EQ(closed.HandleCount, 44);
  EXPECT_EQ(closed.CreationTime, 45000.5);
  EXPECT_EQ(closed.VMCounters.PagefileUsage, 123u);
  EXPECT_EQ(closed.VMCounters.PeakPagefileUsage, 456u);
  EXPECT_EQ(closed.VMCounters.VirtualSize, 0u);
  EXPECT_EQ(closed.CPUTimes.CreateTime, 0u);
  EXPECT_EQ(closed.CPUTimes.KernelTime, 3u);
  EXPECT_EQ(closed.CPUTimes.UserTime, 4u);

  ProcessRecord other = Rec(701);
  MatchSessionProcesses(other, wtsp);
  EXPECT_EQ(other.ThreadCount, 0);
}

TEST(ProcessPassesFilter, FilterKindsAndName) {
  ProcessRecord sys = Rec(4, L"SYSTEM", L"NT AUTHORITY");
  sys.Name = L"System";
  sys.System = true;
  sys.IsResponding = true;
  ProcessRecord mine = Rec(400, L"Alice", L"PC", 1);
  mine.Name = L"Notepad.exe";
  mine.IsResponding = true;
  ProcessRecord hung = Rec(404, L"bob", L"PC", 1);
  hung.Name = L"hung.exe";
  struct Case {
    ProcessFilter filter;
    const wchar_t* name;
    bool sys, mine, hung;
  } cases[] = {
      {ProcessFilter::All, L"", true, true, true},
      {ProcessFilter::NonSystem, L"", false, true, true},
      {ProcessFilter::System, L"", true, false, false},
      {ProcessFilter::LoggedOnUser, L"", false, true, false},
      {ProcessFilter::NotResponding, L"", false, false, true},
      {ProcessFilter::All, L"note", false, true, false},  // prefix, any case
      {ProcessFilter::All, L"pad", false, false, false},  // inside the name is not enough
      {ProcessFilter::LoggedOnUser, L"hung", false, false, false},
  };
  for (const Case& c : cases) {
    const int kind = Index(c.filter);
    EXPECT_EQ(ProcessPassesFilter(sys, c.filter, L"alice", c.name), c.sys) << kind << " " << c.name;
    EXPECT_EQ(ProcessPassesFilter(mine, c.filter, L"alice", c.name), c.mine) << kind << " " << c.name;
    EXPECT_EQ(ProcessPassesFilter(hung, c.filter, L"alice", c.name), c.hung) << kind << " " << c.name;
  }
}

// The drop-down's index: its items in the filter's order; none chosen (CB_ERR) or an unknown index shows all.
TEST(ProcessFilterAt, ItemsInOrderAndAnythingElseShowsAll) {
  const std::pair<int, ProcessFilter> cases[] = {
      {0, ProcessFilter::All},          {1, ProcessFilter::NonSystem},     {2, ProcessFilter::System},
      {3, ProcessFilter::LoggedOnUser}, {4, ProcessFilter::NotResponding}, {5, ProcessFilter::All},
      {-1, ProcessFilter::All},         {99, ProcessFilter::All},
  };
  for (const auto& [index, filter] : cases) EXPECT_EQ(ProcessFilterAt(index), filter) << index;
}

TEST(ProcessRowColour, FirstRuleThatHolds) {
  struct Case {
    bool responding, system;
    const wchar_t* user;
    uint32_t colour;
  } cases[] = {
      {false, true, L"alice", 0x0000FF}, {true, true, L"ALICE", 0x808080}, {true, false, L"Alice", 0xFF0000},
      {true, false, L"bob", kProcessDefaultColour},
  };
  for (const Case& c : cases) {
    ProcessRecord r = Rec(500, c.user);
    r.IsResponding = c.responding;
    r.System = c.system;
    EXPECT_EQ(ProcessRowColour(r, L"alice"), c.colour) << c.user;
  }
}

ProcessRecord Node(uint32_t pid, uint32_t ppid, uint64_t created) {
  ProcessRecord r = Rec(pid);
  r.PPID = ppid;
  r.CPUTimes.CreateTime = created;
  return r;
}

TEST(BuildProcessTreeParents, SnapshotOrderAndReusedPids) {
  const ProcessRecords rows{
      Node(0, 0, 0),         // 0
      Node(4, 0, 0),         // 1: below 10, stays on top
      Node(900, 800, 50),    // 2: listed before its parent: top level
      Node(800, 100, 40),    // 3: parent 100 not present: top level
      Node(1000, 800, 60),   // 4: under 800
      Node(1004, 1000, 70),  // 5: grandchild under 1000
      Node(1200, 1300, 20),  // 6: 1300 comes later
      Node(1300, 4, 10),     // 7: parent 4 is PID < 10's row: attaches
      Node(1400, 1300, 5),   // 8: 1300 is newer than this process: a reused PID, top level
      Node(1500, 1300, 0),   // 9: unknown creation time: attaches as listed
      Node(1000, 1300, 80),  // 10: duplicate PID; children keep the first row
      Node(1600, 1000, 90),  // 11
  };
  EXPECT_EQ(BuildProcessTreeParents(rows, true, L""),
            (std::vector<int>{-1, -1, -1, -1, 3, 4, -1, 1, -1, 7, 7, 4}));
  EXPECT_EQ(BuildProcessTreeParents(rows, true, L"x"), std::vector<int>(rows.size(), -1));
  EXPECT_EQ(BuildProcessTreeParents(rows, false, L""), std::vector<int>(rows.size(), -1));
}

TEST(ProcessTexts, NtPrefixAndWmiNull) {
  EXPECT_EQ(RemoveNtPathPrefix(L"\\??\\C:\\w\\a.exe"), L"C:\\w\\a.exe");
  EXPECT_EQ(RemoveNtPathPrefix(L"C:\\a\\??\\b\\??\\c"), L"C:\\ab\\??\\c");  // the first one only
  EXPECT_EQ(RemoveNtPathPrefix(L"\\?" L"?/x"), L"\\?" L"?/x");
  EXPECT_EQ(WmiTextOrEmpty(L"NULL"), L"");
  EXPECT_EQ(WmiTextOrEmpty(L"null"), L"");
  EXPECT_EQ(WmiTextOrEmpty(L"nullx"), L"nullx");
}

TEST(BuildProcessWindowMap, CountsAndFirstRunCandidate) {
  const std::vector<TopLevelWindow> windows{
      {0x10, 7}, {0x11, 7}, {0x20, 8}, {0x12, 7}, {0x30, 9}, {0x21, 8}, {0x22, 8},
  };
  const auto map = BuildProcessWindowMap(windows);
  ASSERT_EQ(map.size(), 3u);
  EXPECT_EQ(map.at(7).Count, 3);
  EXPECT_EQ(map.at(7).Candidate, 0x11u);  // last of the first run, not the later 0x12
  EXPECT_EQ(map.at(8).Count, 3);
  EXPECT_EQ(map.at(8).Candidate, 0x20u);
  EXPECT_EQ(map.at(9).Candidate, 0x30u);
  EXPECT_TRUE(BuildProcessWindowMap({}).empty());
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

TEST(ReadRetry, AFailedReadIsTriedAgainAtGrowingIntervalsUpToAMinute) {
  ReadRetry retry;
  EXPECT_TRUE(retry.Due(0));  // the first read is never put off
  struct Step {
    uint64_t failedAt, notDueAt, dueAt;
  } steps[] = {{100, 1099, 1100},       {1100, 3099, 3100},       {3100, 7099, 7100},
               {7100, 15099, 15100},    {15100, 31099, 31100},    {31100, 63099, 63100},
               {63100, 123099, 123100}, {123100, 183099, 183100}, {183100, 243099, 243100}};
  for (const Step& s : steps) {
    retry.Failed(s.failedAt);
    EXPECT_FALSE(retry.Due(s.notDueAt)) << s.failedAt;
    EXPECT_TRUE(retry.Due(s.dueAt)) << s.failedAt;
  }
  EXPECT_EQ(retry.Failures(), std::size(steps));
  for (int i = 0; i < 100; ++i) retry.Failed(1000);  // no overflow of the shift after many failures
  EXPECT_TRUE(retry.Due(1000 + ReadRetry::kLongestDelayMs));
}

}  // namespace
}  // namespace vantrel
