// The service reader and actions against a service the test installs in the prefix and removes again.
#include <gtest/gtest.h>

#include "core/services/service_rules.h"
#include "os_test_print.h"
#include "svc_install.h"
#include "system/services/service_actions.h"
#include "system/services/service_reader.h"
#include "system/text/locale_text.h"

namespace vantrel {
namespace {

constexpr wchar_t kName[] = L"VantrelTestSvc";
constexpr wchar_t kDisplay[] = L"Vantrel Test Service";

ServiceRecord Read() {
  ServiceRecord r;
  EXPECT_TRUE(ReadService(kName, ServiceReadOptions{}, r));
  return r;
}

// The record and what the page shows for it in one state.
void ExpectShown(const ServiceRecord& r, int32_t status, const wchar_t* statusText, const wchar_t* caption,
                 uint32_t colour, bool uninstall) {
  EXPECT_EQ(r.Status, status);
  EXPECT_EQ(ServiceCellText(r, Index(ServiceColumn::Status)), statusText);
  EXPECT_EQ(ServiceRowColour(r), colour);
  const ServiceButtons b = ServiceButtonState(&r, true, L"earlier");
  EXPECT_EQ(b.ControlCaption, caption);
  EXPECT_TRUE(b.ControlEnabled);
  EXPECT_EQ(b.UninstallEnabled, uninstall);
}

// A refused action carries its own error, not the "success" a stale last error would give.
void ExpectRefused(const ServiceOutcome& outcome, DWORD error) {
  EXPECT_FALSE(outcome.Ok);
  EXPECT_EQ(outcome.Error, error);
  const std::wstring text = ServiceStartErrorText(kName, SystemErrorText(outcome.Error));
  PrintLine(text);
  EXPECT_EQ(text.find(L"completed successfully"), std::wstring::npos);
}

TEST(ServiceActions, InstalledServiceThroughEveryState) {
  testing::InstalledService installed(kName, kDisplay);
  ASSERT_TRUE(installed.Installed()) << installed.Error();

  ServiceRecord r = Read();
  EXPECT_EQ(r.DisplayName, kDisplay);
  EXPECT_EQ(ServiceCellText(r, Index(ServiceColumn::StartUp)), L"Manual");
  EXPECT_EQ(r.DependOnService, L"");  // Wine keeps no dependencies; "A,B" is checked natively
  EXPECT_EQ(r.CmdLine, L"\"" + testing::TestServiceExePath() + L"\"");
  EXPECT_EQ(r.ImageName, testing::TestServiceExePath());
  EXPECT_GT(r.Size, 0);
  EXPECT_EQ(ServiceCellText(r, Index(ServiceColumn::LogOn)), L"LocalSystem");
  ExpectShown(r, Index(ServiceState::Stopped), L"Stopped", L"启动", kServiceDefaultColour, true);

  ::SetLastError(ERROR_SUCCESS);
  ExpectRefused(StopService(kName), ERROR_SERVICE_NOT_ACTIVE);
  ExpectRefused(PauseService(kName), ERROR_SERVICE_NOT_ACTIVE);

  ASSERT_TRUE(StartOrContinueService(kName).Ok);
  ASSERT_EQ(WaitForServiceState(kName, Index(ServiceState::Running), 10000), Index(ServiceState::Running));
  ExpectShown(Read(), Index(ServiceState::Running), L"Started", L"停止", kServiceRunningColour, false);

  ::SetLastError(ERROR_SUCCESS);
  ExpectRefused(StartOrContinueService(kName), ERROR_SERVICE_ALREADY_RUNNING);

  // The test service accepts pausing.
  ASSERT_TRUE(PauseService(kName).Ok);
  ASSERT_EQ(WaitForServiceState(kName, Index(ServiceState::Paused), 10000), Index(ServiceState::Paused));
  ExpectShown(Read(), Index(ServiceState::Paused), L"Paused", L"恢复", kServiceDefaultColour, false);
  ExpectRefused(PauseService(kName), ERROR_INVALID_SERVICE_CONTROL);
  ASSERT_TRUE(StartOrContinueService(kName).Ok);  // resume
  ASSERT_EQ(WaitForServiceState(kName, Index(ServiceState::Running), 10000), Index(ServiceState::Running));

  ASSERT_TRUE(StopService(kName).Ok);
  ASSERT_EQ(WaitForServiceState(kName, Index(ServiceState::Stopped), 10000), Index(ServiceState::Stopped));
  ExpectShown(Read(), Index(ServiceState::Stopped), L"Stopped", L"启动", kServiceDefaultColour, true);

  // Disabled: grey, the control button off, and a start fails with the manager's own error.
  {
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = ::OpenServiceW(manager, kName, SERVICE_CHANGE_CONFIG);
    ASSERT_TRUE(::ChangeServiceConfigW(service, SERVICE_NO_CHANGE, SERVICE_DISABLED, SERVICE_NO_CHANGE, nullptr,
                                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
  }
  r = Read();
  EXPECT_EQ(ServiceCellText(r, Index(ServiceColumn::StartUp)), L"Disabled");
  EXPECT_EQ(ServiceRowColour(r), kServiceDisabledColour);
  EXPECT_FALSE(ServiceButtonState(&r, true, L"").ControlEnabled);
  const ServiceOutcome disabledStart = StartOrContinueService(kName);
  EXPECT_FALSE(disabledStart.Ok);
  EXPECT_EQ(disabledStart.Error, static_cast<DWORD>(ERROR_SERVICE_DISABLED));

  ASSERT_TRUE(UninstallService(kName).Ok);
  ServiceRecord gone;
  EXPECT_FALSE(ReadService(kName, ServiceReadOptions{}, gone));
  EXPECT_EQ(QueryServiceState(kName), 0);
}

TEST(ServiceActions, MissingServiceGivesTheOpenError) {
  const std::wstring name = L"VantrelNoSuchService";
  for (const ServiceOutcome& o : {StartOrContinueService(name), StopService(name), PauseService(name),
                                   UninstallService(name)}) {
    EXPECT_FALSE(o.Ok);
    EXPECT_EQ(o.Error, static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
  }
}

// The console is opened through the shell (no mmc.exe started directly, which fails with 740 for an
// administrator not elevated), the wait for it is bounded, and the process handle is closed.
TEST(ServiceActions, TheServicesConsoleOpensThroughTheShell) {
  wchar_t sys[MAX_PATH] = {};
  ::GetSystemDirectoryW(sys, MAX_PATH);
  struct Case {
    const char* name;
    bool started;
    bool withProcess;
  };
  for (const Case& c : {Case{"started, a process", true, true}, Case{"handed to a running program", true, false},
                        Case{"no association", false, false}}) {
    SCOPED_TRACE(c.name);
    std::wstring file, verb = L"unset";
    int show = -1;
    HANDLE process = nullptr;
    const ULONGLONG start = ::GetTickCount64();
    const bool ok = OpenServicesConsole([&](SHELLEXECUTEINFOW& info) {
      file = info.lpFile ? info.lpFile : L"";
      verb = info.lpVerb ? info.lpVerb : L"";
      show = info.nShow;
      EXPECT_TRUE(info.fMask & SEE_MASK_NOCLOSEPROCESS);
      // A process that never ends: the wait stops at 2 s.
      if (c.withProcess) info.hProcess = process = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
      return c.started;
    });
    const ULONGLONG waited = ::GetTickCount64() - start;
    EXPECT_EQ(ok, c.started);
    EXPECT_EQ(file, std::wstring(sys) + L"\\services.msc");
    EXPECT_EQ(verb, L"") << "the console's own manifest decides on elevation";
    EXPECT_EQ(show, SW_SHOWDEFAULT);
    if (c.withProcess) {
      EXPECT_GE(waited, 1900u);
      EXPECT_LT(waited, 10000u);
      DWORD flags = 0;
      EXPECT_FALSE(::GetHandleInformation(process, &flags)) << "the process handle is closed";
    }
  }
}

TEST(ServiceReader, ListsThePrefixServicesWithTheFilter) {
  testing::InstalledService installed(kName, kDisplay);
  ASSERT_TRUE(installed.Installed()) << installed.Error();

  const ServicesRead all = ReadServices(ServiceReadOptions{L"", 7, true});
  ASSERT_TRUE(all.Opened);
  EXPECT_EQ(all.End, EnumerationEnd::Complete);
  EXPECT_EQ(static_cast<int>(all.Services.size()), CountServices());
  PrintLine(L"services: " + std::to_wstring(all.Services.size()));
  const int own = FindServiceIndex(all.Services, L"vantreltestsvc");
  ASSERT_GE(own, 0);
  EXPECT_EQ(all.Services[static_cast<size_t>(own)].StartUp, Index(ServiceStartType::Manual));
  for (const ServiceRecord& r : all.Services) {
    EXPECT_FALSE(r.Name.empty());
    EXPECT_NE(r.Typ & SERVICE_WIN32, 0u) << r.Name;  // no drivers
    EXPECT_TRUE(r.Status >= Index(ServiceState::Stopped) && r.Status <= Index(ServiceState::Paused)) << r.Name;
  }

  const ServicesRead filtered = ReadServices(ServiceReadOptions{L"vantrel test", 7, false});
  ASSERT_EQ(filtered.Services.size(), 1u);
  EXPECT_EQ(filtered.Services[0].Name, kName);
  EXPECT_EQ(filtered.Services[0].ImageIndexValue, 7);  // file facts not read: the default icon
  EXPECT_TRUE(filtered.Services[0].Desc.empty());
  EXPECT_TRUE(ReadServices(ServiceReadOptions{L"test service", 0, false}).Services.empty());  // prefix only
}

}  // namespace
}  // namespace vantrel
