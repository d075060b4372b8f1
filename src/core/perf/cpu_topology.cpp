#include "core/perf/cpu_topology.h"

#include <bit>
#include <cstring>

namespace vantrel {
namespace {

template <typename T>
T ReadAt(const uint8_t* p) {
  T v{};
  std::memcpy(&v, p, sizeof v);
  return v;
}

// A group affinity: the mask, then WORD Group and WORD Reserved[3], padded to the mask's alignment.
size_t GroupAffinityBytes(size_t affinityBytes) { return affinityBytes == 8 ? 16 : 12; }

uint32_t ProcessorsOf(const uint8_t* record, size_t recordSize, size_t affinityBytes) {
  if (recordSize < kProcessorGroupMasksOffset) return 0;
  const uint16_t groups = ReadAt<uint16_t>(record + kProcessorGroupCountOffset);
  const size_t step = GroupAffinityBytes(affinityBytes);
  uint32_t count = 0;
  for (uint16_t g = 0; g < groups; ++g) {
    const size_t at = kProcessorGroupMasksOffset + g * step;
    if (at + step > recordSize) break;
    count += affinityBytes == 8 ? std::popcount(ReadAt<uint64_t>(record + at))
                                : std::popcount(ReadAt<uint32_t>(record + at));
  }
  return count;
}

}  // namespace

CpuTopology ParseProcessorTopology(const uint8_t* data, size_t size, size_t affinityBytes) {
  CpuTopology t;
  if (!data || (affinityBytes != 4 && affinityBytes != 8)) return t;
  size_t at = 0;
  while (size - at >= kTopologyHeaderBytes) {
    const uint32_t relation = ReadAt<uint32_t>(data + at);
    const uint32_t recordSize = ReadAt<uint32_t>(data + at + 4);
    if (recordSize < kTopologyHeaderBytes || recordSize > size - at) return {};
    if (relation == kRelationProcessorPackage) {
      ++t.Packages;
    } else if (relation == kRelationProcessorCore) {
      ++t.Cores;
      t.Threads += ProcessorsOf(data + at, recordSize, affinityBytes);
    }
    at += recordSize;
  }
  return t;
}

}  // namespace vantrel
