// CPUID decoding from arbitrary recorded registers (any vendor string, leaf maxima, topology and cache leaves,
// descriptor bytes, brand strings) and arbitrary system facts: never divides by zero or reads outside a table, and
// every count it reports is at least 1.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/perf/cpu_identification.h"

namespace {

// The leaves the decoder reads, so that the fuzzer's registers land where they matter.
constexpr uint32_t kLeaves[] = {0,          1,          2,          3,          4,          6,          7,
                                0xB,        0x1F,       0x80000000, 0x80000001, 0x80000002, 0x80000003, 0x80000004,
                                0x80000005, 0x80000006, 0x80000007, 0x80000008, 0x8000001E, 0x80860000, 0x80860001};

uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  vantrel::CpuSystemFacts facts;
  facts.Architecture = data[0] % 10;
  facts.CPUCount = data[1] % 70;  // 0 included: a system that reports none
  facts.ThreadCount = data[2] % 70;
  facts.ProcessorRevision = data[3] | data[4] << 8;
  facts.RegProcessorName = std::wstring(L"  Intel(R)  Core(TM)   i7 CPU @ 2.00GHz ").substr(data[5] % 20);
  vantrel::CpuIdDump dump;
  dump.Supported = (data[6] & 1) == 0;
  // Records of 18 bytes: leaf selector, subleaf, four registers; a selector's top bit makes it a leaf 1 of another
  // logical processor.
  for (size_t i = 8; i + 18 <= size; i += 18) {
    const vantrel::CpuIdRegs regs{Load32(data + i + 2), Load32(data + i + 6), Load32(data + i + 10),
                                   Load32(data + i + 14)};
    if (data[i] & 0x80) {
      dump.Leaf1PerCpu.push_back(regs);
    } else {
      dump.Set(kLeaves[data[i] % (sizeof(kLeaves) / sizeof(kLeaves[0]))], data[i + 1] % 8, regs);
    }
  }
  const vantrel::CpuInfo info = vantrel::DecodeCpuId(dump, facts);
  if (info.CPUCount < 1 || info.CPUPhysicalCount < 1 || info.LogicalPerPackage < 1 || info.LogicalPerCore < 1 ||
      info.CorePerPackage < 1 || info.CoreCount < 1 || info.ThreadCount < 1)
    __builtin_trap();
  (void)vantrel::CpuSummaryText(info);
  (void)vantrel::CountPackages(dump.Leaf1PerCpu, facts.CPUCount);
  (void)vantrel::CleanCPUName(facts.RegProcessorName);
  (void)vantrel::FindCacheDescriptor(data[7]);
  return 0;
}
