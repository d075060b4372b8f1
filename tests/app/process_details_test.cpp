// The details panel's modules and handles sub-pages, following the focused process under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cwctype>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "../system/proc_children.h"
#include "app/frame/main_window.h"
#include "app/pages/processes_page.h"
#include "app/program.h"
#include "app/pages/page_of.h"
#include "system/process/handle_list.h"

namespace vantrel::app {
namespace {

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}
bool Contains(const std::wstring& s, const std::wstring& part) { return Lower(s).find(Lower(part)) != std::wstring::npos; }

struct Window {
  std::unique_ptr<MainWindow> main;
  Window() {
    StartupEnvironment env;
    env.isRemoteSession = [] { return false; };
    env.elevationButtonVisible = [] { return false; };
    main = std::make_unique<MainWindow>(CommandLineSwitches(std::vector<std::wstring>{}), env);
  }
  ProcessesPage& page() { return PageOf<ProcessesPage>(*main, kPageProcesses); }
  ProcessDetailsPages& details() { return page().DetailsPages(); }
  ui::TreeGrid& grid() { return page().tree(); }
  void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchProgramMessage(main.get(), msg);
  }
  // Pumps until both lists are read and no worker runs (bounded); false when that did not happen.
  bool PumpUntilIdle(int boundMs = 60000) {
    const ULONGLONG start = ::GetTickCount64();
    while (::GetTickCount64() - start < static_cast<ULONGLONG>(boundMs)) {
      Pump();
      if (!details().Modules().Busy() && !details().Handles().Busy() && main->Handoff().Running() == 0) return true;
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return false;
  }
  // Created and started with the details panel unfolded, as a user who reads them has it.
  bool Start() {
    if (!main->CreateAndStart()) return false;
    page().DetailsPanel().SetExpanded(true);
    return true;
  }
  bool Focus(uint32_t pid) {
    ui::TreeNode* node = page().FindProcessNode(pid);
    if (node) grid().SetFocusedNode(node);
    return node != nullptr;
  }
};

template <typename R>
std::vector<const R*> Rows(ui::TreeGrid& grid) {
  std::vector<const R*> rows;
  for (ui::TreeNode* n = grid.First(); n; n = grid.Next(n)) rows.push_back(n->As<R>());
  return rows;
}

size_t CountHandles(ui::TreeGrid& grid, const std::wstring& type, const std::wstring& part) {
  const auto rows = Rows<HandleRecord>(grid);
  return static_cast<size_t>(std::count_if(rows.begin(), rows.end(), [&](const HandleRecord* r) {
    return r->TypeName == type && Contains(r->Name, part);
  }));
}

TEST(ProcessDetails, TheFocusedChildsModulesAndHandles) {
  test::ChildProcesses children;
  const DWORD pid = test::StartHandlesChild(children, test::TempFolder(), 2000);
  ASSERT_NE(pid, 0u);
  const std::wstring id = std::to_wstring(pid);
  Window w;
  ASSERT_TRUE(w.Start());
  ASSERT_TRUE(w.PumpUntilIdle());
  ProcessDetailsPages& d = w.details();
  EXPECT_EQ(d.Caption(ProcessDetailsPages::kInfo), L" 信息 ");

  ASSERT_TRUE(w.Focus(pid));
  EXPECT_EQ(d.Caption(ProcessDetailsPages::kModules), L" Modules ") << "until the modules are listed";
  EXPECT_TRUE(d.Handles().Busy()) << "the handles are read off the window thread";
  ASSERT_TRUE(w.PumpUntilIdle());

  // Handles: each kind the child holds, with its type and name; the temporary files all there.
  ui::TreeGrid& handles = d.Handles().tree();
  EXPECT_EQ(d.Caption(ProcessDetailsPages::kHandles), L" 句柄 (" + std::to_wstring(handles.RowCount()) + L") ");
  EXPECT_EQ(CountHandles(handles, L"File", L"\\tmp-" + id + L"-"), 2000u);
  EXPECT_EQ(CountHandles(handles, L"File", L"\\known-" + id + L".txt"), 1u);
  EXPECT_EQ(CountHandles(handles, L"Key", L"\\Software\\VantrelHandles" + id), 1u);
  const auto keys = Rows<HandleRecord>(handles);
  EXPECT_TRUE(std::any_of(keys.begin(), keys.end(), [](const HandleRecord* r) {
    return r->TypeName == L"Key" && Lower(r->Name) == L"hklm\\software\\microsoft";
  }));
  EXPECT_EQ(CountHandles(handles, L"Event", L"vantrel-event-" + id), 1u);
  EXPECT_EQ(CountHandles(handles, L"Mutant", L"vantrel-mutex-" + id), 1u);
  EXPECT_GE(CountHandles(handles, L"Thread", L" (PID: " + id + L")"), 1u);
  EXPECT_EQ(CountHandles(handles, L"Process", L"PID: " + std::to_wstring(::GetCurrentProcessId())), 1u);
  for (const HandleRecord* r : Rows<HandleRecord>(handles)) EXPECT_FALSE(r->Name.empty());
  ui::TreeNode* first = handles.First();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(handles.onGetText(*first, 2), HandleValueText(first->As<HandleRecord>()->Handle));
  EXPECT_EQ(handles.onGetText(*first, 2).size(), 10u);

  // Modules: each file once, the main module focused, versions read.
  ui::TreeGrid& modules = d.Modules().tree();
  EXPECT_TRUE(d.Modules().ListShown());
  EXPECT_EQ(d.Caption(ProcessDetailsPages::kModules), L" 模块 (" + std::to_wstring(modules.RowCount()) + L") ");
  ASSERT_NE(modules.FocusedNode(), nullptr);
  EXPECT_EQ(Lower(modules.FocusedNode()->As<ModuleRecord>()->Name), L"proc_child.exe");
  std::set<std::wstring> paths;
  bool ntdllVersion = false;
  for (const ModuleRecord* m : Rows<ModuleRecord>(modules)) {
    EXPECT_TRUE(paths.insert(Lower(m->ImageName)).second) << m->ImageName;
    if (Lower(m->Name) == L"ntdll.dll") ntdllVersion = !m->Version.empty();
  }
  EXPECT_TRUE(ntdllVersion);
  EXPECT_EQ(Lower(modules.onGetText(*modules.First(), 0)), Lower(Rows<ModuleRecord>(modules).front()->Name));

  // A double-click on a module opens the handles; PID 0 leaves the handles as they are.
  modules.onDoubleClick(modules.FocusedNode());
  EXPECT_EQ(d.Selected(), ProcessDetailsPages::kHandles);
  const size_t rows = handles.RowCount();
  ProcessRecord idle;
  idle.PID = 0;
  idle.Name = L"System Idle Process";
  d.ShowProcess(idle);
  EXPECT_FALSE(d.Handles().Busy());
  ASSERT_TRUE(w.PumpUntilIdle());
  EXPECT_EQ(handles.RowCount(), rows);
}

TEST(ProcessDetails, AHangingFileNameCostsItsWaitOnceAndNeverStallsTheWindow) {
  test::ChildProcesses children;
  const DWORD pid = test::StartHandlesChild(children, test::TempFolder(), 5);
  ASSERT_NE(pid, 0u);
  const std::wstring pipe = L"vantrel-pipe-" + std::to_wstring(pid);
  win::UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  Window w;
  ASSERT_TRUE(w.Start());
  ASSERT_TRUE(w.PumpUntilIdle());
  w.details().Handles().Options().queryFileName = [pipe, event = release.get()](HANDLE file) {
    std::wstring name = QueryFileName(file);
    if (Contains(name, pipe)) ::WaitForSingleObject(event, 20000);
    return name;
  };
  for (int round = 0; round < 2; ++round) {
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(w.Focus(pid));
    const double focusMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(w.details().Handles().Busy()) << "the listing runs on a worker";
    ASSERT_TRUE(w.PumpUntilIdle());
    const double listMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("round %d: focus change returned after %.1f ms, handles listed after %.1f ms\n", round, focusMs, listMs);
    ui::TreeGrid& handles = w.details().Handles().tree();
    EXPECT_EQ(CountHandles(handles, L"File", pipe), 0u);
    EXPECT_EQ(CountHandles(handles, L"File", L"\\tmp-" + std::to_wstring(pid) + L"-"), 5u);
    EXPECT_EQ(StuckFileNameWorkers(), 1u) << "one stuck worker, also after the second listing skipped the pipe";
  }
  ::SetEvent(release.get());
  for (int i = 0; i < 100 && StuckFileNameWorkers() > 0; ++i) ::Sleep(50);
  EXPECT_EQ(StuckFileNameWorkers(), 0u) << "the worker ends on its own once its query returns";
}

// A folded panel shows none of the lists: focus changes and refreshes read nothing until it unfolds.
TEST(ProcessDetails, AFoldedPanelReadsTheFocusedProcessOnlyWhenItUnfolds) {
  test::ChildProcesses children;
  const DWORD pid = children.Start(L"wait", L"folded");
  ASSERT_NE(pid, 0u);
  ::Sleep(300);
  Window w;
  ASSERT_TRUE(w.main->CreateAndStart());
  ASSERT_FALSE(w.page().DetailsPanel().Expanded());
  ASSERT_TRUE(w.PumpUntilIdle());
  ASSERT_TRUE(w.Focus(pid));
  w.main->RefreshActivePage();
  EXPECT_FALSE(w.details().Modules().Busy());
  EXPECT_FALSE(w.details().Handles().Busy());
  // The refresh's other pages read on workers too; once they are done, the folded lists still hold nothing.
  ASSERT_TRUE(w.PumpUntilIdle());
  EXPECT_TRUE(w.details().ReadPending());
  EXPECT_EQ(w.details().Modules().tree().RowCount(), 0u);
  EXPECT_EQ(w.details().Handles().tree().RowCount(), 0u);

  w.page().DetailsPanel().SetExpanded(true);
  EXPECT_FALSE(w.details().ReadPending());
  ASSERT_TRUE(w.PumpUntilIdle());
  EXPECT_GT(w.details().Handles().tree().RowCount(), 0u);
  EXPECT_EQ(w.details().Caption(ProcessDetailsPages::kHandles).rfind(L" 句柄 (", 0), 0u);
}

std::wstring InspectorValue(ui::PropertyInspector& inspector, const std::wstring& caption) {
  for (const auto id : inspector.ShownItems())
    if (!inspector.IsGroup(id) && inspector.Caption(id) == caption) return inspector.Value(id);
  return L"<none>";
}

// A command line only WMI knows: the details show everything else at once and the line when WMI answers; a process
// focused meanwhile never shows another's line, and a refresh keeps the line that arrived.
TEST(ProcessDetails, ACommandLineOnlyWmiKnowsArrivesAfterTheRestOfTheDetails) {
  test::ChildProcesses children;
  const DWORD a = children.Start(L"wait", L"wmi-a"), b = children.Start(L"wait", L"wmi-b");
  ASSERT_TRUE(a && b);
  ::Sleep(300);
  Window w;
  ASSERT_TRUE(w.Start());
  ASSERT_TRUE(w.PumpUntilIdle());
  win::UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ProcessSnapshot& snapshot = w.page().Snapshot();
  snapshot.Reads.Parameters = [](HANDLE, ProcessParameters&) { return false; };
  snapshot.SetWmiQuery([a, event = release.get()](WmiWorker::Session&, uint32_t pid) {
    if (pid == a) ::WaitForSingleObject(event, 20000);
    return WmiProcessTexts{true, L"wmi line of " + std::to_wstring(pid), L""};
  });
  auto pumpWhileAsking = [&] {
    for (int i = 0; i < 1000 && w.page().CommandLineBusy(); ++i) {
      w.Pump();
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return !w.page().CommandLineBusy();
  };
  ui::PropertyInspector& inspector = w.page().Inspector();

  ASSERT_TRUE(w.Focus(a));
  EXPECT_EQ(InspectorValue(inspector, L"PID"), std::to_wstring(a)) << "the rest shows at once";
  EXPECT_EQ(InspectorValue(inspector, L"名称"), L"proc_child.exe");
  EXPECT_EQ(InspectorValue(inspector, L"命令行"), L"");
  EXPECT_TRUE(w.page().CommandLineBusy());
  ASSERT_TRUE(w.Focus(b));
  w.Pump();
  EXPECT_EQ(InspectorValue(inspector, L"PID"), std::to_wstring(b));
  ::SetEvent(release.get());
  ASSERT_TRUE(pumpWhileAsking());
  EXPECT_EQ(InspectorValue(inspector, L"命令行"), L"wmi line of " + std::to_wstring(b));
  EXPECT_EQ(w.page().DetailsCommandLine(), L"wmi line of " + std::to_wstring(b));

  ASSERT_TRUE(w.Focus(a));
  ASSERT_TRUE(pumpWhileAsking());
  EXPECT_EQ(InspectorValue(inspector, L"命令行"), L"wmi line of " + std::to_wstring(a));
  w.main->RefreshActivePage();
  EXPECT_FALSE(w.page().CommandLineBusy()) << "the line is kept with the process";
  EXPECT_EQ(InspectorValue(inspector, L"命令行"), L"wmi line of " + std::to_wstring(a));
  ASSERT_TRUE(w.PumpUntilIdle());
}

TEST(ProcessDetails, QuickFocusChangesLeaveNoWorkerAndNoHandleBehind) {
  test::ChildProcesses children;
  for (int i = 0; i < 45; ++i) ASSERT_NE(children.Start(L"wait", L"focus-" + std::to_wstring(i)), 0u);
  ::Sleep(500);
  Window w;
  ASSERT_TRUE(w.Start());
  std::vector<uint32_t> pids;
  for (ui::TreeNode* n = w.grid().First(); n; n = w.grid().Next(n)) pids.push_back(n->As<ProcessRecord>()->PID);
  ASSERT_GE(pids.size(), 50u);
  pids.resize(50);
  // One round to let everything the program loads once settle, then the count to come back to.
  for (uint32_t pid : pids) w.Focus(pid);
  ASSERT_TRUE(w.PumpUntilIdle());
  ::Sleep(300);  // workers that handed over their result are still on their way out
  const size_t before = CountTableHandles(::GetCurrentProcessId());
  for (uint32_t pid : pids) {
    w.Focus(pid);
    w.Pump();
  }
  ASSERT_TRUE(w.PumpUntilIdle());
  EXPECT_EQ(w.main->Handoff().Running(), 0);
  ::Sleep(300);
  // Wine opens the odd handle of its own now and then; a handle kept per focus change would show 50 more.
  EXPECT_LE(CountTableHandles(::GetCurrentProcessId()), before + 2);
}

}  // namespace
}  // namespace vantrel::app

