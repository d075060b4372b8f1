#include "system/perf/cpu_reader.h"

#include <cpuid.h>
#include <x86intrin.h>

#include <algorithm>

#include "system/os/registry.h"
#include "system/os/system_facts.h"
#include "system/perf/cpu_usage.h"
#include "system/perf/processor_groups.h"

namespace vantrel {

AffinityPin::AffinityPin(int processor) {
  const auto setMask = SystemEntryPoints().SetProcessAffinityMask;
  if (processor < 0 || processor >= 32 || !setMask) return;
  if (static_cast<DWORD>(processor) >= SystemFacts().SystemInfo.dwNumberOfProcessors) processor = 0;
  DWORD_PTR systemMask = 0;
  if (!::GetProcessAffinityMask(::GetCurrentProcess(), &previous_, &systemMask)) return;
  const DWORD_PTR single = DWORD_PTR{1} << processor;
  if (single == previous_) return;
  if (setMask(::GetCurrentProcess(), single)) {
    changed_ = true;
    ::Sleep(0);  // let the scheduler move the thread
  }
}

AffinityPin::~AffinityPin() {
  if (changed_) SystemEntryPoints().SetProcessAffinityMask(::GetCurrentProcess(), previous_);
}

ThreadPriorityScope::ThreadPriorityScope(int priority) : previous_(::GetThreadPriority(::GetCurrentThread())) {
  ::SetThreadPriority(::GetCurrentThread(), priority);
}

ThreadPriorityScope::~ThreadPriorityScope() {
  if (previous_ != THREAD_PRIORITY_ERROR_RETURN) ::SetThreadPriority(::GetCurrentThread(), previous_);
}

bool CPUIDAvailable() { return __get_cpuid_max(0, nullptr) != 0 || sizeof(void*) == 8; }

CpuIdRegs ExecCPUID(int processor, uint32_t leaf, uint32_t subleaf) {
  AffinityPin pin(processor);
  unsigned a = 0, b = 0, c = 0, d = 0;
  __cpuid_count(leaf, subleaf, a, b, c, d);
  return {a, b, c, d};
}

CpuIdDump ReadCpuIdDump(int cpuIndex, uint32_t cpuCount) {
  CpuIdDump dump;
  dump.Supported = CPUIDAvailable();
  if (!dump.Supported) return dump;
  {
    AffinityPin pin(cpuIndex);  // one pin for all the leaves of the chosen processor
    auto put = [&](uint32_t leaf, uint32_t sub = 0) { dump.Set(leaf, sub, ExecCPUID(-1, leaf, sub)); };
    put(0);
    const uint32_t maxBasic = dump.Get(0).eax;
    for (uint32_t leaf = 1; leaf <= std::min<uint32_t>(maxBasic, 0x1F); ++leaf) {
      if (leaf == 4) {
        for (uint32_t sub = 0; sub < 10; ++sub) {
          put(4, sub);
          if ((dump.Get(4, sub).eax & 0x1F) == 0) break;
        }
      } else if (leaf == 0xB) {
        for (uint32_t sub = 0; sub < 255; ++sub) {
          put(0xB, sub);
          if ((dump.Get(0xB, sub).ebx & 0xFFFF) == 0) break;
        }
      } else {
        put(leaf);
      }
    }
    for (uint32_t base : {0x80000000u, 0x80860000u}) {
      put(base);
      const uint32_t max = dump.Get(base).eax;
      if (max <= base || max > base + 0x40) continue;
      for (uint32_t leaf = base + 1; leaf <= max; ++leaf) put(leaf);
    }
  }
  // Leaf 1 of every processor (its initial APIC identifier), each read on that processor in whatever group it
  // is; one that cannot be pinned is left out rather than answered for by another.
  for (uint32_t cpu = 0; cpu < cpuCount; ++cpu) {
    ProcessorPin pin(cpu);
    if (pin.Pinned()) dump.Leaf1PerCpu.push_back(ExecCPUID(-1, 1));
  }
  return dump;
}

CpuSystemFacts ReadCpuSystemFacts(int cpuIndex) {
  CpuSystemFacts f;
  const SYSTEM_INFO& si = SystemFacts().SystemInfo;
  f.Architecture = si.wProcessorArchitecture;
  f.CPUCount = si.dwNumberOfProcessors ? si.dwNumberOfProcessors : 1;
  f.ProcessorRevision = si.wProcessorRevision;
  f.ThreadCount = NativeProcessorCount();
  f.CPUCount = std::max(f.CPUCount, f.ThreadCount);  // the system information counts one group only
  f.Topology = ReadProcessorTopology();
  RegistryKey reg;
  if (reg.OpenKeyReadOnly(HKEY_LOCAL_MACHINE,
                          L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\" + std::to_wstring(cpuIndex))) {
    f.RegVendorIdentifier = reg.ReadString(L"VendorIdentifier");
    f.RegIdentifier = reg.ReadString(L"Identifier");
    f.RegProcessorName = reg.ReadString(L"ProcessorNameString");
  }
  return f;
}

uint32_t MeasureCPUFrequency(int cpuIndex) {
  LARGE_INTEGER freq{};
  if (!::QueryPerformanceFrequency(&freq) || freq.QuadPart <= 0) return 0;
  AffinityPin pin(cpuIndex);
  ClockMeasurement clock;
  for (;;) {
    LARGE_INTEGER start{}, c1{}, c2{};
    uint64_t t1 = 0, t2 = 0;
    {
      ThreadPriorityScope critical(THREAD_PRIORITY_TIME_CRITICAL);
      ::QueryPerformanceCounter(&start);
      // Every wait is bounded by the counter itself: 50 ticks, then 1,000 more.
      do {
        ::QueryPerformanceCounter(&c1);
        t1 = __rdtsc();
      } while (c1.QuadPart - start.QuadPart < 50);
      do {
        ::QueryPerformanceCounter(&c2);
        t2 = __rdtsc();
      } while (c2.QuadPart - c1.QuadPart < 1000);
    }
    if (clock.AddRound(t2 - t1, static_cast<uint64_t>(c2.QuadPart - c1.QuadPart), static_cast<uint64_t>(freq.QuadPart)))
      break;
  }
  return clock.Frequency();
}

CpuInfo ReadCpuInfo(int cpuIndex) {
  const CpuSystemFacts facts = ReadCpuSystemFacts(cpuIndex);
  CpuInfo info = DecodeCpuId(ReadCpuIdDump(cpuIndex, facts.CPUCount), facts);
  info.Frequency = MeasureCPUFrequency(cpuIndex);
  return info;
}

}  // namespace vantrel
