// CPU identification from recorded CPUID register values: vendor, signature, brand string and short name,
// topology (packages, cores, threads; Intel from leaves 4 and 11, AMD from leaf 80000008h), caches (leaf 4, the
// extended leaves, or the descriptor table of leaf 2), feature sets, the serial text, and the clock measurement's
// arithmetic. Counts are 32-bit and every divisor is at least 1.
#pragma once

#include "core/base/enum_index.h"
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/perf/cpu_topology.h"

namespace vantrel {

struct CpuIdRegs {
  uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

// The leaves read on the chosen processor, plus leaf 1's EBX of every logical processor (for the package count).
struct CpuIdDump {
  bool Supported = true;                                      // the CPUID instruction exists
  std::map<std::pair<uint32_t, uint32_t>, CpuIdRegs> Leaves;  // (leaf, subleaf) → registers
  std::vector<CpuIdRegs> Leaf1PerCpu;                         // leaf 1 of logical processor 0, 1, ...

  void Set(uint32_t leaf, uint32_t subleaf, CpuIdRegs r) { Leaves[{leaf, subleaf}] = r; }
  // Missing leaves read as zeros, as a processor answers above its maximum on the leaves that matter here.
  CpuIdRegs Get(uint32_t leaf, uint32_t subleaf = 0) const;
  // Whether the leaf is within its range's maximum (leaf 0, 80000000h or 80860000h).
  bool Has(uint32_t leaf) const;
};

// What the system reports beside CPUID.
struct CpuSystemFacts {
  uint32_t Architecture = 0;         // 0 x86, 6 IA64, 9 AMD64
  uint32_t CPUCount = 1;             // GetNativeSystemInfo
  uint32_t ProcessorRevision = 0;    // SYSTEM_INFO wProcessorRevision
  uint32_t ThreadCount = 0;          // the native basic information's processor count; 0 when the query failed
  std::wstring RegVendorIdentifier;  // registry "VendorIdentifier", "Identifier", "ProcessorNameString"
  std::wstring RegIdentifier;
  std::wstring RegProcessorName;
  CpuTopology Topology;  // the system's own; when not Valid(), the counts come from CPUID
};

enum class CpuVendor { None, Unknown, Intel, Amd, Cyrix, IDT, NexGen, UMC, Rise, SiS, Geode, Transmeta };
enum class IntelBrandBit { Celeron, Pentium, Xeon, MP, Mobile, M, DuoCore, P4 };
using IntelBrandBits = uint32_t;  // bits 1 << IntelBrandBit
enum class FeatureSet { Unknown, Standard1, Standard2, Extended1, Extended2, PowerManagement };
enum class CacheAssociativity {
  None,
  Direct,
  TwoWay,
  FourWay,
  EightWay,
  TwelveWay,
  SixteenWay,
  Full,
  SixWay,
  TwentyFourWay
};

const wchar_t* CpuVendorSignature(CpuVendor v);
const wchar_t* CpuVendorName(CpuVendor v);      // short: "Intel", "AMD", ...; empty for CpuVendor::None
const wchar_t* CpuVendorFullName(CpuVendor v);  // "Intel Corporation", ...
const wchar_t* CacheAssociativityText(CacheAssociativity a);

struct CpuFeature {
  uint8_t Index = 0;
  std::wstring Mnemonic;
  std::wstring Name;
  FeatureSet Level = FeatureSet::Unknown;
  bool Available = false;
};

struct CpuFeatures {
  std::vector<CpuFeature> Standard1, Standard2, Extended1, Extended2, PowerManagement;
  // The feature of a set by mnemonic, or nullptr.
  const CpuFeature* Find(FeatureSet set, const std::wstring& mnemonic) const;
};

struct CacheDetails {
  uint8_t Typ = 0;  // 1 data, 2 code, 3 unified
  std::wstring Desc;
  CacheAssociativity Associativity = CacheAssociativity::None;
  int32_t Ways = 0, Partitions = 0, Size = 0 /* KB */, Shared = 1, LineSize = 0, Level = 0;
  std::vector<uint8_t> Descriptors;  // the descriptor bytes the entry came from (leaf 2 path)
};

struct CpuCache {
  CacheDetails Level1Code, Level1Data, Level1Unified, Level2, Level3, Trace;
};

// One row of the leaf-2 descriptor table.
enum class DescriptorTarget { None, L1Code, L1Data, L2, L3, Trace, Tlb, Other };
struct CacheDescriptor {
  uint8_t Value;
  DescriptorTarget Target;
  CacheAssociativity Associativity;
  int32_t SizeKB;  // KB for caches; entries for TLBs; K-µops for the trace cache
  int32_t LineSize;
  const wchar_t* Desc;
};
const CacheDescriptor* FindCacheDescriptor(uint8_t value);
size_t CacheDescriptorCount();

struct CpuInfo {
  bool CPUIDSupported = false;
  CpuVendor Vendor = CpuVendor::None;
  uint32_t Architecture = 0;
  uint32_t CPUCount = 1, CPUPhysicalCount = 1;
  int32_t CPUType = 0, Family = 0, Model = 0, Stepping = 0;
  int32_t FamilyEx = 0, ModelEx = 0, SteppingEx = 0;
  int32_t Brand = 0;
  IntelBrandBits IntelBrand = 0;
  std::wstring GenericName, MarketingName, CPUName, CodeName, Revision, Technology, SerialNumber;
  uint32_t APICID = 255;
  uint32_t LogicalPerPackage = 1, LogicalPerCore = 1, CorePerPackage = 1, CoreCount = 1, ThreadCount = 1;
  uint32_t Frequency = 0;  // MHz; filled by the clock measurement
  CpuCache Cache;
  CpuFeatures Features;
};

// Everything but the clock.
CpuInfo DecodeCpuId(const CpuIdDump& dump, const CpuSystemFacts& facts);

// Packages: logical processors whose initial APIC identifier has the low bits of the package's logical count clear;
// 0 becomes the system's processor count.
uint32_t CountPackages(const std::vector<CpuIdRegs>& leaf1PerCpu, uint32_t cpuCount);

std::wstring CleanCPUName(std::wstring text);

// The processor line of the performance page: "CPU: %d x %s %s - %d MHz (%d 核心, %d 线程)".
std::wstring CpuSummaryText(const CpuInfo& info);

// The clock measurement's arithmetic: rounds of (time-stamp cycles, elapsed microseconds).
class ClockMeasurement {
 public:
  static constexpr int kMaxRounds = 20;
  // Adds a round; true when the measurement should stop (three stable rounds, or 20 rounds).
  bool AddRound(uint64_t cycles, uint64_t counterTicks, uint64_t counterFrequency);
  int Rounds() const { return static_cast<int>(mhz_.size()); }
  // The normalised, snapped clock in MHz; 0 when no time elapsed.
  uint32_t Frequency() const;

 private:
  std::vector<int64_t> mhz_;
  double cycles_ = 0, microseconds_ = 0;
};

// The normalisation from summed cycles and microseconds, then SnapClock; 0 when no time elapsed.
uint32_t NormaliseClock(double cycles, double microseconds);
// Moves a clock to the nearer of the typical values around its last two digits (0, 20, 33, 50, 60, 66, 80, 90, 100,
// 133); the upper one on a tie.
uint32_t SnapClock(uint32_t mhz);

}  // namespace vantrel
