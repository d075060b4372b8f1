// The snapshot against children of this test whose command lines, windows and parents are known.
#include "system/process/process_snapshot.h"

#include <psapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "core/os/ascii.h"
#include "proc_children.h"
#include "system/os/system_facts.h"
#include "system/process/image_file_facts.h"
#include "system/raii.h"
#include "system/text/locale_text.h"

namespace vantrel {
namespace {

// One walk's records as the walk left them, without waiting for what is still on its way.
ProcessRecords WalkOnce(ProcessSnapshot& snap) {
  ProcessRecords rows;
  rows.reserve(4096);
  snap.Walk({}, [&](const ProcessRecord& r) -> ProcessRecord* {
    rows.push_back(r);
    return &rows.back();
  });
  return rows;
}

const ProcessRecord* Find(const ProcessRecords& rows, DWORD pid) {
  for (const ProcessRecord& r : rows)
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
    ProcessSnapshot snap;
    for (const ProcessRecord& r : snap.Snapshot([](const ProcessRecord&) { return false; }))
      if (r.PPID == parent) return r.PID;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return 0;
}

class ProcessSnapshotTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    children_ = new test::ChildProcesses;
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
    // The first refresh asks the windows; the answers are there for the next one.
    snapshot_.Snapshot();
    std::this_thread::sleep_for(std::chrono::milliseconds(kRespondTimeoutMs + 200));
    rows_ = new ProcessRecords(snapshot_.Snapshot());
  }
  static void TearDownTestSuite() {
    delete rows_;
    delete children_;
  }

  static inline test::ChildProcesses* children_ = nullptr;
  static inline DWORD chinese_ = 0, long_ = 0, parent_ = 0, hung_ = 0, window_ = 0, grandchild_ = 0;
  static inline std::wstring chineseLine_, longLine_;
  static inline ProcessSnapshot snapshot_;
  static inline ProcessRecords* rows_ = nullptr;
};

