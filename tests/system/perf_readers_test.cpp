// The performance readers against the real system under Wine: per-processor load while a child keeps one processor
// busy (checked against Linux's own accounting in /proc/stat over the same interval), CPU identification of the
// host processor, the power interface's records, memory status and uptime.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "system/os/system_facts.h"
#include "system/perf/cpu_reader.h"
#include "system/perf/cpu_usage.h"
#include "system/perf/power_info.h"
#include "system/perf/processor_groups.h"
#include "system/perf/system_status.h"
#include "system/raii.h"

namespace vantrel {
namespace {

// One line of /proc/stat in jiffies.
struct LinuxCpuTimes {
  unsigned long long busy = 0, total = 0;
};

// The "cpu" line (index -1) and the per-processor lines of the host's /proc/stat, read through drive Z:.
std::vector<LinuxCpuTimes> ReadProcStat() {
  std::vector<LinuxCpuTimes> out;
  std::ifstream in("Z:\\proc\\stat");
  std::string line;
  while (std::getline(in, line) && line.rfind("cpu", 0) == 0) {
    std::istringstream fields(line.substr(line.find(' ')));
    unsigned long long v[8] = {};
    for (auto& x : v) fields >> x;
    LinuxCpuTimes t;
    for (auto x : v) t.total += x;
    t.busy = t.total - v[3] - v[4];  // without idle and iowait
    out.push_back(t);
  }
  return out;
}

double LinuxLoad(const LinuxCpuTimes& a, const LinuxCpuTimes& b) {
  const double total = static_cast<double>(b.total - a.total);
  return total > 0 ? 100.0 * static_cast<double>(b.busy - a.busy) / total : 0.0;
}

std::wstring ChildExe() {
  wchar_t self[MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring dir(self, n);
  return dir.substr(0, dir.find_last_of(L'\\')) + L"\\perf_busy_child.exe";
}

TEST(PerfReaders, BusyCoreReadsHighAndMatchesLinux) {
  CpuUsageMeter usage;
  const uint32_t n = usage.CPUCount();
  EXPECT_EQ(n, SystemFacts().SystemInfo.dwNumberOfProcessors);
  const auto before0 = ReadProcStat();
  ASSERT_EQ(before0.size(), n + 1) << "/proc/stat through Z: has a line per processor";
  if (n < 2) GTEST_SKIP() << "one processor: no idle processor to compare with";

  const uint32_t busy = n - 1;
  std::wstring line = L"\"" + ChildExe() + L"\" 11";
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &si,
                               &pi));
  win::UniqueHandle process(pi.hProcess), thread(pi.hThread);
  ASSERT_TRUE(::SetProcessAffinityMask(process.get(), DWORD_PTR{1} << busy));
  ::ResumeThread(thread.get());
  ::Sleep(1000);  // let it settle on its processor

  int ticks = 0;
  usage.OnInterval = [&](CpuUsageMeter&, const std::vector<int32_t>& values, int32_t) {
    ++ticks;
    EXPECT_EQ(values.size(), n);
  };
  usage.SetActive(true);  // baseline
  const auto before = ReadProcStat();
  ::Sleep(8000);
  usage.Tick();
  const auto after = ReadProcStat();
  usage.SetActive(false);
  ::TerminateProcess(process.get(), 0);
  EXPECT_EQ(ticks, 1);

  std::vector<double> linux(n);
  for (uint32_t i = 0; i < n; ++i) linux[i] = LinuxLoad(before[i + 1], after[i + 1]);
  const double linuxAverage = LinuxLoad(before[0], after[0]);
  for (uint32_t i = 0; i < n; ++i)
    std::printf("cpu%u: ours %d, Linux %.1f\n", i, usage.CPUUsage(i), linux[i]);
  std::printf("average: ours %d, Linux %.1f\n", usage.Average(), linuxAverage);

