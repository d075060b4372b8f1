// The services page against a service this test installs in the prefix: each state through the page's own
// buttons, with the texts, colours and boxes the user sees; the service is removed whatever happens.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "../system/svc_install.h"
#include "app/pages/services_page.h"
#include "app/pages/page_of.h"
#include "box_answerer.h"
#include "core/services/service_rules.h"
#include "page_test_support.h"
#include "system/process/image_file_facts.h"
#include "system/services/service_actions.h"
#include "system/services/service_reader.h"
#include "system/text/locale_text.h"

namespace vantrel::app {
namespace {

using testing::PumpUntil;
using testing::WindowText;

constexpr wchar_t kName[] = L"VantrelPageSvc";
constexpr wchar_t kDisplay[] = L"Vantrel Page Test Service";

struct ServicesWindow {
  std::unique_ptr<MainWindow> main = testing::QuietMainWindow();
  ServicesPage& page() { return PageOf<ServicesPage>(*main, kPageServices); }
  bool Start() {
    if (!main->CreateAndStart()) return false;
    main->SetActivePage(kPageServices);
    return PumpUntil(*main, [this] { return page().ReadsShown() > 0 && !page().Reading(); });
  }
  // A refresh of the page and its read's arrival.
  void Refresh() {
    main->RefreshActivePage();
    ASSERT_TRUE(PumpUntil(*main, [this] { return !page().Reading(); }));
  }
  // Focuses the test service's row; nullptr when it is not listed.
  const ServiceRecord* Focus() {
    ui::TreeNode* node = page().FindServiceNode(kName);
    if (!node) return nullptr;
    page().tree().SetFocusedNode(node);
    return node->As<ServiceRecord>();
  }
  uint32_t Colour() { return page().tree().FocusedNode()->textColor(); }
  // Clicks a button, answers the question with Yes and waits for the action's result and refresh.
  void Click(const ActionBar::Button& button, const std::wstring& question) {
    BoxAnswerer yes(IDYES);
    ::SendMessageW(button.hwnd(), BM_CLICK, 0, 0);
    ASSERT_TRUE(yes.found);
    EXPECT_EQ(yes.seen.text, question);
    EXPECT_TRUE(yes.seen.hasYes && yes.seen.hasNo);
    ASSERT_TRUE(PumpUntil(*main, [this] { return !page().ActionRunning() && !page().Reading(); }));
  }
};

// The row and the buttons as the user sees them in one state.
void ExpectShown(ServicesWindow& w, const wchar_t* status, const wchar_t* caption, uint32_t colour,
                 bool uninstall) {
  const ServiceRecord* r = w.Focus();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(w.page().tree().onGetText(*w.page().tree().FocusedNode(), Index(ServiceColumn::Status)), status);
  EXPECT_EQ(w.Colour(), colour) << status;
  EXPECT_EQ(WindowText(w.page().ControlButton().hwnd()), caption);
  EXPECT_TRUE(w.page().ControlButton().Visible());
  EXPECT_TRUE(w.page().ControlButton().Enabled()) << status;
  EXPECT_EQ(w.page().UninstallButton().Enabled(), uninstall) << status;
}

std::wstring Question(const wchar_t* caption) { return std::wstring(L"难道你真的想 ") + caption + L" 服务 " + kName + L"?"; }

TEST(ServicesPage, StartPauseResumeStopAndUninstallThroughTheButtons) {
  vantrel::testing::InstalledService installed(kName, kDisplay);
  ASSERT_TRUE(installed.Installed()) << installed.Error();
  ServicesWindow w;
  ASSERT_TRUE(w.Start());

  // Listed with its facts, the caption counting the rows, the panel showing the focused service.
  ASSERT_NE(w.Focus(), nullptr);
  ui::TreeGrid& grid = w.page().tree();
  EXPECT_EQ(w.main->Tabs().Caption(kPageServices), L" 服务 (" + std::to_wstring(grid.RowCount()) + L") ");
  EXPECT_EQ(grid.onGetText(*grid.FocusedNode(), Index(ServiceColumn::Name)), kDisplay);
  EXPECT_EQ(grid.onGetText(*grid.FocusedNode(), Index(ServiceColumn::StartUp)), L"Manual");
  EXPECT_EQ(grid.onGetText(*grid.FocusedNode(), Index(ServiceColumn::LogOn)), L"LocalSystem");
  EXPECT_EQ(grid.onGetText(*grid.FocusedNode(), Index(ServiceColumn::CmdLine)), L"\"" + vantrel::testing::TestServiceExePath() + L"\"");
  EXPECT_EQ(w.page().Panel().title(), ServiceDescriptionLine(*w.Focus()));
  EXPECT_TRUE(w.page().ManagerButton().Visible());
  ExpectShown(w, L"Stopped", L"启动", kServiceDefaultColour, true);

  w.Click(w.page().ControlButton(), Question(L"启动"));
  ExpectShown(w, L"Started", L"停止", kServiceRunningColour, false);
  testing::ShowForLooking(*w.main);

  // Paused from outside, the button resumes it.
  ASSERT_TRUE(PauseService(kName).Ok);
  ASSERT_EQ(WaitForServiceState(kName, Index(ServiceState::Paused), 5000), Index(ServiceState::Paused));
  w.Refresh();
  ExpectShown(w, L"Paused", L"恢复", kServiceDefaultColour, false);
  w.Click(w.page().ControlButton(), Question(L"恢复"));
  ASSERT_EQ(WaitForServiceState(kName, Index(ServiceState::Running), 5000), Index(ServiceState::Running));
  w.Refresh();
  ExpectShown(w, L"Started", L"停止", kServiceRunningColour, false);

  w.Click(w.page().ControlButton(), Question(L"停止"));
  ASSERT_EQ(WaitForServiceState(kName, Index(ServiceState::Stopped), 5000), Index(ServiceState::Stopped));
  w.Refresh();
  ExpectShown(w, L"Stopped", L"启动", kServiceDefaultColour, true);

  w.Click(w.page().UninstallButton(), std::wstring(L"你真的要卸载 ") + kName + L" 服务?");
  EXPECT_EQ(w.page().FindServiceNode(kName), nullptr) << "gone from the list after the refresh";
  EXPECT_EQ(QueryServiceState(kName), 0);
}

TEST(ServicesPage, ARefusedStartQuotesItsOwnErrorAndNoOneElsesTarget) {
  vantrel::testing::InstalledService installed(kName, kDisplay);
  ASSERT_TRUE(installed.Installed()) << installed.Error();
  ServicesWindow w;
  ASSERT_TRUE(w.Start());
  ASSERT_NE(w.Focus(), nullptr);
  ASSERT_EQ(WindowText(w.page().ControlButton().hwnd()), L"启动");

  // Started behind the page's back: the row still offers a start, which the manager refuses.
  const ServiceOutcome started = StartOrContinueService(kName);
  ASSERT_TRUE(started.Ok) << started.Error;
  ASSERT_EQ(WaitForServiceState(kName, Index(ServiceState::Running), 5000), Index(ServiceState::Running));
  ::SetLastError(ERROR_SUCCESS);
  {
    BoxAnswerer yes(IDYES);
    ::SendMessageW(w.page().ControlButton().hwnd(), BM_CLICK, 0, 0);
    ASSERT_TRUE(yes.found);
  }
  BoxAnswerer ok(IDOK);
  ASSERT_TRUE(PumpUntil(*w.main, [&] { return !w.page().ActionRunning() && ok.found; }));
  EXPECT_EQ(ok.seen.text, ServiceStartErrorText(kName, SystemErrorText(ERROR_SERVICE_ALREADY_RUNNING)));
  EXPECT_EQ(ok.seen.text.find(L"completed successfully"), std::wstring::npos);
  EXPECT_EQ(ok.seen.caption, L"错误");
  EXPECT_EQ(QueryServiceState(kName), Index(ServiceState::Running)) << "nothing else was done to it";

  // Saying No does nothing.
  w.Refresh();
  ASSERT_NE(w.Focus(), nullptr);
  {
    BoxAnswerer no(IDNO);
    ::SendMessageW(w.page().ControlButton().hwnd(), BM_CLICK, 0, 0);
    ASSERT_TRUE(no.found);
  }
  EXPECT_FALSE(w.page().ActionRunning());
  EXPECT_EQ(QueryServiceState(kName), Index(ServiceState::Running));
}

// Counts the file reads of the page's reader by path, and holds the reads of one path until released.
struct FileReadSpy {
  std::mutex lock;
  std::map<std::wstring, int> reads;  // by lower-case path
  std::wstring heldPath;
  HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> holding{false};
  ~FileReadSpy() { ::CloseHandle(release); }