TEST_F(ProcessSnapshotTest, ChildFacts) {
  const DateTime now = FileTimeToDateTime(TicksToFileTime([] {
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
    const ProcessRecord* r = Find(*rows_, c.pid);
    ASSERT_NE(r, nullptr) << c.pid;
    EXPECT_EQ(r->CommandLine, *c.line);
    EXPECT_TRUE(detail::EqualsNoCase(r->ImageName, children_->Exe())) << std::string(r->ImageName.begin(), r->ImageName.end());
    EXPECT_EQ(r->Name, L"proc_child.exe");
    EXPECT_EQ(r->PPID, ::GetCurrentProcessId());
    EXPECT_TRUE(r->IsAccessible);
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

  // The system's record of the image gives the path the main module gives.
  for (const DWORD pid : {chinese_, long_, hung_, DWORD{::GetCurrentProcessId()}}) {
    win::UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    ASSERT_TRUE(process);
    wchar_t module[MAX_PATH + 1] = {};
    ASSERT_GT(::GetModuleFileNameExW(process.get(), nullptr, module, MAX_PATH + 1), 0u);
    EXPECT_EQ(ReadProcessImageName(process.get(), L"proc_child.exe"), std::wstring(module)) << pid;
  }
}

TEST_F(ProcessSnapshotTest, TreeAndWindows) {
  const ProcessRecord* grand = Find(*rows_, grandchild_);
  ASSERT_NE(grand, nullptr);
  EXPECT_EQ(grand->PPID, parent_);
  const std::vector<int> parents = BuildProcessTreeParents(*rows_, true, L"");
  const size_t gi = static_cast<size_t>(grand - rows_->data());
  ASSERT_GE(parents[gi], 0);
  EXPECT_EQ((*rows_)[static_cast<size_t>(parents[gi])].PID, parent_);

  const ProcessRecord* hung = Find(*rows_, hung_);
  const ProcessRecord* window = Find(*rows_, window_);
  ASSERT_TRUE(hung && window);
  EXPECT_FALSE(hung->IsResponding);
  EXPECT_GE(hung->WinCount, 1);
  EXPECT_TRUE(window->IsResponding);
  EXPECT_GE(window->WinCount, 1);
  EXPECT_FALSE(IsProcessResponding(hung_));
  EXPECT_TRUE(IsProcessResponding(window_));
  EXPECT_TRUE(IsProcessResponding(chinese_));
}

// A hung window is asked on a worker: the walk returns while the question is open, and the next refresh after the
// time-out shows the process as not responding.
TEST_F(ProcessSnapshotTest, AHungWindowShowsAtTheNextRefreshWithoutHoldingTheWalk) {
  ProcessSnapshot snap;
  const ProcessRecords first = WalkOnce(snap);
  ASSERT_NE(Find(first, hung_), nullptr);
  EXPECT_TRUE(Find(first, hung_)->IsResponding) << "no answer yet";
  EXPECT_TRUE(snap.Responsiveness().QuestionOpen(hung_)) << "the walk did not wait for the hung window";
  std::this_thread::sleep_for(std::chrono::milliseconds(kRespondTimeoutMs + 200));
  const ProcessRecords second = snap.Snapshot();
  EXPECT_FALSE(Find(second, hung_)->IsResponding);
  EXPECT_TRUE(Find(second, window_)->IsResponding);
  EXPECT_LE(snap.Responsiveness().Workers(), 4);
}

// The user's own processes carry the user's name from the first walk, before any lookup answered: a list filtered
// to them must not start empty.
TEST_F(ProcessSnapshotTest, TheFirstWalkKnowsTheProgramsOwnAccount) {
  InitSystemFacts();
  ASSERT_FALSE(SystemFacts().CurrentUserName.empty());
  ProcessSnapshot snap;
  const ProcessRecords first = WalkOnce(snap);
  const ProcessRecord* self = Find(first, ::GetCurrentProcessId());
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(self->Username, SystemFacts().CurrentUserName);
}

// The native list replaced the Toolhelp walk as the source: both give the same records for the same processes.
TEST_F(ProcessSnapshotTest, TheNativeListAndTheToolhelpWalkGiveTheSameRecords) {
  ProcessSnapshot native, toolhelp;
  toolhelp.ForceSource(ProcessListSource::Toolhelp);
  const ProcessRecords a = native.Snapshot();
  const ProcessRecords b = toolhelp.Snapshot();
  EXPECT_EQ(native.LastSource(), ProcessListSource::Native);
  EXPECT_EQ(toolhelp.LastSource(), ProcessListSource::Toolhelp);
  // Every owner is known here; without the native counters the session process list is still wanted.
  EXPECT_FALSE(native.WantsSessionProcesses());
  EXPECT_TRUE(toolhelp.WantsSessionProcesses());
  ASSERT_GT(a.size(), 5u);
  for (const DWORD pid : {chinese_, long_, parent_, grandchild_, hung_, window_, DWORD{::GetCurrentProcessId()}}) {
    const ProcessRecord* x = Find(a, pid);
    const ProcessRecord* y = Find(b, pid);
    ASSERT_TRUE(x && y) << pid;
    EXPECT_EQ(x->PPID, y->PPID) << pid;
    EXPECT_EQ(x->Name, y->Name) << pid;
    EXPECT_EQ(x->Priority, y->Priority) << pid;
    EXPECT_EQ(x->Session, y->Session) << pid;
    EXPECT_EQ(x->Username, y->Username) << pid;
    EXPECT_EQ(x->Domain, y->Domain) << pid;
    EXPECT_EQ(x->System, y->System) << pid;
    EXPECT_EQ(x->IsAccessible, y->IsAccessible) << pid;
    EXPECT_EQ(x->CanBeKilled, y->CanBeKilled) << pid;
    EXPECT_EQ(x->ImageName, y->ImageName) << pid;
    EXPECT_EQ(x->CommandLine, y->CommandLine) << pid;
    EXPECT_EQ(x->Is64bit, y->Is64bit) << pid;
    EXPECT_EQ(x->Version, y->Version) << pid;
    EXPECT_EQ(x->Size, y->Size) << pid;
    EXPECT_EQ(x->ImageIndexValue, y->ImageIndexValue) << pid;
    EXPECT_EQ(x->WinCount, y->WinCount) << pid;
    EXPECT_EQ(x->CPUTimes.CreateTime, y->CPUTimes.CreateTime) << pid;
    EXPECT_DOUBLE_EQ(x->CreationTime, y->CreationTime) << pid;
    if (pid != ::GetCurrentProcessId()) {
      EXPECT_EQ(x->ThreadCount, y->ThreadCount) << pid;
    }
    EXPECT_GT(x->WorkingSet, 0u) << pid;
    EXPECT_GT(y->WorkingSet, 0u) << pid;
  }
  // The same processes in the same order.
  std::vector<uint32_t> pa, pb;
  for (const ProcessRecord& r : a) pa.push_back(r.PID);
  for (const ProcessRecord& r : b) pb.push_back(r.PID);
  std::vector<uint32_t> common;
  for (uint32_t pid : pa)
    if (std::find(pb.begin(), pb.end(), pid) != pb.end()) common.push_back(pid);
  std::vector<uint32_t> commonB;
  for (uint32_t pid : pb)
    if (std::find(pa.begin(), pa.end(), pid) != pa.end()) commonB.push_back(pid);
  EXPECT_EQ(common, commonB);
  EXPECT_GE(common.size() + 2, std::min(pa.size(), pb.size())) << "at most a process or two came or went";
}

TEST_F(ProcessSnapshotTest, AFilesFactsAreReadOncePerPathForAllItsProcesses) {
  ProcessSnapshot snap;
  const ProcessRecords rows = snap.Snapshot();
  std::vector<std::wstring> paths;
  for (const ProcessRecord& r : rows) {
    if (r.ImageName.empty()) continue;
    std::wstring folded = r.ImageName;
    for (wchar_t& c : folded) c = static_cast<wchar_t>(towlower(c));
    if (std::find(paths.begin(), paths.end(), folded) == paths.end()) paths.push_back(folded);
  }
  EXPECT_EQ(snap.CachedFiles(), paths.size());
  const size_t children = static_cast<size_t>(std::count_if(
      rows.begin(), rows.end(), [](const ProcessRecord& r) { return r.Name == L"proc_child.exe"; }));
  EXPECT_GE(children, 6u);
  EXPECT_LT(snap.CachedFiles() + children - 1, rows.size() + 1) << "proc_child.exe counted once";
}

TEST_F(ProcessSnapshotTest, EnvironmentOfAChild) {
  win::UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, chinese_));
  ASSERT_TRUE(process);
  std::vector<std::wstring> lines;
  ASSERT_TRUE(ReadTargetEnvironment(process.get(), lines));
  EXPECT_NE(std::find(lines.begin(), lines.end(), L"VANTREL_PROC_TEST=环境变量"), lines.end());

  // A limited handle cannot read memory: a clear false, nothing else.
  win::UniqueHandle limited(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, chinese_));
  ProcessParameters params;
  EXPECT_FALSE(ReadTargetProcessParameters(limited.get(), params) && !params.CommandLine.empty());
}

