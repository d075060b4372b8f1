// Packages, cores and logical processors as the system itself describes them: the records of
// GetLogicalProcessorInformationEx (every relationship, every processor group) parsed from their bytes. The
// record layout depends on the width of an affinity mask (8 bytes in 64-bit processes, 4 in 32-bit ones).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

struct CpuTopology {
  uint32_t Packages = 0, Cores = 0, Threads = 0;
  bool Valid() const { return Packages > 0 && Cores > 0 && Threads > 0; }
};

// Relationship codes and the offsets of the fixed part, as the system lays out the records.
inline constexpr uint32_t kRelationProcessorCore = 0;
inline constexpr uint32_t kRelationProcessorPackage = 3;
inline constexpr size_t kTopologyHeaderBytes = 8;         // Relationship, Size
inline constexpr size_t kProcessorGroupCountOffset = 30;  // Flags, EfficiencyClass, Reserved[20] after the header
inline constexpr size_t kProcessorGroupMasksOffset = 32;

// Threads are the bits of the cores' masks. Records that run past the buffer, or whose size cannot hold their
// fixed part, end the walk; what a malformed buffer yields is then not Valid().
CpuTopology ParseProcessorTopology(const uint8_t* data, size_t size, size_t affinityBytes);

}  // namespace vantrel