  static std::wstring Fold(std::wstring path) {
    ::CharLowerBuffW(path.data(), static_cast<DWORD>(path.size()));
    return path;
  }
  int ReadsOf(const std::wstring& path) {
    std::lock_guard guard(lock);
    const auto it = reads.find(Fold(path));
    return it == reads.end() ? 0 : it->second;
  }
  size_t FilesRead() {
    std::lock_guard guard(lock);
    return reads.size();
  }
  void Hold(const std::wstring& path) {
    std::lock_guard guard(lock);
    heldPath = Fold(path);
  }
  static std::shared_ptr<ServicesReader> Reader(std::shared_ptr<FileReadSpy> spy) {
    return std::make_shared<ServicesReader>([spy](const std::wstring& path, int32_t defaultImage) {
      bool hold = false;
      {
        std::lock_guard guard(spy->lock);
        ++spy->reads[Fold(path)];
        hold = Fold(path) == spy->heldPath;
      }
      if (hold) {
        spy->holding = true;
        ::WaitForSingleObject(spy->release, 10000);
        spy->holding = false;
      }
      return ReadImageFileFacts(path, defaultImage);
    });
  }
};

// A copy of the test service's executable under another name, deleted at the end.
struct ExeCopy {
  std::wstring path = testing::TempPath(L"vantrel_svc_copy.exe");
  bool copied = ::CopyFileW(vantrel::testing::TestServiceExePath().c_str(), path.c_str(), FALSE) != FALSE;
  ~ExeCopy() { ::DeleteFileW(path.c_str()); }
};

TEST(ServicesPage, ReadsOnAWorkerKeepingTheFileFactsAndShowsOnlyTheNewestRead) {
  constexpr wchar_t kNewName[] = L"VantrelPageSvc2";
  constexpr wchar_t kNewDisplay[] = L"Vantrel Page Second Service";
  vantrel::testing::InstalledService installed(kName, kDisplay);
  ASSERT_TRUE(installed.Installed()) << installed.Error();
  const auto spy = std::make_shared<FileReadSpy>();
  ServicesWindow w;
  w.page().SetReader(FileReadSpy::Reader(spy));
  ASSERT_TRUE(w.Start());
  ASSERT_NE(w.Focus(), nullptr);
  EXPECT_GT(w.Focus()->Size, 0) << "the file facts reached the row";

  // Later refreshes read the configurations again but no executable's facts.
  const std::wstring exe = vantrel::testing::TestServiceExePath();
  ASSERT_EQ(spy->ReadsOf(exe), 1);
  const size_t filesRead = spy->FilesRead();
  for (int i = 0; i < 2; ++i) w.Refresh();
  EXPECT_EQ(spy->ReadsOf(exe), 1);
  EXPECT_EQ(spy->FilesRead(), filesRead);

  // A new service whose file is slow to read: the refresh returns while the read is held (the window thread pumps
  // its messages meanwhile), and the list keeps the previous read, focus included, until the new one arrives.
  ExeCopy copy;
  ASSERT_TRUE(copy.copied);
  vantrel::testing::InstalledService second(kNewName, kNewDisplay, nullptr, copy.path);
  ASSERT_TRUE(second.Installed()) << second.Error();
  spy->Hold(copy.path);
  const int shown = w.page().ReadsShown();
  const size_t rows = w.page().tree().RowCount();
  w.main->RefreshActivePage();
  ASSERT_TRUE(PumpUntil(*w.main, [&] { return spy->holding.load(); }));
  EXPECT_TRUE(w.page().Reading());
  EXPECT_EQ(w.page().tree().RowCount(), rows);
  EXPECT_EQ(w.page().FindServiceNode(kNewName), nullptr);
  ASSERT_NE(w.page().tree().FocusedNode(), nullptr);
  EXPECT_EQ(w.page().tree().FocusedNode()->As<ServiceRecord>()->Name, kName);

  // Two more requests while the read hangs: the held read and the middle request never reach the list.
  w.main->NameFilter().SetText(L"no service is called this");
  w.main->RefreshActivePage();
  w.main->NameFilter().SetText(L"Vantrel Page Second");
  w.main->RefreshActivePage();
  ::SetEvent(spy->release);
  ASSERT_TRUE(PumpUntil(*w.main, [&] { return !w.page().Reading(); }));
  EXPECT_EQ(w.page().ReadsShown(), shown + 1);
  ASSERT_EQ(w.page().tree().RowCount(), 1u);
  EXPECT_NE(w.page().FindServiceNode(kNewName), nullptr);
  EXPECT_EQ(w.main->Tabs().Caption(kPageServices), L" 服务 (1) ");
  EXPECT_EQ(spy->ReadsOf(copy.path), 1) << "the newest read found the held read's result in the cache";
}

TEST(ServicesPage, ADisabledServiceIsGreyWithItsButtonDisabledAndTheFilterKeepsPrefixes) {
  vantrel::testing::InstalledService installed(kName, kDisplay);
  ASSERT_TRUE(installed.Installed()) << installed.Error();
  {
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = ::OpenServiceW(manager, kName, SERVICE_CHANGE_CONFIG);
    ASSERT_TRUE(::ChangeServiceConfigW(service, SERVICE_NO_CHANGE, SERVICE_DISABLED, SERVICE_NO_CHANGE, nullptr,
                                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
  }
  ServicesWindow w;
  ASSERT_TRUE(w.Start());
  ASSERT_NE(w.Focus(), nullptr);
  EXPECT_EQ(w.page().tree().onGetText(*w.page().tree().FocusedNode(), Index(ServiceColumn::StartUp)), L"Disabled");
  EXPECT_EQ(w.Colour(), kServiceDisabledColour);
  EXPECT_FALSE(w.page().ControlButton().Enabled());
  EXPECT_TRUE(w.page().UninstallButton().Enabled());

  // The filter keeps display names that begin with it, in any case; a text further inside keeps nothing.
  const struct {
    const wchar_t* filter;
    bool listed;
  } cases[] = {{L"vANTREL page", true}, {L"Page Test", false}, {L"", true}};
  for (const auto& c : cases) {
    w.main->NameFilter().SetText(c.filter);
    w.Refresh();
    EXPECT_EQ(w.page().FindServiceNode(kName) != nullptr, c.listed) << c.filter;
    for (ui::TreeNode* n = w.page().tree().First(); n; n = w.page().tree().Next(n))
      EXPECT_TRUE(ServicePassesFilter(n->As<ServiceRecord>()->DisplayName, c.filter));
  }
}

}  // namespace
}  // namespace vantrel::app