TEST_F(ProcessSnapshotTest, CachedRefreshKeepsFactsAndDropsTheGone) {
  ProcessSnapshot snap;
  const ProcessRecords first = snap.Snapshot();
  const size_t cached = snap.CachedProcesses();
  EXPECT_GT(cached, 0u);
  const ProcessRecords second = snap.Snapshot();
  const ProcessRecord* r = Find(second, chinese_);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->CommandLine, chineseLine_);
  EXPECT_TRUE(detail::EqualsNoCase(r->ImageName, children_->Exe()));
  EXPECT_GT(r->Size, 0);

  // A process that is gone leaves the cache at the next refresh.
  test::ChildProcesses extra;
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
  test::ChildProcesses victims;
  const DWORD pid = victims.Start(L"wait", L"victim");
  ASSERT_NE(pid, 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ProcessSnapshot snap;
  ProcessRecords rows;
  rows.reserve(4096);
  bool sawVictim = false;
  std::vector<std::wstring> log;
  snap.Walk(
      {},
      [&](const ProcessRecord& r) -> ProcessRecord* {
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
  const ProcessRecord* r = Find(rows, pid);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Name, L"proc_child.exe");
  EXPECT_TRUE(log.empty());
}

TEST_F(ProcessSnapshotTest, SessionListFillsAndFilterSkipsPhaseTwo) {
  ProcessRecord extra;
  extra.PID = chinese_;
  extra.Username = L"from-session-list";
  extra.ThreadCount = 99;
  win::UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ProcessSnapshot snap;
  std::mutex lookupsMutex;
  std::map<SidBytes, int> lookups;
  snap.SetAccountLookup([&lookupsMutex, &lookups, event = release.get()](const SidBytes& sid) {
    ::WaitForSingleObject(event, 20000);
    {
      std::lock_guard lock(lookupsMutex);
      ++lookups[sid];
    }
    SidBytes copy = sid;
    return LookupSidAccount(static_cast<PSID>(copy.data()), L"");
  });
  ProcessRecords rows;
  rows.reserve(4096);
  auto walk = [&] {
    rows.clear();
    snap.Walk({extra}, [&](const ProcessRecord& r) -> ProcessRecord* {
      rows.push_back(r);
      return r.PID == chinese_ ? nullptr : &rows.back();  // not shown: first phase only
    });
  };
  walk();
  const ProcessRecord* r = Find(rows, chinese_);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Username, L"from-session-list") << "the owner's name is still on its way";
  // Without the list: no user yet, and an owner on its way is not a missing owner (that would make it a system one).
  ProcessRecords bare;
  bare.reserve(4096);
  snap.Walk({}, [&](const ProcessRecord& p) -> ProcessRecord* {
    bare.push_back(p);
    return nullptr;
  });
  const ProcessRecord* pending = Find(bare, chinese_);
  ASSERT_NE(pending, nullptr);
  EXPECT_TRUE(pending->Username.empty());
  EXPECT_FALSE(pending->System);
  ::SetEvent(release.get());
  ASSERT_TRUE(snap.WaitForLookups(10000));
  walk();
  r = Find(rows, chinese_);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Username, SystemFacts().CurrentUserName) << "the token's owner wins once its name is known";
  ASSERT_TRUE(snap.WaitForLookups(10000));
  std::lock_guard lock(lookupsMutex);
  EXPECT_FALSE(lookups.empty());
  for (const auto& [sid, count] : lookups) EXPECT_EQ(count, 1) << "one lookup per SID across the refreshes";
  EXPECT_GT(r->ThreadCount, 0);
  EXPECT_NE(r->ThreadCount, 99);  // the snapshot's count replaces the list's
  EXPECT_TRUE(r->ImageName.empty());
  EXPECT_TRUE(r->CommandLine.empty());
  // The counters come from the process list for every process, shown or not, opened or not.
  EXPECT_GT(r->WorkingSet, 0u);
  EXPECT_GT(r->HandleCount, 0);
  EXPECT_GT(r->VMCounters.VirtualSize, 0u);
  EXPECT_GT(r->CreationTime, 0.0);
}

