// The search across every process: a child holding a file, a key and a library of unique names, and a pipe whose
// name query hangs.
#include "system/process/handle_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>

#include <tlhelp32.h>

#include "hanging_query.h"
#include "proc_children.h"

namespace vantrel {
namespace {

struct Search {
  std::vector<FindResult> results;
  int fileNameTimeouts = 0;
  size_t processes = 0;
};

// The whole search as the find window runs it: one table read, then every step in turn.
Search SearchAll(const std::wstring& text, const HandleListOptions& options = {}) {
  Search search;
  const FindSources sources = ReadFindSources();
  search.processes = sources.Processes.size();
  for (const FindStep& step : sources.Steps) {
    ProcessFindOutcome found = FindInStep(sources, step, text, options);
    search.fileNameTimeouts += found.FileNameTimeouts;
    for (FindResult& r : found.Results) search.results.push_back(std::move(r));
  }
  return search;
}

bool EndsWithIgnoringCase(const std::wstring& s, const std::wstring& tail) {
  return s.size() >= tail.size() && test::ContainsIgnoringCaseForTest(s.substr(s.size() - tail.size()), tail);
}

using test::OwnThreads;

std::wstring OwnFolder() {
  wchar_t self[MAX_PATH];
  const std::wstring path(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
  return path.substr(0, path.find_last_of(L'\\'));
}

TEST(ProcessFind, TheFileTheKeyAndTheLibraryOfAChildEachOnceWhateverTheCase) {
  const std::wstring library =
      test::TempFolder() + L"\\vantrel-probe-" + std::to_wstring(::GetTickCount64()) + L".dll";
  ASSERT_TRUE(::CopyFileW((OwnFolder() + L"\\find_probe.dll").c_str(), library.c_str(), FALSE));
  test::ChildProcesses children;
  const DWORD pid = test::StartHandlesChild(children, test::TempFolder(), 0, 60000, library);
  ASSERT_NE(pid, 0u);
  const std::wstring id = std::to_wstring(pid);
  const std::wstring libraryName = library.substr(library.find_last_of(L'\\') + 1);

  struct Case {
    std::wstring text;  // what the user types
    FindResult::Kind kind;
    std::wstring type;  // the type column
    std::wstring tail;  // how the name column ends
  } const cases[] = {
      {L"KNOWN-" + id + L".TXT", FindResult::Handle, L"File", L"\\known-" + id + L".txt"},
      {L"vantrelhandles" + id, FindResult::Handle, L"Key", L"\\Software\\VantrelHandles" + id},
      {libraryName, FindResult::Module, L"DLL", L"\\" + libraryName},
  };
  for (const Case& c : cases) {
    const Search search = SearchAll(c.text);
    EXPECT_GT(search.processes, 1u);
    ASSERT_EQ(search.results.size(), 1u) << c.text;
    const FindResult& r = search.results.front();
    EXPECT_EQ(r.PID, pid) << c.text;
    EXPECT_EQ(r.What, c.kind) << c.text;
    EXPECT_EQ(r.ProcessName, L"proc_child.exe") << c.text;
    EXPECT_EQ(FindResultCellText(r, fcType), c.type) << c.text;
    EXPECT_TRUE(EndsWithIgnoringCase(r.Name, c.tail)) << r.Name;
    EXPECT_NE(r.Value, 0u) << c.text;
  }
  // The drive form, as the handles page shows it; a key under its short root.
  const Search file = SearchAll(cases[0].text);
  ASSERT_FALSE(file.results.empty());
  EXPECT_EQ(file.results[0].Name.substr(1, 2), L":\\") << file.results[0].Name;
  const Search key = SearchAll(cases[1].text);
  ASSERT_FALSE(key.results.empty());
  EXPECT_EQ(key.results[0].Name.rfind(L"HKU\\", 0), 0u) << key.results[0].Name;

  children.EndAll();
  ::DeleteFileW(library.c_str());
}

// A process with many handles is searched in slices, the largest process first, each process's modules before its
// handles; no handle is lost or named twice at a slice's border.
TEST(ProcessFind, AProcessWithManyHandlesAnswersSliceBySliceFirstAndLosesNoneAtTheBorders) {
  constexpr size_t kFiles = kFindFirstStepHandles * 7 + 50;  // slices of 1, 2 and 4 times the first, and a rest
  test::ChildProcesses children;
  const DWORD pid = test::StartHandlesChild(children, test::TempFolder(), static_cast<int>(kFiles), 60000);
  ASSERT_NE(pid, 0u);
  const FindSources sources = ReadFindSources();
  ASSERT_TRUE(sources.TableRead);

  // The plan: every process once, its steps together, modules first, slices that cover its table entries.
  std::vector<size_t> entriesOf(sources.Processes.size(), 0);
  for (size_t p = 0; p < sources.Processes.size(); ++p)
    for (const HandleTableEntry& e : sources.Table) entriesOf[p] += e.PID == sources.Processes[p].PID ? 1 : 0;
  std::vector<bool> seen(sources.Processes.size(), false);
  size_t previousEntries = SIZE_MAX;
  for (size_t i = 0; i < sources.Steps.size();) {
    const size_t p = sources.Steps[i].Process;
    ASSERT_FALSE(seen[p]) << "the steps of a process come together";
    seen[p] = true;
    EXPECT_LE(entriesOf[p], previousEntries) << "the most handles first";
    previousEntries = entriesOf[p];
    EXPECT_TRUE(sources.Steps[i].Modules);
    size_t covered = 0;
    for (;; ++i) {
      const FindStep& step = sources.Steps[i];
      ASSERT_EQ(step.Process, p);
      EXPECT_LE(step.Entries, step.Modules || covered > 0 ? kFindLargestStepHandles : kFindFirstStepHandles);
      for (size_t e = step.FirstEntry; e < step.FirstEntry + step.Entries; ++e)
        EXPECT_EQ(sources.Table[e].PID, sources.Processes[p].PID);
      covered += step.Entries;
      if (step.LastOfProcess) break;
    }
    EXPECT_EQ(covered, entriesOf[p]);
    ++i;
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), static_cast<long>(sources.Processes.size()));

  // The child's files arrive over several steps, each once.
  const std::wstring text = L"tmp-" + std::to_wstring(pid) + L"-";
  std::set<uint64_t> handles;
  int answeringSteps = 0;
  for (const FindStep& step : sources.Steps) {
    if (sources.Processes[step.Process].PID != pid) continue;
    const ProcessFindOutcome found = FindInStep(sources, step, text);
    answeringSteps += found.Results.empty() ? 0 : 1;
    for (const FindResult& r : found.Results) EXPECT_TRUE(handles.insert(r.Value).second) << r.Value;
  }
  EXPECT_EQ(handles.size(), kFiles);
  EXPECT_GE(answeringSteps, 3);
}

TEST(ProcessFind, AHangingPipeCostsOneGiveUpAndNoWorkerOutlivesTheSearch) {
  test::ChildProcesses children;
  const DWORD pid = test::StartHandlesChild(children, test::TempFolder(), 20);
  ASSERT_NE(pid, 0u);
  SearchAll(L"warm-up");  // whatever the first search loads stays
  const size_t threadsBefore = OwnThreads();
  const std::wstring pipe = L"vantrel-pipe-" + std::to_wstring(pid);
  test::HangingQuery hang(pipe);

  const Search search = SearchAll(pipe, hang.Options());
  EXPECT_EQ(search.fileNameTimeouts, 1) << "only the pipe's query is given up on";
  EXPECT_TRUE(search.results.empty()) << "a name given up on is no result";
  // The rest of the child is still searched: its other files are found while the pipe stays skipped.
  EXPECT_EQ(SearchAll(L"known-" + std::to_wstring(pid) + L".txt", hang.Options()).results.size(), 1u);
  EXPECT_EQ(SearchAll(pipe, hang.Options()).fileNameTimeouts, 0) << "the pipe costs its wait once";

  hang.Release();
  for (int i = 0; i < 100 && (StuckFileNameWorkers() > 0 || OwnThreads() != threadsBefore); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(StuckFileNameWorkers(), 0u);
  EXPECT_EQ(OwnThreads(), threadsBefore);
}

}  // namespace
}  // namespace vantrel
