#include "core/services/service_enumeration.h"
#include "core/services/service_rules.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vantrel {
namespace {

ServiceRecord Svc(std::wstring name, int32_t status, int32_t startUp = Index(ServiceStartType::Manual)) {
  ServiceRecord r;
  r.Name = name;
  r.DisplayName = std::move(name);
  r.Status = status;
  r.StartUp = startUp;
  return r;
}

TEST(ServiceTexts, TablesAndOutOfRangeValues) {
  const std::pair<int32_t, const wchar_t*> startUp[] = {{0, L"Boot"},   {1, L"System"},   {2, L"Automatic"},
                                                        {3, L"Manual"}, {4, L"Disabled"}, {5, L"5"},
                                                        {-1, L"-1"}};
  for (const auto& [value, text] : startUp) EXPECT_EQ(ServiceStartUpText(value), text) << value;
  const std::pair<int32_t, const wchar_t*> status[] = {
      {1, L"Stopped"}, {2, L"Start/Pending"}, {3, L"Stop/Pending"}, {4, L"Started"}, {5, L"Continue/Pending"},
      {6, L"Pause/Pending"}, {7, L"Paused"}, {0, L"0"}, {8, L"8"}};
  for (const auto& [value, text] : status) EXPECT_EQ(ServiceStatusText(value), text) << value;
}

TEST(ServiceTexts, LogOnAccountAndDependencies) {
  EXPECT_EQ(ServiceLogOnText(L"NT AUTHORITY\\localService"), L"LocalService");
  EXPECT_EQ(ServiceLogOnText(L"LocalSystem"), L"LocalSystem");
  EXPECT_EQ(ServiceLogOnText(L"a\\b:c\\user"), L"User");
  EXPECT_EQ(ServiceLogOnText(L".\\"), L"");
  EXPECT_EQ(ServiceLogOnText(L"dom:\\ärger"), L"ärger");  // only a..z change

  using namespace std::string_view_literals;
  EXPECT_EQ(JoinServiceDependencies(L"A\0B\0\0"sv), L"A,B");
  EXPECT_EQ(JoinServiceDependencies(L"\0"sv), L"");
  EXPECT_EQ(JoinServiceDependencies(L""sv), L"");
  EXPECT_EQ(JoinServiceDependencies(L"RpcSs\0+TDI\0"sv), L"RpcSs,+TDI");  // groups keep their marker
  EXPECT_EQ(JoinServiceDependencies(L"A\0B"sv), L"A,B");                 // no terminator: the view ends it
}

TEST(ServiceTexts, Cells) {
  ServiceRecord r = Svc(L"Spooler", Index(ServiceState::Running), Index(ServiceStartType::Automatic));
  r.DisplayName = L"Print Spooler";
  r.ObjectName = L"LocalSystem";
  r.CmdLine = L"C:\\windows\\system32\\spoolsv.exe";
  const wchar_t* expected[] = {L"Print Spooler", L"Started", L"Automatic", L"LocalSystem",
                               L"C:\\windows\\system32\\spoolsv.exe"};
  for (int c = 0; c < kServiceColumnCount; ++c) EXPECT_EQ(ServiceCellText(r, c), expected[c]) << c;
  EXPECT_EQ(ServiceCellText(r, kServiceColumnCount), L"");
}

TEST(ServiceFilter, PrefixInAnyCase) {
  EXPECT_TRUE(ServicePassesFilter(L"Windows Update", L"win"));
  EXPECT_TRUE(ServicePassesFilter(L"WINMGMT", L"Win"));
  EXPECT_FALSE(ServicePassesFilter(L"Print Window Helper", L"win"));
  EXPECT_FALSE(ServicePassesFilter(L"wi", L"win"));
  EXPECT_TRUE(ServicePassesFilter(L"anything", L""));
}

TEST(ServiceRowColour, DisabledBeforeRunning) {
  EXPECT_EQ(ServiceRowColour(Svc(L"a", Index(ServiceState::Running), Index(ServiceStartType::Disabled))), kServiceDisabledColour);
  EXPECT_EQ(ServiceRowColour(Svc(L"a", Index(ServiceState::Stopped), Index(ServiceStartType::Disabled))), kServiceDisabledColour);
  EXPECT_EQ(ServiceRowColour(Svc(L"a", Index(ServiceState::Running), Index(ServiceStartType::Automatic))), kServiceRunningColour);
  EXPECT_EQ(ServiceRowColour(Svc(L"a", Index(ServiceState::Paused), Index(ServiceStartType::Automatic))), kServiceDefaultColour);
  EXPECT_EQ(kServiceRunningColour, 0xFF0000u);  // blue with red in the low byte
}

TEST(ServicePanel, DescriptionAndCompanyLines) {
  ServiceRecord r;
  EXPECT_EQ(ServiceDescriptionLine(r), L"");
  r.Desc = L"Spooler";
  EXPECT_EQ(ServiceDescriptionLine(r), L"Spooler");
  r.Version = L"6.1";
  EXPECT_EQ(ServiceDescriptionLine(r), L"Spooler 6.1");
  r.Desc.clear();
  EXPECT_EQ(ServiceDescriptionLine(r), L"6.1");

  struct Case {
    const wchar_t *company, *copyright, *line;
  } cases[] = {
      {L"", L"(c) Maker", L"(c) Maker"},
      {L"maker", L"Copyright (c) Maker Ltd", L"Copyright (c) Maker Ltd"},  // company inside, any case
      {L"Maker", L"", L"Maker"},
      {L"Maker", L"(c) Other", L"Maker - (c) Other"},
      {L"", L"", L""},
  };
  for (const Case& c : cases) {
    r.Company = c.company;
    r.Copyright = c.copyright;
    EXPECT_EQ(ServiceCompanyLine(r), c.line) << c.company << L"|" << c.copyright;
  }
}

TEST(ServiceButtons, EnabledCaptionAndVisibility) {
  struct Case {
    int32_t status, startUp;
    bool controlEnabled, uninstallEnabled;
    const wchar_t* caption;
  } cases[] = {
      {Index(ServiceState::Stopped), Index(ServiceStartType::Manual), true, true, L"启动"},
      {Index(ServiceState::Running), Index(ServiceStartType::Automatic), true, false, L"停止"},
      {Index(ServiceState::Paused), Index(ServiceStartType::Manual), true, false, L"恢复"},
      {Index(ServiceState::Running), Index(ServiceStartType::Disabled), false, false, L"停止"},  // disabled: never, whatever the state
      {Index(ServiceState::Stopped), Index(ServiceStartType::Disabled), false, true, L"启动"},
      {Index(ServiceState::StartPending), Index(ServiceStartType::Manual), false, false, L"previous"},  // pending keeps the earlier caption
      {Index(ServiceState::PausePending), Index(ServiceStartType::Manual), false, false, L"previous"},
      {99, Index(ServiceStartType::Manual), false, false, L"previous"},
  };
  for (const Case& c : cases) {
    const ServiceRecord r = Svc(L"s", c.status, c.startUp);
    const ServiceButtons b = ServiceButtonState(&r, true, L"previous");
    EXPECT_TRUE(b.ControlVisible && b.UninstallVisible && b.ManagerVisible);
    EXPECT_EQ(b.ControlEnabled, c.controlEnabled) << c.status << "/" << c.startUp;
    EXPECT_EQ(b.UninstallEnabled, c.uninstallEnabled) << c.status;
    EXPECT_EQ(b.ControlCaption, c.caption) << c.status;
  }
  const ServiceButtons none = ServiceButtonState(nullptr, true, L"停止");
  EXPECT_FALSE(none.ControlVisible || none.UninstallVisible || none.ControlEnabled);
  EXPECT_TRUE(none.ManagerVisible);
  const ServiceRecord r = Svc(L"s", Index(ServiceState::Stopped));
  const ServiceButtons otherPage = ServiceButtonState(&r, false, L"");
  EXPECT_FALSE(otherPage.ControlVisible || otherPage.UninstallVisible || otherPage.ManagerVisible);
}

TEST(ServiceActions, TargetCopyAndTexts) {
  ServiceRecord r = Svc(L"Spooler", Index(ServiceState::Running));
  const ServiceTarget t = MakeServiceTarget(r, L"停止");
  r = Svc(L"Other", Index(ServiceState::Stopped));  // the row changes under the confirmation box; the copy does not
  EXPECT_EQ(ServiceControlConfirmText(t), L"难道你真的想 停止 服务 Spooler?");
  EXPECT_EQ(ServiceUninstallConfirmText(t), L"你真的要卸载 Spooler 服务?");
  EXPECT_EQ(ServiceControlErrorText(t, L"Access is denied."), L"Service Spooler cannot be stopped.\r\nAccess is denied.");
  const ServiceTarget paused{L"X%sY", Index(ServiceState::Paused), L"恢复"};  // a % in a name is not a format
  EXPECT_EQ(ServiceControlErrorText(paused, L"m"), L"Service X%sY cannot be started.\r\nm");
  EXPECT_EQ(ServiceControlAction(Index(ServiceState::Stopped)), ServiceAction::StartOrContinue);
  EXPECT_EQ(ServiceControlAction(Index(ServiceState::StopPending)), ServiceAction::None);
  EXPECT_EQ(ServicesCaption(0), L" 服务 (0) ");
  EXPECT_EQ(ServicesCaption(213), L" 服务 (213) ");
}

TEST(FindServiceIndex, FirstMatchInAnyCase) {
  const ServiceRecords rows = {Svc(L"Alpha", 1), Svc(L"spooler", 1), Svc(L"SPOOLER", 4)};
  EXPECT_EQ(FindServiceIndex(rows, L"Spooler"), 1);
  EXPECT_EQ(FindServiceIndex(rows, L"gone"), -1);
  EXPECT_EQ(FindServiceIndex({}, L"Alpha"), -1);
}

// A scripted enumeration call: each step says what the call reports.
struct Step {
  bool ok, more;
  uint32_t returned, needed;
  bool advanced = true;
};

struct Script {
  std::vector<Step> steps;
  size_t calls = 0;
  std::vector<size_t> bufferSizes;
  EnumerationCall operator()(std::vector<uint8_t>& buffer) {
    bufferSizes.push_back(buffer.size());
    const Step s = steps[std::min(calls++, steps.size() - 1)];  // the last step repeats for ever
    return EnumerationCall{s.ok, s.more, s.returned, s.needed, s.advanced};
  }
};

TEST(RunBoundedEnumeration, EndsOnEveryKindOfAnswer) {
  struct Case {
    const char* what;
    std::vector<Step> steps;
    EnumerationEnd end;
    uint32_t entries;
    size_t calls;
  } cases[] = {
      {"one call", {{true, false, 5, 0}}, EnumerationEnd::Complete, 5, 1},
      {"continued", {{false, true, 3, 100}, {false, true, 3, 100}, {true, false, 2, 0}}, EnumerationEnd::Complete, 8, 3},
      {"other error", {{false, true, 3, 100}, {false, false, 0, 0}}, EnumerationEnd::Failed, 3, 2},
      // More data but no entries, for ever: grown once, then stopped.
      {"stalled", {{false, true, 0, 40000}}, EnumerationEnd::Stalled, 0, 2},
      // More data, no entries, and no bytes asked for: stopped at once.
      {"no growth asked", {{false, true, 0, 0}}, EnumerationEnd::Stalled, 0, 1},
      {"grown then done", {{false, true, 0, 40000}, {true, false, 1, 0}}, EnumerationEnd::Complete, 1, 2},
      // Entries on every call but never done: the call limit ends it.
      {"endless", {{false, true, 1, 10}}, EnumerationEnd::CallLimit, 50, 50},
      // A resume point that never moves (Wine): the first entries are not kept, the grown buffer takes them all.
      {"resume ignored", {{false, true, 9, 40000, false}, {true, false, 216, 0}}, EnumerationEnd::Complete, 216, 2},
      {"resume ignored for ever", {{false, true, 9, 40000, false}}, EnumerationEnd::Stalled, 0, 2},
  };
  for (Case& c : cases) {
    Script script{c.steps};
    uint32_t entries = 0;
    const EnumerationLimits limits{18432, 1 << 20, 50};
    const EnumerationEnd end = RunBoundedEnumeration(
        limits, std::ref(script), [&](const std::vector<uint8_t>&, uint32_t n) { entries += n; });
    EXPECT_EQ(end, c.end) << c.what;
    EXPECT_EQ(entries, c.entries) << c.what;
    EXPECT_EQ(script.calls, c.calls) << c.what;
  }
}

TEST(RunBoundedEnumeration, GrowthIsCapped) {
  Script script{{{false, true, 0, 500u << 20}, {true, false, 1, 0}}};
  RunBoundedEnumeration({18432, 1 << 20, 10}, std::ref(script), [](const std::vector<uint8_t>&, uint32_t) {});
  ASSERT_EQ(script.bufferSizes.size(), 2u);
  EXPECT_EQ(script.bufferSizes[0], 18432u);
  EXPECT_EQ(script.bufferSizes[1], 1u << 20);

  Script small{{{false, true, 9, 24918, false}, {true, false, 216, 0}}};
  RunBoundedEnumeration({1000, 1 << 20, 10}, std::ref(small), [](const std::vector<uint8_t>&, uint32_t) {});
  ASSERT_EQ(small.bufferSizes.size(), 2u);
  EXPECT_EQ(small.bufferSizes[1], 1000u + 24918u);  // what was returned plus what is still needed
}

}  // namespace
}  // namespace vantrel
