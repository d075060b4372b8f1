// Packages, cores and threads from the system's topology records, laid out byte for byte as
// GetLogicalProcessorInformationEx returns them, for the machines the CPUID arithmetic got wrong: a 2-processor
// virtual machine, 48 threads in one package, 96 in two, 128 in two processor groups. The CPUID fall-back is
// checked on the same machines' APIC identifiers, as leaf 1 answers on each processor.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/perf/cpu_identification.h"
#include "core/perf/cpu_topology.h"

namespace vantrel {
namespace {

// One package: its processor group and its cores, each core the processor numbers (in the group) of its threads.
struct Package {
  uint16_t group;
  std::vector<std::vector<uint32_t>> cores;
};

class TopologyBytes {
 public:
  explicit TopologyBytes(size_t affinityBytes) : affinity_(affinityBytes) {}

  // Records in the order Windows gives them for RelationAll: cores, caches and NUMA nodes, packages, then groups.
  std::vector<uint8_t> Build(const std::vector<Package>& packages) {
    for (const Package& p : packages)
      for (const auto& core : p.cores) Processor(0, p.group, core, core.size() > 1 ? 1 : 0);
    Other(2, 48);  // a cache
    Other(1, 80);  // a NUMA node
    for (const Package& p : packages) {
      std::vector<uint32_t> all;
      for (const auto& core : p.cores) all.insert(all.end(), core.begin(), core.end());
      Processor(3, p.group, all, 0);
    }
    Other(4, 76);  // the groups
    return bytes_;
  }