  EXPECT_GT(usage.CPUUsage(busy), 80);
  EXPECT_NEAR(usage.Average(), linuxAverage, 10.0);
  for (uint32_t i = 0; i < n; ++i) EXPECT_NEAR(usage.CPUUsage(i), linux[i], 10.0) << "cpu" << i;
  // The host is shared: an "idle" processor is idle only when Linux says so too.
  uint32_t idle = 0;
  for (uint32_t i = 1; i < busy; ++i)
    if (linux[i] < linux[idle]) idle = i;
  if (linux[idle] < 10.0) {
    EXPECT_LT(usage.CPUUsage(idle), 20);
  } else {
    std::printf("no idle processor on the host (least loaded: %.1f %%); the idle check is left out\n", linux[idle]);
  }
}

TEST(PerfReaders, HostProcessorIdentification) {
  const DWORD_PTR maskBefore = [] {
    DWORD_PTR p = 0, s = 0;
    ::GetProcessAffinityMask(::GetCurrentProcess(), &p, &s);
    return p;
  }();
  const int priorityBefore = ::GetThreadPriority(::GetCurrentThread());
  const CpuInfo info = ReadCpuInfo(0);
  DWORD_PTR maskAfter = 0, system = 0;
  ::GetProcessAffinityMask(::GetCurrentProcess(), &maskAfter, &system);
  EXPECT_EQ(maskAfter, maskBefore);  // pinning undone
  EXPECT_EQ(::GetThreadPriority(::GetCurrentThread()), priorityBefore);

  EXPECT_TRUE(info.CPUIDSupported);
  EXPECT_TRUE(info.Vendor == CpuVendor::Intel || info.Vendor == CpuVendor::Amd) << Index(info.Vendor);
  EXPECT_FALSE(info.MarketingName.empty());
  EXPECT_FALSE(info.CPUName.empty());
  EXPECT_EQ(info.ThreadCount, SystemFacts().SystemInfo.dwNumberOfProcessors);
  EXPECT_GE(info.CoreCount, 1u);
  EXPECT_LE(info.CoreCount, info.ThreadCount);
  EXPECT_GT(info.Frequency, 200u);
  EXPECT_LT(info.Frequency, 10000u);
  std::wprintf(L"%ls\n", CpuSummaryText(info).c_str());
  std::wprintf(L"L1d %d KB, L2 %d KB\n", info.Cache.Level1Data.Size, info.Cache.Level2.Size);

  {
    AffinityPin pin(1 % static_cast<int>(SystemFacts().SystemInfo.dwNumberOfProcessors));
    DWORD_PTR pinned = 0;
    ::GetProcessAffinityMask(::GetCurrentProcess(), &pinned, &system);
    if (pin.Pinned()) {
      EXPECT_EQ(__builtin_popcountll(pinned), 1);
    }
  }
  ::GetProcessAffinityMask(::GetCurrentProcess(), &maskAfter, &system);
  EXPECT_EQ(maskAfter, maskBefore);
}

// The distinct "physical id" lines of the host's /proc/cpuinfo (at least one).
size_t LinuxPackages() {
  std::ifstream in("Z:\\proc\\cpuinfo");
  std::set<std::string> ids;
  for (std::string line; std::getline(in, line);)
    if (line.rfind("physical id", 0) == 0) ids.insert(line);
  return std::max<size_t>(ids.size(), 1);
}

TEST(PerfReaders, PackagesAsTheSystemCountsThem) {
  // The hypervisor's APIC identifiers suggest a package per processor; the CPU line follows the system.
  const CpuInfo info = ReadCpuInfo(0);
  EXPECT_EQ(info.CPUPhysicalCount, LinuxPackages());
  EXPECT_EQ(CpuSummaryText(info).rfind(L"CPU: " + std::to_wstring(LinuxPackages()) + L" x ", 0), 0u);
  const CpuTopology t = ReadProcessorTopology();
  ASSERT_TRUE(t.Valid());
  EXPECT_EQ(t.Threads, NativeProcessorCount());

  // Leaf 1 is asked on each processor: each answers with its own APIC identifier, and the thread's affinity is
  // the same afterwards.
  GROUP_AFFINITY before{};
  ASSERT_TRUE(::GetThreadGroupAffinity(::GetCurrentThread(), &before));
  const CpuIdDump dump = ReadCpuIdDump(0, NativeProcessorCount());
  ASSERT_EQ(dump.Leaf1PerCpu.size(), NativeProcessorCount());
  std::set<uint32_t> apicIds;
  for (const CpuIdRegs& r : dump.Leaf1PerCpu) apicIds.insert(r.ebx >> 24);
  EXPECT_EQ(apicIds.size(), dump.Leaf1PerCpu.size());
  GROUP_AFFINITY after{};
  ASSERT_TRUE(::GetThreadGroupAffinity(::GetCurrentThread(), &after));
  EXPECT_EQ(after.Mask, before.Mask);
  EXPECT_EQ(after.Group, before.Group);
  EXPECT_FALSE(ProcessorPin(NativeProcessorCount()).Pinned());  // past the last processor
}

TEST(PerfReaders, FrequencyMemoryAndUptime) {
  ASSERT_TRUE(LoadPowrProf());
  ASSERT_NE(PowrProf().CallNtPowerInformation, nullptr);
  std::vector<ProcessorPowerInformation> records;
  ASSERT_TRUE(ReadProcessorFrequencies(records));
  EXPECT_EQ(records.size(), SystemFacts().SystemInfo.dwNumberOfProcessors);
  for (const auto& r : records) {
    EXPECT_GT(r.MaxMhz, 0u);
    EXPECT_LE(r.CurrentMhz, r.MaxMhz);
  }
  const auto* storage = records.data();
  ASSERT_TRUE(ReadProcessorFrequencies(records));  // the next tick reuses the buffer
  EXPECT_EQ(records.data(), storage);
  UnloadPowrProf();
  EXPECT_FALSE(ReadProcessorFrequencies(records));  // not bound: no records, the nominal clock is used
  EXPECT_TRUE(records.empty());

  MemoryStatus mem;
  ASSERT_TRUE(ReadMemoryStatus(mem));
  std::ifstream meminfo("Z:\\proc\\meminfo");
  std::string key;
  unsigned long long kb = 0;
  meminfo >> key >> kb;
  ASSERT_EQ(key, "MemTotal:");
  EXPECT_NEAR(static_cast<double>(mem.TotalPhys >> 20), static_cast<double>(kb >> 10), 2.0);
  EXPECT_LE(mem.AvailPhys, mem.TotalPhys);
  EXPECT_LE(mem.MemoryLoad, 100u);

  std::ifstream uptime("Z:\\proc\\uptime");
  double hostSeconds = 0;
  uptime >> hostSeconds;
  ASSERT_GT(hostSeconds, 0);
  EXPECT_NEAR(static_cast<double>(SystemUptimeMs()) / 1000.0, hostSeconds, 3.0);
}

}  // namespace
}  // namespace vantrel