// Only WMI knows the image path and command line here: the walk asks on the WMI worker and goes on; a later walk
// takes the answer, which stays with the process; the details' own question is merged the same way.
TEST_F(ProcessSnapshotTest, WhatOnlyWmiKnowsArrivesAtALaterWalkWithoutHoldingIt) {
  win::UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::atomic<int> askedForChild{0};
  ProcessSnapshot snap;
  snap.Reads.ImageName = [](HANDLE, const std::wstring&) { return std::wstring(); };
  snap.Reads.Parameters = [](HANDLE, ProcessParameters&) { return false; };
  const DWORD child = chinese_, hidden = long_;
  snap.SetWmiQuery([&askedForChild, child, event = release.get()](WmiWorker::Session&, uint32_t pid) {
    if (pid != child) return WmiProcessTexts{true, L"", L""};
    ++askedForChild;
    ::WaitForSingleObject(event, 20000);
    return WmiProcessTexts{true, L"child --from-wmi", L"C:\\wmi\\proc_child.exe"};
  });
  ProcessRecords rows;
  rows.reserve(4096);
  auto walk = [&] {
    rows.clear();
    snap.Walk({}, [&](const ProcessRecord& r) -> ProcessRecord* {
      rows.push_back(r);
      return r.PID == hidden ? nullptr : &rows.back();
    });
    return Find(rows, child);
  };

  const ProcessRecord* r = walk();
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(r->ImageName.empty()) << "the walk did not wait for WMI";
  const WmiProcessReader::ProcessKey key{child, r->CPUTimes.CreateTime};
  EXPECT_TRUE(snap.WmiReader()->Open(key));
  walk();
  ::SetEvent(release.get());
  ASSERT_TRUE(snap.WaitForLookups(20000));
  r = walk();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->ImageName, L"C:\\wmi\\proc_child.exe");
  EXPECT_EQ(r->Size, 0) << "a path from WMI has no file facts";
  ProcessRecord details = *r;
  EXPECT_EQ(snap.CompleteCommandLine(details), CommandLineState::Known);
  EXPECT_EQ(details.CommandLine, L"child --from-wmi");
  walk();
  EXPECT_EQ(askedForChild.load(), 1) << "asked once for the process's life";

  // A process the walk did not complete: the details learn that only WMI may know its line, and keep its answer.
  const ProcessRecord* other = Find(rows, hidden);
  ASSERT_NE(other, nullptr);
  ProcessRecord hiddenRow = *other;
  EXPECT_EQ(snap.CompleteCommandLine(hiddenRow), CommandLineState::AskWmi);
  EXPECT_TRUE(hiddenRow.CommandLine.empty());
  snap.MergeWmiTexts(hidden, hiddenRow.CPUTimes.CreateTime, snap.WmiReader()->Ask(hidden, 20000));
  EXPECT_EQ(snap.CompleteCommandLine(hiddenRow), CommandLineState::Unknown) << "WMI answered without a line";
  snap.MergeWmiTexts(hidden, hiddenRow.CPUTimes.CreateTime, {true, L"merged", L""});
  EXPECT_EQ(snap.CompleteCommandLine(hiddenRow), CommandLineState::Known);
  EXPECT_EQ(hiddenRow.CommandLine, L"merged");
  EXPECT_TRUE(snap.WaitForLookups(20000));  // the stand-in uses this test's counter
}

