// A services reader kept across refreshes (as the page keeps it) against a fresh full read, while a service's
// configuration changes and its state does not.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "svc_install.h"
#include "system/services/service_reader.h"

namespace vantrel {
namespace {

constexpr wchar_t kName[] = L"VantrelWatchSvc";

// What a configuration read fills, one line per service, in the manager's order (without the states, which the
// prefix's own services may change between two reads).
std::vector<std::wstring> ConfigLines(const ServicesRead& read) {
  std::vector<std::wstring> lines;
  for (const ServiceRecord& r : read.Services)
    lines.push_back(r.Name + L"|" + std::to_wstring(r.Typ) + L"|" +
                    std::to_wstring(r.StartUp) + L"|" + std::to_wstring(r.ErrCtrl) + L"|" + r.CmdLine + L"|" +
                    r.Group + L"|" + r.ObjectName + L"|" + r.DependOnService + L"|" + r.ImageName);
  return lines;
}

std::wstring LineOf(const std::vector<std::wstring>& lines) {
  for (const std::wstring& line : lines)
    if (line.rfind(std::wstring(kName) + L"|", 0) == 0) return line;
  return L"(not listed)";
}

bool Change(DWORD startType, const wchar_t* binPath, const wchar_t* group, const wchar_t* dependencies) {
  SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE s = manager ? ::OpenServiceW(manager, kName, SERVICE_CHANGE_CONFIG) : nullptr;
  const bool ok = s && ::ChangeServiceConfigW(s, SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, binPath, group,
                                              nullptr, dependencies, nullptr, nullptr, nullptr);
  if (s) ::CloseServiceHandle(s);
  if (manager) ::CloseServiceHandle(manager);
  return ok;
}

TEST(ServiceReader, AKeptReaderShowsWhatAFullReadShowsAfterConfigurationChanges) {
  const std::wstring otherPath = L"\"" + testing::TestServiceExePath() + L"\" -other";
  auto installed = std::make_unique<testing::InstalledService>(kName, L"Vantrel Watch Service");
  ASSERT_TRUE(installed->Installed()) << installed->Error();
  ServicesReader page;
  page.Read({});
  page.Read({});  // a refresh with nothing changed

  const struct {
    const char* change;
    DWORD startType;
    const wchar_t *binPath, *group, *dependencies;
  } changes[] = {
      {"start type", SERVICE_DISABLED, nullptr, nullptr, nullptr},
      {"command line", SERVICE_NO_CHANGE, otherPath.c_str(), nullptr, nullptr},
      {"group and dependencies", SERVICE_NO_CHANGE, nullptr, L"VantrelGroup", L"RpcSs\0"},
  };
  for (const auto& c : changes) {
    SCOPED_TRACE(c.change);
    const std::wstring before = LineOf(ConfigLines(page.Read({})));
    ASSERT_TRUE(Change(c.startType, c.binPath, c.group, c.dependencies)) << ::GetLastError();
    const std::vector<std::wstring> kept = ConfigLines(page.Read({}));
    const std::vector<std::wstring> fresh = ConfigLines(ReadServices({}));
    EXPECT_NE(LineOf(fresh), before) << "the change was made";
    EXPECT_EQ(LineOf(kept), LineOf(fresh));
    EXPECT_EQ(kept, fresh);
  }

  // Gone and back under the same name, as an installer does it.
  installed.reset();
  installed = std::make_unique<testing::InstalledService>(kName, L"Vantrel Watch Service");
  ASSERT_TRUE(installed->Installed()) << installed->Error();
  const std::vector<std::wstring> kept = ConfigLines(page.Read({}));
  EXPECT_EQ(LineOf(kept), LineOf(ConfigLines(ReadServices({}))));
  EXPECT_EQ(LineOf(kept).find(L"VantrelGroup"), std::wstring::npos);
}

}  // namespace
}  // namespace vantrel
