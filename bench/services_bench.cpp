// Times the services read (configuration and executable facts of every service), once with the facts read anew
// and once as a page refresh after the first (facts kept by the page's reader), against the bare
// EnumServicesStatusExW enumeration, with the prefix's services plus 200 that the benchmark installs and removes
// again whatever happens. Prints figures; the last line is the runner's marker.
#include <windows.h>

#include <algorithm>
#include <cstdio>
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
    // The page's reader, kept across refreshes: after the first, only states and configurations are read.
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
    std::printf("page refresh after the first, file facts kept (median of 5): %.1f ms, %zu files cached\n", kept,
                page.CachedFiles());
    std::printf("read without file facts (median of 5): %.1f ms\n", config);
    std::printf("bare EnumServicesStatusExW (median of 5): %.2f ms\n", floor);
    std::printf("per service: %.3f ms full, %.3f ms page refresh, %.4f ms bare\n",
                rows ? full / static_cast<double>(rows) : 0.0, rows ? kept / static_cast<double>(rows) : 0.0,
                floorRows ? floor / static_cast<double>(floorRows) : 0.0);
  }
  std::printf("VANTREL-TEST-COMPLETE rc=0\n");
  return 0;
}