// The file facts of an image on a share are never read: the share may be a stranger's (the administrator's
// credentials would go there) or dead (the read would hang). A local image is read, once per path.
TEST(FileFacts, AnImageOnAShareNeverReachesTheReader) {
  struct Case {
    const wchar_t* image;
    bool read;
  } cases[] = {
      {L"\\\\host\\share\\x.exe", false},
      {L"\\\\?\\UNC\\host\\share\\x.exe", false},
      {L"\\\\.\\pipe\\x.exe", false},
      {L"C:\\windows\\system32\\notepad.exe", true},
  };
  for (const Case& c : cases) {
    const std::string name(c.image, c.image + wcslen(c.image));
    std::vector<std::wstring> asked;
    ProcessSnapshot snap;
    snap.Options.DefaultImageIndex = 3;
    snap.Reads.ImageName = [&c](HANDLE, const std::wstring&) { return std::wstring(c.image); };
    snap.Reads.FileFacts = [&asked](const std::wstring& path, int32_t) {
      asked.push_back(path);
      ImageFileFacts f;
      f.Desc = L"read";
      f.ImageIndex = 7;
      return f;
    };
    const ProcessRecords rows = WalkOnce(snap);
    const ProcessRecord* self = Find(rows, ::GetCurrentProcessId());
    ASSERT_NE(self, nullptr) << name;
    EXPECT_EQ(self->ImageName, c.image) << name << ": the path's text is still shown";
    if (c.read) {
      EXPECT_EQ(asked, std::vector<std::wstring>{c.image}) << name << ": read once for every process of the file";
      EXPECT_EQ(self->ImageIndexValue, 7) << name;
    } else {
      EXPECT_TRUE(asked.empty()) << name;
      EXPECT_EQ(self->ImageIndexValue, 3) << name << ": the generic icon";
      EXPECT_TRUE(self->Desc.empty()) << name;
    }
  }
}

// An executable replaced in place (same path, other content) shows its new facts at the next round; within one
// round each path is read once.
TEST(ImageFileCache, AFileReplacedInPlaceIsReadAgainAtTheNextRound) {
  wchar_t sys[MAX_PATH] = {};
  ::GetSystemDirectoryW(sys, MAX_PATH);
  const std::wstring first = std::wstring(sys) + L"\\notepad.exe", second = std::wstring(sys) + L"\\cmd.exe";
  const ImageFileFacts firstFacts = ReadImageFileFacts(first, 0), secondFacts = ReadImageFileFacts(second, 0);
  ASSERT_GT(secondFacts.Size, 0);
  ASSERT_NE(firstFacts.Size, secondFacts.Size);
  // Wine's own programs carry the same version texts: the size tells the two apart.
  const std::wstring path = test::TempFolder() + L"\\replaced-" + std::to_wstring(::GetCurrentProcessId()) + L".exe";
  ASSERT_TRUE(::CopyFileW(first.c_str(), path.c_str(), FALSE));

  int reads = 0;
  ImageFileCache cache([&](const std::wstring& p, int32_t index) {
    ++reads;
    return ReadImageFileFacts(p, index);
  });
  EXPECT_EQ(cache.Get(path, 0).Size, firstFacts.Size);
  cache.DropUnused();
  EXPECT_EQ(cache.Get(path, 0).Size, firstFacts.Size);
  EXPECT_EQ(reads, 1) << "unchanged: not read again";

  // As an installer replaces a program: the old file renamed away (the shell may still map it), the new one in.
  const std::wstring old = path + L".old";
  ASSERT_TRUE(::MoveFileExW(path.c_str(), old.c_str(), MOVEFILE_REPLACE_EXISTING)) << ::GetLastError();
  ASSERT_TRUE(::CopyFileW(second.c_str(), path.c_str(), FALSE)) << ::GetLastError();
  EXPECT_EQ(cache.Get(path, 0).Size, firstFacts.Size) << "the round that read the stamp keeps its facts";
  cache.DropUnused();
  const ImageFileFacts& now = cache.Get(path, 0);
  EXPECT_EQ(now.Size, secondFacts.Size);
  EXPECT_EQ(now.Version, secondFacts.Version);
  EXPECT_EQ(reads, 2);
  ::DeleteFileW(path.c_str());
  ::DeleteFileW(old.c_str());
  cache.DropUnused();
  EXPECT_EQ(cache.Get(path, 7).ImageIndex, 7) << "a vanished file is read again, its facts empty";
  EXPECT_EQ(reads, 3);
}

}  // namespace
}  // namespace vantrel
