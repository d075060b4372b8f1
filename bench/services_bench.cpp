// Times the services read (configuration and executable facts of every service), once with the facts read anew
// and once as a page refresh after the first (facts kept by the page's reader), against the bare
// EnumServicesStatusExW enumeration, with the prefix's services plus 200 that the benchmark installs and removes
// again whatever happens. The page's refresh reads a configuration again only after the services' registry key
// changed, for a new service or one whose state changed; beside it a refresh driven by states alone (a
// configuration read again only for a service whose state changed), and whether each shows what the full read
// shows after a configuration changed without a state change. Prints figures; the last line is the runner's marker.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench_support.h"
#include "svc_install.h"
#include "system/services/service_reader.h"

namespace {

using vantrel::bench::Median;
using vantrel::bench::Now;

constexpr int kServices = 200;
constexpr wchar_t kPrefix[] = L"VantrelBench";

std::wstring NameOf(int i) {
  wchar_t name[64];
  std::swprintf(name, 64, L"%ls%03d", kPrefix, i);
  return name;
}

// The floor: one EnumServicesStatusExW pass over every Win32 service, nothing else.
size_t BareEnumeration() {
  SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE);
  if (!manager) return 0;
  std::vector<uint8_t> buffer(256 * 1024);
  DWORD resume = 0, needed = 0, returned = 0;
  size_t count = 0;
  for (int i = 0; i < 64; ++i) {
    const BOOL ok = ::EnumServicesStatusExW(manager, SC_ENUM_PROCESS_INFO, SERVICE_WIN32, SERVICE_STATE_ALL,
                                            buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &returned,
                                            &resume, nullptr);
    count += returned;
    if (ok || ::GetLastError() != ERROR_MORE_DATA) break;
  }
  ::CloseServiceHandle(manager);
  return count;
}

// The states of every Win32 service by key name, from one enumeration.
std::map<std::wstring, DWORD> EnumeratedStates() {
  std::map<std::wstring, DWORD> states;
  SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE);
  if (!manager) return states;
  std::vector<uint8_t> buffer(256 * 1024);
  DWORD resume = 0, needed = 0, returned = 0;
  for (int i = 0; i < 64; ++i) {
    const BOOL ok = ::EnumServicesStatusExW(manager, SC_ENUM_PROCESS_INFO, SERVICE_WIN32, SERVICE_STATE_ALL,
                                            buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &returned,
                                            &resume, nullptr);
    const auto* entries = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSW*>(buffer.data());
    for (DWORD j = 0; j < returned; ++j)
      states[entries[j].lpServiceName] = entries[j].ServiceStatusProcess.dwCurrentState;
    if (ok || ::GetLastError() != ERROR_MORE_DATA) break;
  }
  ::CloseServiceHandle(manager);
  return states;
}

// A refresh driven by states alone: a configuration read again only for a service whose state changed (or that is
// new); the rows of the previous refresh otherwise stay as they were.
void StateDrivenRefresh(vantrel::ServicesReader& reader, std::map<std::wstring, vantrel::ServiceRecord>& rows) {
  std::map<std::wstring, vantrel::ServiceRecord> next;
  for (const auto& [name, state] : EnumeratedStates()) {
    const auto it = rows.find(name);
    if (it != rows.end() && it->second.Status == static_cast<int32_t>(state)) {
      next.emplace(name, std::move(it->second));
      continue;
    }
    vantrel::ServiceRecord record;
    if (reader.ReadOne(name, {}, record)) next.emplace(name, std::move(record));
  }
  rows = std::move(next);
}

int32_t StartTypeOf(const vantrel::ServicesRead& read, const std::wstring& name) {
  for (const vantrel::ServiceRecord& r : read.Services)
    if (r.Name == name) return r.StartUp;
  return -1;
}

bool SetStartType(const std::wstring& name, DWORD startType) {
  SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE s = manager ? ::OpenServiceW(manager, name.c_str(), SERVICE_CHANGE_CONFIG) : nullptr;
  const bool ok = s && ::ChangeServiceConfigW(s, SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr, nullptr,
                                              nullptr, nullptr, nullptr, nullptr, nullptr);
  if (s) ::CloseServiceHandle(s);
  if (manager) ::CloseServiceHandle(manager);
  return ok;
}

// Removes the benchmark's services when it ends, on every path.
struct BenchServices {
  std::vector<std::wstring> names;
  ~BenchServices() {
    const double start = Now();
    for (const std::wstring& n : names) vantrel::testing::RemoveServiceNow(n);
    std::printf("removed %zu services in %.0f ms\n", names.size(), Now() - start);
  }
};

}  // namespace