namespace vantrel::app {
namespace {

// Focus moves from a child holding 2,000 file handles to one holding 5: from the change on, the list never shows
// the first child's rows, neither while the second child's listing runs nor after it.
TEST(ProcessDetails, AFocusChangeNeverShowsThePreviousProcesssHandles) {
  test::ChildProcesses children;
  const DWORD big = test::StartHandlesChild(children, test::TempFolder(), 2000);
  const DWORD small = test::StartHandlesChild(children, test::TempFolder(), 5);
  ASSERT_NE(big, 0u);
  ASSERT_NE(small, 0u);
  Window w;
  ASSERT_TRUE(w.Start());
  ASSERT_TRUE(w.Focus(big));
  ASSERT_TRUE(w.PumpUntilIdle());
  ui::TreeGrid& handles = w.details().Handles().tree();
  const std::wstring bigFiles = L"\\tmp-" + std::to_wstring(big) + L"-";
  // Most of them: on a loaded machine some file names time out and are skipped, which does not matter here.
  ASSERT_GT(CountHandles(handles, L"File", bigFiles), 1000u);

  ASSERT_TRUE(w.Focus(small));
  EXPECT_EQ(handles.RowCount(), 0u) << "emptied at the change";
  EXPECT_EQ(w.details().Caption(ProcessDetailsPages::kHandles), L" 句柄 ");
  size_t most = 0;
  const ULONGLONG start = ::GetTickCount64();
  while (::GetTickCount64() - start < 60000) {
    w.Pump();
    EXPECT_EQ(CountHandles(handles, L"File", bigFiles), 0u);
    most = std::max(most, handles.RowCount());
    if (!w.details().Handles().Busy() && w.main->Handoff().Running() == 0) break;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  EXPECT_EQ(CountHandles(handles, L"File", L"\\tmp-" + std::to_wstring(small) + L"-"), 5u);
  EXPECT_LT(most, 100u) << "the small child holds a few dozen handles at most";
  EXPECT_EQ(most, handles.RowCount());
}

}  // namespace
}  // namespace vantrel::app