 private:
  void Put(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  void Header(uint32_t relation, uint32_t size) {
    Put(&relation, 4);
    Put(&size, 4);
  }
  void Processor(uint32_t relation, uint16_t group, const std::vector<uint32_t>& cpus, uint8_t flags) {
    const size_t maskBytes = affinity_ == 8 ? 16 : 12;
    Header(relation, static_cast<uint32_t>(kProcessorGroupMasksOffset + maskBytes));
    uint8_t fixed[22] = {flags};
    Put(fixed, sizeof fixed);
    const uint16_t groupCount = 1;
    Put(&groupCount, 2);
    uint64_t mask = 0;
    for (uint32_t cpu : cpus) mask |= uint64_t{1} << (cpu % 64);  // numbered within its group
    Put(&mask, affinity_);
    uint8_t tail[8] = {};
    std::memcpy(tail, &group, 2);
    Put(tail, maskBytes - affinity_);
  }
  void Other(uint32_t relation, uint32_t size) {
    Header(relation, size);
    bytes_.resize(bytes_.size() + size - kTopologyHeaderBytes, 0x5A);
  }

  size_t affinity_;
  std::vector<uint8_t> bytes_;
};

// `cores` cores of `threads` threads each, numbered from `first` in `group`; SMT siblings sit next to each other.
Package MakePackage(uint16_t group, uint32_t first, uint32_t cores, uint32_t threads) {
  Package p{group, {}};
  for (uint32_t c = 0; c < cores; ++c) {
    p.cores.emplace_back();
    for (uint32_t t = 0; t < threads; ++t) p.cores.back().push_back(first + c * threads + t);
  }
  return p;
}

// Leaf 1 of every processor: HTT set, `perPackage` addressable identifiers, the given APIC identifiers.
std::vector<CpuIdRegs> Leaf1(const std::vector<uint32_t>& apicIds, uint32_t perPackage) {
  std::vector<CpuIdRegs> regs;
  for (uint32_t id : apicIds) regs.push_back({0, (id << 24) | (perPackage << 16), 0, 1u << 28});
  return regs;
}

std::vector<uint32_t> Range(uint32_t from, uint32_t count) {
  std::vector<uint32_t> ids;
  for (uint32_t i = 0; i < count; ++i) ids.push_back(from + i);
  return ids;
}

std::vector<uint32_t> Join(std::vector<uint32_t> a, const std::vector<uint32_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct Machine {
  const char* name;
  std::vector<Package> packages;
  std::vector<uint32_t> apicIds;  // leaf 1 as each processor answers it
  uint32_t logicalPerPackage;     // leaf 1's addressable count
  uint32_t packagesCount, cores, threads;
};

std::vector<Machine> Machines() {
  return {
      // Our virtual machines: one package of two cores, and a hypervisor whose APIC identifiers look like two.
      {"vm2", {MakePackage(0, 0, 2, 1)}, {166, 12}, 2, 1, 2, 2},
      {"one package, 48 threads", {MakePackage(0, 0, 24, 2)}, Range(0, 48), 64, 1, 24, 48},
      {"two packages, 96 threads",
       {MakePackage(0, 0, 24, 2), MakePackage(0, 48, 24, 2)},
       Join(Range(0, 48), Range(64, 48)), 64, 2, 48, 96},
      {"128 threads in two groups",
       {MakePackage(0, 0, 32, 2), MakePackage(1, 0, 32, 2)},
       Join(Range(0, 64), Range(128, 64)), 128, 2, 64, 128},
  };
}

CpuSystemFacts FactsFor(const Machine& m, const std::vector<uint8_t>& topology) {
  CpuSystemFacts f;
  f.Architecture = 9;
  f.CPUCount = m.threads;
  f.ThreadCount = m.threads;
  f.Topology = ParseProcessorTopology(topology.data(), topology.size(), 8);
  return f;
}

CpuIdDump AmdDump(const Machine& m) {
  CpuIdDump d;
  d.Set(0, 0, {0x10, 0x68747541, 0x444D4163, 0x69746E65});
  d.Set(1, 0, m.apicIds.empty() ? CpuIdRegs{} : Leaf1({m.apicIds[0]}, m.logicalPerPackage)[0]);
  d.Leaf1PerCpu = Leaf1(m.apicIds, m.logicalPerPackage);
  return d;
}

TEST(CpuTopology, RecordedMachinesGivePackagesCoresThreadsAndFrames) {
  for (const Machine& m : Machines()) {
    SCOPED_TRACE(m.name);
    const std::vector<uint8_t> bytes = TopologyBytes(8).Build(m.packages);
    const CpuTopology t = ParseProcessorTopology(bytes.data(), bytes.size(), 8);
    EXPECT_EQ(t.Packages, m.packagesCount);
    EXPECT_EQ(t.Cores, m.cores);
    EXPECT_EQ(t.Threads, m.threads);

    // The identification takes the system's counts; the clock frames are one per core.
    const CpuInfo info = DecodeCpuId(AmdDump(m), FactsFor(m, bytes));
    EXPECT_EQ(info.CPUPhysicalCount, m.packagesCount);
    EXPECT_EQ(info.CoreCount, m.cores);
    EXPECT_EQ(info.ThreadCount, m.threads);
    EXPECT_EQ(info.CorePerPackage * info.CPUPhysicalCount, m.cores);
  }
}

TEST(CpuTopology, ApicFallbackCountsPackagesFromEveryProcessor) {
  // Where the system's call fails, leaf 1 of each processor decides; that is right on real hardware (each
  // processor answering for itself) and wrong on the hypervisor, which is why the system's topology comes first.
  const std::vector<uint32_t> expected = {2, 1, 2, 2};
  const std::vector<Machine> machines = Machines();
  for (size_t i = 0; i < machines.size(); ++i) {
    SCOPED_TRACE(machines[i].name);
    const CpuInfo info = DecodeCpuId(AmdDump(machines[i]), FactsFor(machines[i], {}));
    EXPECT_EQ(info.CPUPhysicalCount, expected[i]);
    EXPECT_LE(info.CoreCount, machines[i].threads);  // frames never outnumber the logical processors
  }
  // Leaf 1 read on processor 0 for every processor from 32 up: the fault that made 17 packages of 48 threads.
  std::vector<uint32_t> repeated = Range(0, 32);
  repeated.resize(48, 0);
  EXPECT_EQ(CountPackages(Leaf1(repeated, 64), 48), 17u);
  EXPECT_EQ(CountPackages(Leaf1(Range(0, 48), 64), 48), 1u);
}

TEST(CpuTopology, ThirtyTwoBitLayoutAndMalformedBuffers) {
  const std::vector<Package> vm = {MakePackage(0, 0, 2, 2)};
  const std::vector<uint8_t> narrow = TopologyBytes(4).Build(vm);
  const CpuTopology t = ParseProcessorTopology(narrow.data(), narrow.size(), 4);
  EXPECT_EQ(t.Packages, 1u);
  EXPECT_EQ(t.Cores, 2u);
  EXPECT_EQ(t.Threads, 4u);

  std::vector<uint8_t> wide = TopologyBytes(8).Build(vm);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    size_t affinity;
  };
  std::vector<uint8_t> truncated(wide.begin(), wide.end() - 10);
  std::vector<uint8_t> zeroSize = wide;
  for (size_t i = 4; i < 8; ++i) zeroSize.at(i) = 0;  // would loop for ever without the size check
  std::vector<uint8_t> hugeGroups = wide;
  hugeGroups[kProcessorGroupCountOffset] = 0xFF;  // more groups than the record holds
  const Case cases[] = {{"truncated", truncated, 8}, {"zero size", zeroSize, 8}, {"empty", {}, 8},
                        {"bad width", wide, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(ParseProcessorTopology(c.bytes.data(), c.bytes.size(), c.affinity).Valid());
  }
  const CpuTopology clipped = ParseProcessorTopology(hugeGroups.data(), hugeGroups.size(), 8);
  EXPECT_EQ(clipped.Threads, 4u);  // the masks the record holds, nothing read past it
}

}  // namespace
}  // namespace vantrel