int main() {
  for (int i = 0; i < kServices; ++i) vantrel::testing::RemoveServiceNow(NameOf(i));  // an earlier killed run
  {
    BenchServices services;
    const size_t before = BareEnumeration();
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
    const std::wstring binPath = L"\"" + vantrel::testing::TestServiceExePath() + L"\" -bench";
    const double createStart = Now();
    for (int i = 0; manager && i < kServices; ++i) {
      const std::wstring name = NameOf(i);
      const std::wstring display = L"Vantrel Bench " + name.substr(std::size(kPrefix) - 1);
      SC_HANDLE s = ::CreateServiceW(manager, name.c_str(), display.c_str(), SERVICE_QUERY_STATUS,
                                     SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                     binPath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
      if (!s) continue;
      services.names.push_back(name);
      ::CloseServiceHandle(s);
    }
    if (manager) ::CloseServiceHandle(manager);
    std::printf("services: %zu in the prefix, %zu created in %.0f ms\n", before, services.names.size(),
                Now() - createStart);

    size_t rows = 0;
    const double cold = Median(1, [&] { rows = vantrel::ReadServices({}).Services.size(); });
    // A reader of its own per read: every executable's facts again, as the page once did at every refresh.
    const double full = Median(5, [&] { rows = vantrel::ReadServices({}).Services.size(); });
    // The page's reader, kept across refreshes: after the first, the states, and configurations only after a change.
    vantrel::ServicesReader page;
    page.Read({});
    const double kept = Median(5, [&] { rows = page.Read({}).Services.size(); });
    vantrel::ServiceReadOptions noFiles;
    noFiles.ReadFileFacts = false;
    const double config = Median(5, [&] { vantrel::ReadServices(noFiles); });
    size_t floorRows = 0;
    const double floor = Median(5, [&] { floorRows = BareEnumeration(); });
    std::printf("rows read: %zu (bare enumeration %zu)\n", rows, floorRows);
    std::printf("first read: %.1f ms\n", cold);
    std::printf("full read, file facts read anew (median of 5): %.1f ms\n", full);
    std::printf("page refresh after the first, nothing changed (median of 5): %.1f ms, %zu files cached\n", kept,
                page.CachedFiles());
    std::printf("read without file facts (median of 5): %.1f ms\n", config);
    std::printf("bare EnumServicesStatusExW (median of 5): %.2f ms\n", floor);
    std::printf("per service: %.3f ms full, %.3f ms page refresh, %.4f ms bare\n",
                rows ? full / static_cast<double>(rows) : 0.0, rows ? kept / static_cast<double>(rows) : 0.0,
                floorRows ? floor / static_cast<double>(floorRows) : 0.0);
    std::printf("ratios to the bare enumeration: page refresh %.1fx, full read %.1fx, first read %.1fx\n",
                floor > 0 ? kept / floor : 0.0, floor > 0 ? full / floor : 0.0, floor > 0 ? cold / floor : 0.0);

    // The refresh driven by states alone, after a first read of everything.
    std::map<std::wstring, vantrel::ServiceRecord> changeRows;
    for (vantrel::ServiceRecord& r : page.Read({}).Services) changeRows.emplace(r.Name, std::move(r));
    const double changeDriven = Median(5, [&] { StateDrivenRefresh(page, changeRows); });
    std::printf("state-driven refresh, no state changed (median of 5): %.1f ms, %.1fx the bare enumeration\n",
                changeDriven, floor > 0 ? changeDriven / floor : 0.0);
    // A start type changed as an administrator's tool does it: the service's state stays.
    if (!services.names.empty() && SetStartType(services.names[0], SERVICE_DISABLED)) {
      StateDrivenRefresh(page, changeRows);
      const int32_t shownChangeDriven = changeRows.count(services.names[0]) ? changeRows[services.names[0]].StartUp : -1;
      const int32_t shownPage = StartTypeOf(page.Read({}), services.names[0]);
      const int32_t shownFull = StartTypeOf(vantrel::ReadServices({}), services.names[0]);
      const auto same = [](int32_t a, int32_t b) { return a == b ? "the same" : "NOT the same data"; };
      std::printf("start type set to disabled (4) without a state change: the full read shows %d, the page's "
                  "refresh %d (%s), the state-driven refresh %d (%s)\n",
                  shownFull, shownPage, same(shownPage, shownFull), shownChangeDriven,
                  same(shownChangeDriven, shownFull));
      const double afterChange = Median(1, [&] {
        SetStartType(services.names[0], SERVICE_DEMAND_START);
        page.Read({});
      });
      std::printf("a configuration change and the page refresh after it (every configuration read): %.1f ms\n",
                  afterChange);
    }
  }
  std::printf("VANTREL-TEST-COMPLETE rc=0\n");
  return 0;
}
