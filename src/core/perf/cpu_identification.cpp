#include "core/perf/cpu_identification.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwctype>
#include <iterator>

#include "core/perf/cpu_load.h"

namespace vantrel {
namespace {

struct VendorRow {
  const wchar_t* Signature;
  const wchar_t* Name;
  const wchar_t* FullName;
  bool ExtendedCache;
};
constexpr VendorRow kVendors[] = {
    {L"", L"", L"", false},
    {L"BadCpuVendor", L"Unknown", L"Unknown Vendor", false},
    {L"GenuineIntel", L"Intel", L"Intel Corporation", false},
    {L"AuthenticAMD", L"AMD", L"Advanced Micro Devices", true},
    {L"CyrixInstead", L"Cyrix", L"Via Technologies Inc", false},
    {L"CentaurHauls", L"Via", L"Via Technologies Inc", true},
    {L"NexGenDriven", L"NexGen", L"NexGen Inc", false},
    {L"UMC UMC UMC ", L"UMC", L"United Microelectronics Corp", false},
    {L"RiseRiseRise", L"Rise", L"Rise Technology", false},
    {L"SiS SiS SiS", L"SiS", L"SiS", false},
    {L"Geode by NSC", L"NSC", L"National Semiconductor", false},
    {L"GenuineTMx86", L"Transmeta", L"Transmeta", true},
};

constexpr const wchar_t* kAssociativityTexts[] = {L"None",   L"Direct", L"2-way", L"4-way", L"8-way",
                                                  L"12-way", L"16-way", L"Full",  L"6-way", L"24-way"};

struct FeatureRow {
  uint8_t Bit;
  const wchar_t* Mnemonic;
  const wchar_t* Name;
  uint32_t Sets;  // bits 1 << FeatureSet
};
constexpr uint32_t S1 = Bit(FeatureSet::Standard1), S2 = Bit(FeatureSet::Standard2), E1 = Bit(FeatureSet::Extended1),
                   E2 = Bit(FeatureSet::Extended2), PM = Bit(FeatureSet::PowerManagement);
constexpr FeatureRow kFeatures[] = {
    {0, L"FPU", L"Floating point unit", S1 | E1},
    {1, L"VME", L"Virtual mode extension", S1 | E1},
    {2, L"DE", L"Debugging extensions", S1 | E1},
    {3, L"PSE", L"Page size extension", S1 | E1},
    {4, L"TSC", L"Time stamp counter", S1 | E1},
    {5, L"MSR", L"Model specific registers", S1 | E1},
    {6, L"PAE", L"Physical address extension", S1 | E1},
    {7, L"MCE", L"Machine check exception", S1 | E1},
    {8, L"CX8", L"CMPXCHG8B instruction", S1 | E1},
    {11, L"SEP", L"Fast system call", S1 | E1},
    {12, L"MTRR", L"Memory type range registers", S1 | E1},
    {15, L"CMOV", L"Conditional move instructions", S1 | E1},
    {16, L"PAT", L"Page attribute table", S1 | E1},
    {17, L"PSE36", L"36-bit page size extension", S1 | E1},
    {23, L"MMX", L"MMX technology", S1 | E1},
    {26, L"SSE2", L"Streaming SIMD extensions 2", S1 | E1},
    {30, L"IA-64", L"IA-64 processor", S1 | E1},
    {9, L"APIC", L"On-chip APIC", S1},
    {13, L"PGE", L"Page global enable", S1},
    {18, L"PSN", L"Processor serial number", S1},
    {19, L"CLFSH", L"CLFLUSH instruction", S1},
    {21, L"DS", L"Debug store", S1},
    {22, L"ACPI", L"Thermal monitor and software controlled clock", S1},
    {24, L"FXSR", L"Fast floating point save and restore", S1},
    {25, L"SSE", L"Streaming SIMD extensions", S1},
    {27, L"SS", L"Self snoop", S1},
    {28, L"HTT", L"Hyper-threading technology", S1},
    {29, L"TM", L"Thermal monitor", S1},
    {31, L"SBF", L"Signal break on FERR", S1},
    {0, L"SSE3", L"Streaming SIMD extensions 3", S2},
    {3, L"MON", L"MONITOR and MWAIT instructions", S2},
    {4, L"CPL", L"CPL qualified debug store", S2},
    {5, L"VMX", L"Virtual machine extensions", S2},
    {7, L"EST", L"Enhanced SpeedStep technology", S2},
    {8, L"TM2", L"Thermal monitor 2", S2},
    {10, L"CID", L"Context ID", S2},
    {13, L"CX16", L"CMPXCHG16B instruction", S2},
    {14, L"xTPR", L"Send task priority messages", S2},
    {9, L"APIC", L"On-chip APIC", E1},
    {13, L"PGE", L"Page global enable", E1},
    {19, L"MP", L"Multiprocessing capable", E1},
    {20, L"NX", L"No execute page protection", E1},
    {22, L"MMX+", L"AMD extensions to MMX", E1},
    {29, L"x64", L"64-bit long mode", E1},
    {30, L"3DNOW+", L"AMD extensions to 3DNow!", E1},
    {31, L"3DNOW", L"3DNow! instructions", E1},
    {0, L"LSAHF", L"LAHF and SAHF in 64-bit mode", E2},
    {1, L"CMPL", L"Core multi-processing legacy mode", E2},
    {0, L"TS", L"Temperature sensor", PM},
    {1, L"FID", L"Frequency ID control", PM},
    {2, L"VID", L"Voltage ID control", PM},
    {3, L"TPP", L"Thermal trip", PM},
    {4, L"TM", L"Thermal monitoring", PM},
    {5, L"STC", L"Software thermal control", PM},
    {8, L"ITSC", L"Invariant TSC", PM},
};
static_assert(std::size(kFeatures) == 55);

struct NameRow {
  CpuVendor Vendor;
  int Family, Model;  // -1: any
  int MinStepping;    // the row applies from this stepping on
  const wchar_t* Name;
  const wchar_t* CodeName;
  const wchar_t* Technology;
};
// Names of processors without a brand string; the first matching row wins.
constexpr NameRow kNames[] = {
    {CpuVendor::Intel, 4, 0, 0, L"i80486DX", L"P4", L""},
    {CpuVendor::Intel, 4, 1, 0, L"i80486DX", L"P4", L"1 µm"},
    {CpuVendor::Intel, 4, 2, 0, L"i80486SX", L"P23", L"1 µm"},
    {CpuVendor::Intel, 4, 3, 0, L"i80486DX2", L"P24", L"0.80 µm"},
    {CpuVendor::Intel, 4, 4, 0, L"i80486SL", L"P23", L"0.80 µm"},
    {CpuVendor::Intel, 4, 5, 0, L"i80486SX2", L"P23", L"0.80 µm"},
    {CpuVendor::Intel, 4, 7, 0, L"i80486DX2WB", L"P24D", L"0.80 µm"},
    {CpuVendor::Intel, 4, 8, 0, L"i80486DX4", L"P24C", L"0.60 µm"},
    {CpuVendor::Intel, 5, 1, 0, L"Pentium", L"A80501,P5", L"0.80 µm"},
    {CpuVendor::Intel, 5, 2, 0, L"Pentium", L"P54C", L"0.50-0.35 µm"},
    {CpuVendor::Intel, 5, 4, 0, L"Pentium MMX", L"P55C", L"0.35 µm"},
    {CpuVendor::Intel, 6, 1, 0, L"Pentium Pro", L"P6", L"0.50-0.35 µm"},
    {CpuVendor::Intel, 6, 3, 0, L"Pentium II", L"Klamath", L"0.35 µm"},
    {CpuVendor::Intel, 6, 5, 0, L"Pentium II", L"Deschutes", L"0.25 µm"},
    {CpuVendor::Intel, 6, 6, 0, L"Celeron", L"Mendocino", L"0.25 µm"},
    {CpuVendor::Intel, 6, 7, 0, L"Pentium III", L"Katmai", L"0.25 µm"},
    {CpuVendor::Intel, 6, 8, 0, L"Pentium III", L"Coppermine", L"0.18 µm"},
    {CpuVendor::Intel, 6, 10, 0, L"Pentium III Xeon", L"Cascades", L"0.18 µm"},
    {CpuVendor::Intel, 6, 11, 0, L"Pentium III", L"Tualatin", L"0.13 µm"},
    {CpuVendor::Amd, 4, 3, 0, L"Am486DX2", L"", L"0.70 µm"},
    {CpuVendor::Amd, 4, 8, 0, L"Am486DX4", L"", L"0.50 µm"},
    {CpuVendor::Amd, 4, 14, 0, L"Am5x86", L"X5", L"0.35 µm"},
    {CpuVendor::Amd, 5, 0, 0, L"K5", L"SSA5", L"0.50-0.35 µm"},
    {CpuVendor::Amd, 5, 6, 0, L"K6", L"", L"0.30 µm"},
    {CpuVendor::Amd, 5, 7, 0, L"K6", L"Little Foot", L"0.25 µm"},
    {CpuVendor::Amd, 5, 8, 0, L"K6-II", L"Chomper", L"0.25 µm"},
    {CpuVendor::Amd, 5, 9, 0, L"K6-III", L"Sharptooth", L"0.25 µm"},
    {CpuVendor::Amd, 6, 1, 0, L"Athlon", L"Pluto", L"0.25 µm"},
    {CpuVendor::Amd, 6, 2, 0, L"Athlon", L"Orion", L"0.18 µm"},
    {CpuVendor::Amd, 6, 3, 0, L"Duron", L"Spitfire", L"0.18 µm"},
    {CpuVendor::Amd, 6, 4, 0, L"Athlon", L"Thunderbird", L"0.18 µm"},
    {CpuVendor::Amd, 6, 6, 0, L"Athlon XP", L"Palomino", L"0.18 µm"},
    {CpuVendor::Amd, 6, 7, 0, L"Duron", L"Morgan", L"0.18 µm"},
    {CpuVendor::Amd, 6, 8, 0, L"Athlon XP", L"Thoroughbred", L"0.13 µm"},
    {CpuVendor::Amd, 6, 10, 0, L"Athlon XP", L"Barton", L"0.13 µm"},
    {CpuVendor::Cyrix, 4, 4, 0, L"MediaGX", L"Gx86", L"0.65 µm"},
    {CpuVendor::Cyrix, 5, 2, 0, L"6x86", L"M1", L"0.65 µm"},
    {CpuVendor::Cyrix, 5, 4, 0, L"MediaGX MMX", L"GXm", L"0.35 µm"},
    {CpuVendor::Cyrix, 6, 0, 0, L"6x86MX", L"M2", L"0.35 µm"},
    {CpuVendor::IDT, 5, 4, 0, L"WinChip", L"C6", L"0.35 µm"},
    {CpuVendor::IDT, 5, 8, 0, L"WinChip 2", L"C6-2", L"0.35-0.25 µm"},
    {CpuVendor::IDT, 5, 9, 0, L"WinChip 3", L"C6-3", L"0.25 µm"},
    {CpuVendor::IDT, 6, 6, 0, L"VIA C3", L"Samuel", L"0.18 µm"},
    {CpuVendor::IDT, 6, 7, 8, L"VIA C3", L"Ezra", L"0.13 µm"},
    {CpuVendor::IDT, 6, 7, 0, L"VIA C3", L"Samuel 2", L"0.15 µm"},
    {CpuVendor::IDT, 6, 8, 0, L"VIA C3", L"Ezra-T", L"0.13 µm"},
    {CpuVendor::IDT, 6, 9, 8, L"VIA C3 C5P", L"Nehemiah", L"0.13 µm"},
    {CpuVendor::IDT, 6, 9, 0, L"VIA C3 C5XL", L"Nehemiah", L"0.13 µm"},
    {CpuVendor::NexGen, 5, 0, 0, L"Nx586", L"", L"0.50-0.44 µm"},
    {CpuVendor::UMC, 4, 1, 0, L"U5D", L"", L"0.60 µm"},
    {CpuVendor::UMC, 4, 2, 0, L"U5S", L"", L"0.60 µm"},
    {CpuVendor::Rise, 5, 0, 0, L"mP6", L"iDragon", L"0.25 µm"},
    {CpuVendor::Rise, 5, 2, 0, L"mP6", L"iDragon", L"0.18 µm"},
    {CpuVendor::Rise, 5, 8, 0, L"mP6", L"iDragon II", L"0.25 µm"},
    {CpuVendor::Rise, 5, 9, 0, L"mP6", L"iDragon II", L"0.18 µm"},
    {CpuVendor::SiS, 5, 0, 0, L"55x", L"", L""},
    {CpuVendor::Transmeta, 5, -1, 0, L"Crusoe", L"", L""},
    {CpuVendor::Transmeta, 15, -1, 0, L"Efficeon", L"", L""},
};

uint32_t Bits(uint32_t v, int lo, int hi) { return (v >> lo) & ((hi - lo >= 31) ? ~0u : ((1u << (hi - lo + 1)) - 1)); }

std::wstring RegsText(std::initializer_list<uint32_t> regs) {
  std::wstring s;
  for (uint32_t r : regs)
    for (int i = 0; i < 4; ++i) s += static_cast<wchar_t>((r >> (8 * i)) & 0xFF);
  return s;
}

std::wstring Trim(const std::wstring& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == L' ' || s[b] == L'\0')) ++b;
  while (e > b && (s[e - 1] == L' ' || s[e - 1] == L'\0')) --e;
  return s.substr(b, e - b);
}

bool IsBlank(const std::wstring& s) { return Trim(s).empty(); }

std::wstring Upper(std::wstring s) {
  for (auto& c : s) c = static_cast<wchar_t>(std::towupper(c));
  return s;
}

// Replaces every occurrence of `what` (case-insensitive) by `with`.
std::wstring ReplaceAllNoCase(const std::wstring& text, const std::wstring& what, const std::wstring& with) {
  const std::wstring up = Upper(text), key = Upper(what);
  std::wstring out;
  size_t pos = 0;
  for (size_t hit; (hit = up.find(key, pos)) != std::wstring::npos; pos = hit + key.size())
    out += text.substr(pos, hit - pos) + with;
  return out + text.substr(pos);
}

std::wstring CollapseBlanks(const std::wstring& s) {
  std::wstring out;
  for (wchar_t c : s)
    if (!(c == L' ' && !out.empty() && out.back() == L' ')) out += c;
  return Trim(out);
}

std::wstring Hex8Split(uint32_t v) {
  wchar_t buf[16];
  std::swprintf(buf, 16, L"%04X-%04X", v >> 16, v & 0xFFFF);
  return buf;
}

CacheAssociativity LookupAssociativity(uint32_t code) {
  constexpr uint32_t kCodes[] = {0, 1, 2, 4, 6, 7, 8, 15, 6, 24};
  for (size_t i = 0; i < std::size(kCodes); ++i)
    if (kCodes[i] == code) return static_cast<CacheAssociativity>(i);
  return CacheAssociativity::None;
}

// Leaf 80000005h gives the number of ways itself (FFh: fully associative).
CacheAssociativity WaysAssociativity(uint32_t ways) {
  switch (ways) {
    case 1: return CacheAssociativity::Direct;
    case 2: return CacheAssociativity::TwoWay;
    case 4: return CacheAssociativity::FourWay;
    case 6: return CacheAssociativity::SixWay;
    case 8: return CacheAssociativity::EightWay;
    case 12: return CacheAssociativity::TwelveWay;
    case 16: return CacheAssociativity::SixteenWay;
    case 24: return CacheAssociativity::TwentyFourWay;
    case 0xFF: return CacheAssociativity::Full;
    default: return CacheAssociativity::None;
  }
}

int WaysOf(CacheAssociativity a) {
  constexpr int kWays[] = {0, 1, 2, 4, 8, 12, 16, 0, 6, 24};
  return kWays[Index(a)];
}

std::wstring Format(const wchar_t* fmt, auto... args) {
  wchar_t buf[256];
  std::swprintf(buf, 256, fmt, args...);
  return buf;
}

void DecodeDeterministicCaches(const CpuIdDump& dump, uint32_t coreIds, CpuInfo& info) {
  for (uint32_t sub = 0; sub < 10; ++sub) {
    const CpuIdRegs r = dump.Get(4, sub);
    const uint32_t type = Bits(r.eax, 0, 4);
    if (type == 0) break;
    CacheDetails d;
    d.Typ = static_cast<uint8_t>(type);
    d.Level = static_cast<int32_t>(Bits(r.eax, 5, 7));
    d.LineSize = static_cast<int32_t>(Bits(r.ebx, 0, 11) + 1);
    d.Partitions = static_cast<int32_t>(Bits(r.ebx, 12, 21) + 1);
    d.Ways = static_cast<int32_t>(Bits(r.ebx, 22, 31) + 1);
    d.Size = static_cast<int32_t>(static_cast<uint64_t>(d.Ways) * d.Partitions * d.LineSize *
                                  (static_cast<uint64_t>(r.ecx) + 1) / 1024);
    uint32_t shared = Bits(r.eax, 14, 25) + 1;
    shared = std::max(shared, info.LogicalPerCore);
    if (shared > coreIds) shared = 1;
    d.Shared = static_cast<int32_t>(shared);
    d.Associativity = WaysAssociativity(static_cast<uint32_t>(d.Ways));
    const wchar_t* kind = type == 1 ? L"Data" : type == 2 ? L"Code" : L"Unified";
    d.Desc =
        Format(L"L%d %ls %d KB, %d-way set associative, %d-byte line size", d.Level, kind, d.Size, d.Ways, d.LineSize);
    CacheDetails* slot = nullptr;
    if (d.Level == 1)
      slot = type == 1 ? &info.Cache.Level1Data : type == 2 ? &info.Cache.Level1Code : &info.Cache.Level1Unified;
    else if (d.Level == 2) slot = &info.Cache.Level2;
    else if (d.Level == 3) slot = &info.Cache.Level3;
    if (slot) *slot = d;
  }
}

CacheDetails ExtendedCache(uint8_t typ, int level, int sizeKB, int line, CacheAssociativity a, const wchar_t* kind) {
  CacheDetails d;
  d.Typ = typ;
  d.Level = level;
  d.Size = sizeKB;
  d.LineSize = line;
  d.Associativity = a;
  d.Ways = WaysOf(a);
  d.Partitions = 1;
  d.Desc = Format(L"L%d %ls %d KB, %ls, %d-byte line size", level, kind, sizeKB, CacheAssociativityText(a), line);
  return d;
}

void DecodeExtendedCaches(const CpuIdDump& dump, CpuInfo& info) {
  if (dump.Has(0x80000005)) {
    const CpuIdRegs r = dump.Get(0x80000005);
    if (info.Cache.Level1Code.Size == 0 && Bits(r.edx, 24, 31))
      info.Cache.Level1Code =
          ExtendedCache(2, 1, static_cast<int>(Bits(r.edx, 24, 31)), static_cast<int>(Bits(r.edx, 0, 7)),
                        WaysAssociativity(Bits(r.edx, 16, 23)), L"Code");
    if (info.Cache.Level1Data.Size == 0 && Bits(r.ecx, 24, 31))
      info.Cache.Level1Data =
          ExtendedCache(1, 1, static_cast<int>(Bits(r.ecx, 24, 31)), static_cast<int>(Bits(r.ecx, 0, 7)),
                        WaysAssociativity(Bits(r.ecx, 16, 23)), L"Data");
  }
  if (dump.Has(0x80000006) && info.Cache.Level2.Size == 0) {
    const uint32_t ecx = dump.Get(0x80000006).ecx;
    const uint32_t size = info.Vendor == CpuVendor::IDT ? Bits(ecx, 24, 31) : Bits(ecx, 16, 31);
    // The L2 associativity is the 4-bit code in bits 12-15.
    CacheAssociativity a = LookupAssociativity(Bits(ecx, 12, 15));
    if (info.Vendor == CpuVendor::Amd && info.Family == 6) a = CacheAssociativity::SixteenWay;
    if (size)
      info.Cache.Level2 = ExtendedCache(3, 2, static_cast<int>(size), static_cast<int>(Bits(ecx, 0, 7)), a, L"Unified");
  }
}

void DecodeDescriptorCaches(const CpuIdDump& dump, CpuInfo& info) {
  const CpuIdRegs r = dump.Get(info.Vendor == CpuVendor::Intel ? 2 : 0x80000005);
  std::vector<uint8_t> bytes;
  for (uint32_t reg : {r.eax, r.ebx, r.ecx, r.edx})
    for (int i = 0; i < 4; ++i) bytes.push_back((reg >> 31) ? 0 : static_cast<uint8_t>(reg >> (8 * i)));
  for (size_t i = 1; i < bytes.size(); ++i) {  // byte 0 is the iteration count, not a descriptor
    const CacheDescriptor* d = FindCacheDescriptor(bytes[i]);
    if (!d) continue;
    DescriptorTarget target = d->Target;
    if (d->Value == 0x49) {
      target = (info.IntelBrand & (Bit(IntelBrandBit::DuoCore))) ? DescriptorTarget::L2
               : (info.IntelBrand & (Bit(IntelBrandBit::P4)))    ? DescriptorTarget::L3
                                                                 : DescriptorTarget::None;
    }
    CacheDetails* slot = target == DescriptorTarget::L1Code   ? &info.Cache.Level1Code
                         : target == DescriptorTarget::L1Data ? &info.Cache.Level1Data
                         : target == DescriptorTarget::L2     ? &info.Cache.Level2
                         : target == DescriptorTarget::L3     ? &info.Cache.Level3
                         : target == DescriptorTarget::Trace  ? &info.Cache.Trace
                                                              : nullptr;
    if (!slot || slot->Size) continue;
    slot->Typ = target == DescriptorTarget::L1Code ? 2 : target == DescriptorTarget::L1Data ? 1 : 3;
    slot->Level = target == DescriptorTarget::L1Code || target == DescriptorTarget::L1Data ? 1
                  : target == DescriptorTarget::L2                                         ? 2
                  : target == DescriptorTarget::L3                                         ? 3
                                                                                           : 0;
    slot->Size = d->SizeKB;
    slot->LineSize = d->LineSize;
    slot->Associativity = d->Associativity;
    slot->Ways = WaysOf(d->Associativity);
    slot->Partitions = 1;
    slot->Desc = d->Desc;
    slot->Descriptors = bytes;
  }
}

void DecodeFeatures(const CpuIdDump& dump, CpuInfo& info) {
  const CpuIdRegs l1 = dump.Has(1) ? dump.Get(1) : CpuIdRegs{};
  const CpuIdRegs e1 = dump.Has(0x80000001) ? dump.Get(0x80000001) : CpuIdRegs{};
  const uint32_t pm = dump.Has(0x80000007) ? dump.Get(0x80000007).edx : 0;
  struct {
    FeatureSet set;
    uint32_t reg;
    std::vector<CpuFeature>* list;
  } sets[] = {{FeatureSet::Standard1, l1.edx, &info.Features.Standard1},
              {FeatureSet::Standard2, l1.ecx, &info.Features.Standard2},
              {FeatureSet::Extended1, e1.edx, &info.Features.Extended1},
              {FeatureSet::Extended2, e1.ecx, &info.Features.Extended2},
              {FeatureSet::PowerManagement, pm, &info.Features.PowerManagement}};
  for (auto& s : sets)
    for (const FeatureRow& row : kFeatures)
      if (row.Sets & Bit(s.set))
        s.list->push_back({row.Bit, row.Mnemonic, row.Name, s.set, ((s.reg >> row.Bit) & 1) != 0});
}

IntelBrandBits BrandTable(const CpuInfo& i) {
  auto set = [](std::initializer_list<IntelBrandBit> b) {
    IntelBrandBits r = 0;
    for (auto x : b) r |= Bit(x);
    return r;
  };
  const bool fm2 = i.Family == 15 && i.Model == 2;
  switch (i.Brand) {
    case 1:
    case 10:
    case 20: return set({IntelBrandBit::Celeron});
    case 2:
    case 4:
    case 9: return set({IntelBrandBit::Pentium});
    case 3: return i.Cache.Level2.Size <= 128 ? set({IntelBrandBit::Celeron}) : set({IntelBrandBit::Xeon});
    case 6:
    case 14: return set({IntelBrandBit::Pentium, IntelBrandBit::Mobile});
    case 7:
    case 19:
    case 23: return set({IntelBrandBit::Celeron, IntelBrandBit::Mobile});
    case 8:
      return fm2 && i.Stepping == 4 ? set({IntelBrandBit::Celeron, IntelBrandBit::Mobile})
                                    : set({IntelBrandBit::Pentium});
    case 11:
      return i.Cache.Level3.Size > 0 ? set({IntelBrandBit::Xeon, IntelBrandBit::MP}) : set({IntelBrandBit::Xeon});
    case 12: return set({IntelBrandBit::Xeon, IntelBrandBit::MP});
    case 15:
      return fm2 && i.Stepping == 7 ? set({IntelBrandBit::Celeron, IntelBrandBit::Mobile})
                                    : set({IntelBrandBit::Pentium, IntelBrandBit::Mobile});
    case 17:
    case 21: return set({IntelBrandBit::Mobile});
    case 18: return set({IntelBrandBit::Celeron, IntelBrandBit::M});
    case 22: return set({IntelBrandBit::Pentium, IntelBrandBit::M});
    default: return 0;
  }
}

void NameFromTable(CpuInfo& info) {
  for (const NameRow& row : kNames) {
    if (row.Vendor != info.Vendor || row.Family != info.Family) continue;
    if (row.Model >= 0 && row.Model != info.Model) continue;
    if (info.Stepping < row.MinStepping) continue;
    info.CPUName = row.Name;
    info.CodeName = row.CodeName;
    info.Technology = row.Technology;
    if (info.Vendor == CpuVendor::Transmeta && info.Family == 5)
      info.CodeName = info.Cache.Level2.Size == 0     ? L"TM3200"
                      : info.Cache.Level2.Size == 256 ? L"TM5400/TM5500"
                                                      : L"TM5600/TM5800";
    return;
  }
}

void DecodeTopology(const CpuIdDump& dump, const CpuIdRegs& leaf1, CpuInfo& info, uint32_t& coreIds) {
  const bool htt = (leaf1.edx >> 28) & 1;
  const uint32_t n = htt ? Bits(leaf1.ebx, 16, 23) : 1;
  info.APICID = htt ? Bits(leaf1.ebx, 24, 31) : 255;
  info.CorePerPackage = info.LogicalPerPackage = info.LogicalPerCore = 1;
  coreIds = 1;
  if (info.Vendor == CpuVendor::Intel && dump.Has(4)) {
    const uint32_t c = Bits(dump.Get(4, 0).eax, 26, 31) + 1;
    coreIds = c;
    const uint32_t t = n / c;
    if (c == 2) info.IntelBrand |= Bit(IntelBrandBit::DuoCore);
    else if (info.Family == 15) info.IntelBrand |= Bit(IntelBrandBit::P4);
    if (dump.Has(11)) {
      for (uint32_t sub = 0; sub < 255; ++sub) {
        const CpuIdRegs r = dump.Get(11, sub);
        if (Bits(r.ebx, 0, 15) == 0) break;
        const uint32_t type = Bits(r.ecx, 8, 15);
        if (type == 1) info.LogicalPerCore = Bits(r.eax, 0, 4);
        if (type == 2) info.CorePerPackage = Bits(r.eax, 0, 4);
      }
    }
    if (info.CorePerPackage == 0) info.CorePerPackage = c;
    info.CorePerPackage = c / info.CorePerPackage;
    if (info.CorePerPackage == 0) info.CorePerPackage = c;
    info.LogicalPerCore = std::max(info.LogicalPerCore, t);
    info.LogicalPerCore = std::max<uint32_t>(info.LogicalPerCore, 1);
    info.LogicalPerPackage = info.CorePerPackage * info.LogicalPerCore;
    const uint32_t perPackage = info.CPUCount / std::max<uint32_t>(info.CPUPhysicalCount, 1);
    if (perPackage > info.LogicalPerPackage) {
      info.CorePerPackage = std::max<uint32_t>(perPackage / info.LogicalPerCore, 1);
      info.LogicalPerPackage = perPackage;
    }
  }
  if (info.Vendor == CpuVendor::Amd && dump.Has(0x80000008)) {
    info.CorePerPackage = Bits(dump.Get(0x80000008).ecx, 0, 7) + 1;
    // From family 17h on that figure counts threads; leaf 8000001Eh gives the threads per core.
    if (info.Family >= 0x17 && dump.Has(0x8000001E))
      info.CorePerPackage = std::max<uint32_t>(info.CorePerPackage / (Bits(dump.Get(0x8000001E).ebx, 8, 15) + 1), 1);
  }
}

}  // namespace

CpuIdRegs CpuIdDump::Get(uint32_t leaf, uint32_t subleaf) const {
  const auto it = Leaves.find({leaf, subleaf});
  return it == Leaves.end() ? CpuIdRegs{} : it->second;
}

bool CpuIdDump::Has(uint32_t leaf) const {
  if (!Supported) return false;
  uint32_t base = 0;
  if (leaf >= 0x80000000u && leaf <= 0x8000FFFFu) base = 0x80000000u;
  else if (leaf >= 0x80860000u && leaf <= 0x80860007u) base = 0x80860000u;
  if (!Leaves.count({base, 0})) return false;
  const uint32_t max = Get(base).eax;
  // An extended range is present only when its maximum lies inside that range.
  if (base && (max < base || max > base + 0xFFFF)) return false;
  return leaf <= max;
}

const wchar_t* CpuVendorSignature(CpuVendor v) { return kVendors[Index(v)].Signature; }
const wchar_t* CpuVendorName(CpuVendor v) { return kVendors[Index(v)].Name; }
const wchar_t* CpuVendorFullName(CpuVendor v) { return kVendors[Index(v)].FullName; }
const wchar_t* CacheAssociativityText(CacheAssociativity a) { return kAssociativityTexts[Index(a)]; }

const CpuFeature* CpuFeatures::Find(FeatureSet set, const std::wstring& mnemonic) const {
  const std::vector<CpuFeature>* lists[] = {nullptr, &Standard1, &Standard2, &Extended1, &Extended2, &PowerManagement};
  if (set == FeatureSet::Unknown) return nullptr;
  for (const auto& f : *lists[Index(set)])
    if (f.Mnemonic == mnemonic) return &f;
  return nullptr;
}

uint32_t CountPackages(const std::vector<CpuIdRegs>& leaf1PerCpu, uint32_t cpuCount) {
  uint32_t packages = 0;
  for (const CpuIdRegs& r : leaf1PerCpu) {
    const bool htt = (r.edx >> 28) & 1;
    const uint32_t a = htt ? Bits(r.ebx, 16, 23) : 1, b = htt ? Bits(r.ebx, 24, 31) : 255;
    uint32_t k = 0;
    while ((1u << k) < a && k < 31) ++k;
    if ((b & ((1u << k) - 1)) == 0) ++packages;
  }
  return packages ? packages : std::max<uint32_t>(cpuCount, 1);
}

std::wstring CleanCPUName(std::wstring s) {
  s = ReplaceAllNoCase(s, L"(R)", L"");
  s = ReplaceAllNoCase(s, L"(TM)", L" ");
  for (const wchar_t* w : {L"Genuine", L"Procesor", L"Processor", L"Technology"}) s = ReplaceAllNoCase(s, w, L"");
  if (const size_t at = s.find(L'@'); at != std::wstring::npos) {
    s = ReplaceAllNoCase(s.substr(0, at), L"CPU", L"");
  } else if (const size_t cpu = s.find(L"CPU"); cpu != std::wstring::npos) {
    s = s.substr(0, cpu);
  }
  return CollapseBlanks(Trim(s));
}

namespace {

// Hypervisors hand out APIC identifiers and core counts that describe no real layout; the system's topology
// wins wherever it was read.
void ApplySystemTopology(CpuInfo& info, const CpuTopology& t) {
  info.CPUPhysicalCount = t.Packages;
  info.ThreadCount = t.Threads;
  info.CoreCount = std::min(t.Cores, t.Threads);
  info.CorePerPackage = std::max<uint32_t>(info.CoreCount / t.Packages, 1);
  info.LogicalPerPackage = std::max<uint32_t>(t.Threads / t.Packages, 1);
  info.LogicalPerCore = std::max<uint32_t>(t.Threads / info.CoreCount, 1);
}

}  // namespace

CpuInfo DecodeCpuId(const CpuIdDump& dump, const CpuSystemFacts& facts) {
  CpuInfo info;
  info.Architecture = facts.Architecture;
  info.CPUCount = std::max<uint32_t>(facts.CPUCount, 1);
  info.CPUPhysicalCount =
      dump.Supported && !dump.Leaf1PerCpu.empty() ? CountPackages(dump.Leaf1PerCpu, info.CPUCount) : info.CPUCount;
  info.CPUIDSupported = dump.Supported;
  uint32_t coreIds = 1;
  if (dump.Supported) {
    const CpuIdRegs l0 = dump.Get(0);
    const std::wstring sig = RegsText({l0.ebx, l0.edx, l0.ecx});
    info.Vendor = CpuVendor::Unknown;
    for (int v = Index(CpuVendor::Unknown); v <= Index(CpuVendor::Transmeta); ++v)
      if (sig == kVendors[v].Signature) {
        info.Vendor = static_cast<CpuVendor>(v);
        break;
      }
    if (dump.Has(1)) {
      const CpuIdRegs l1 = dump.Get(1);
      info.CPUType = static_cast<int32_t>(Bits(l1.eax, 12, 13));
      info.Family = static_cast<int32_t>(Bits(l1.eax, 8, 11));
      info.Model = static_cast<int32_t>(Bits(l1.eax, 4, 7));
      if (info.Family == 15) {
        info.Family += static_cast<int32_t>(Bits(l1.eax, 20, 27));
        info.Model += static_cast<int32_t>(Bits(l1.eax, 16, 19));
      }
      info.Stepping = static_cast<int32_t>(Bits(l1.eax, 0, 3));
      info.Brand = static_cast<int32_t>(Bits(l1.ebx, 0, 7));
      if (info.Vendor == CpuVendor::Amd && info.Family == 15 && info.Model >= 5 && l1.ebx == 0)
        info.Brand = static_cast<int32_t>(Bits(dump.Get(0x80000001).ebx, 0, 7));
      DecodeTopology(dump, l1, info, coreIds);
      if (info.Vendor != CpuVendor::Transmeta) {
        if (dump.Has(0x80000004))
          info.MarketingName =
              Trim(RegsText({dump.Get(0x80000002).eax, dump.Get(0x80000002).ebx, dump.Get(0x80000002).ecx,
                             dump.Get(0x80000002).edx, dump.Get(0x80000003).eax, dump.Get(0x80000003).ebx,
                             dump.Get(0x80000003).ecx, dump.Get(0x80000003).edx, dump.Get(0x80000004).eax,
                             dump.Get(0x80000004).ebx, dump.Get(0x80000004).ecx, dump.Get(0x80000004).edx}));
        else if (dump.Has(0x80860006)) {
          std::wstring s;
          for (uint32_t leaf = 0x80860003; leaf <= 0x80860006; ++leaf) {
            const CpuIdRegs r = dump.Get(leaf);
            s += RegsText({r.eax, r.ebx, r.ecx, r.edx});
          }
          info.MarketingName = Trim(s);
        }
      }
    }
    const wchar_t* arch = facts.Architecture == 9 ? L"Intel64" : facts.Architecture == 6 ? L"ia64" : L"x86";
    info.GenericName = Format(L"%ls Family %d Model %d Stepping %d", arch, info.Family, info.Model, info.Stepping);
    if (dump.Has(0x80000001)) {
      const uint32_t eax = dump.Get(0x80000001).eax;
      info.FamilyEx = static_cast<int32_t>(Bits(eax, 8, 11));
    }
    info.ModelEx = static_cast<int32_t>((facts.ProcessorRevision >> 8) & 0xFF);
    info.SteppingEx = static_cast<int32_t>(facts.ProcessorRevision & 0xFF);
    // Caches, features, serial text.
    if (dump.Has(4) && (dump.Get(4, 0).eax & 0x1F)) DecodeDeterministicCaches(dump, coreIds, info);
    if (kVendors[Index(info.Vendor)].ExtendedCache) DecodeExtendedCaches(dump, info);
    else if (info.Cache.Level1Data.Size == 0 && info.Cache.Level2.Size == 0 &&
             dump.Has(info.Vendor == CpuVendor::Intel ? 2 : 0x80000005))
      DecodeDescriptorCaches(dump, info);
    DecodeFeatures(dump, info);
    const CpuIdRegs l1 = dump.Get(1);
    info.SerialNumber = info.Vendor == CpuVendor::Transmeta
                            ? Hex8Split(l1.ebx)
                            : Hex8Split(l1.eax) + L"-" + Hex8Split(l1.edx) + L"-" + Hex8Split(l1.ecx);
  }
  // Registry.
  if (info.Vendor == CpuVendor::Unknown && !facts.RegVendorIdentifier.empty()) {
    for (int v = Index(CpuVendor::Unknown); v <= Index(CpuVendor::Transmeta); ++v)
      if (Upper(facts.RegVendorIdentifier) == Upper(kVendors[v].Signature)) {
        info.Vendor = static_cast<CpuVendor>(v);
        break;
      }
  }
  if (!IsBlank(facts.RegIdentifier)) info.GenericName = facts.RegIdentifier;
  if (info.MarketingName.empty()) info.MarketingName = Trim(facts.RegProcessorName);
  info.IntelBrand = BrandTable(info);
  // Short name.
  switch (info.Vendor) {
    case CpuVendor::Intel:
      if (!IsBlank(info.MarketingName)) {
        info.CPUName = CleanCPUName(ReplaceAllNoCase(info.MarketingName, L"Intel", L""));
        if (info.IntelBrand & (Bit(IntelBrandBit::Mobile))) info.CPUName = L"Mobile " + info.CPUName;
      } else {
        NameFromTable(info);
      }
      break;
    case CpuVendor::Amd:
      if (!IsBlank(info.MarketingName)) info.CPUName = CleanCPUName(ReplaceAllNoCase(info.MarketingName, L"AMD", L""));
      else NameFromTable(info);
      break;
    case CpuVendor::Geode: info.CPUName = L"Geode"; break;
    case CpuVendor::None:
    case CpuVendor::Unknown: break;
    default: NameFromTable(info); break;
  }
  // Counts: the system's processor count is the truth for threads.
  info.CoreCount = std::max<uint32_t>(info.CPUPhysicalCount * info.CorePerPackage, 1);
  info.ThreadCount = facts.ThreadCount ? facts.ThreadCount : 1;
  // A virtual machine can report more packages or cores than it gives logical processors.
  info.CoreCount = std::min(info.CoreCount, info.ThreadCount);
  info.LogicalPerPackage = std::max<uint32_t>(info.ThreadCount / std::max<uint32_t>(info.CPUPhysicalCount, 1), 1);
  info.LogicalPerCore = std::max<uint32_t>(info.ThreadCount / info.CoreCount, 1);
  if (facts.Topology.Valid()) ApplySystemTopology(info, facts.Topology);
  return info;
}

std::wstring CpuSummaryText(const CpuInfo& i) {
  return L"CPU: " + std::to_wstring(i.CPUPhysicalCount) + L" x " + CpuVendorName(i.Vendor) + L" " + i.CPUName + L" - " +
         std::to_wstring(i.Frequency) + L" MHz (" + std::to_wstring(i.CoreCount) + L" 核心, " +
         std::to_wstring(i.ThreadCount) + L" 线程)";
}

uint32_t SnapClock(uint32_t mhz) {
  constexpr int kTypical[] = {0, 20, 33, 50, 60, 66, 80, 90, 100, 133};
  const int r = static_cast<int>(mhz % 100);
  for (size_t i = 1; i < std::size(kTypical); ++i) {
    if (kTypical[i] > r) {
      const int lower = kTypical[i - 1], upper = kTypical[i];
      const int target = (r - lower < upper - r) ? lower : upper;
      return static_cast<uint32_t>(static_cast<int64_t>(mhz) - r + target);
    }
  }
  return mhz;
}

uint32_t NormaliseClock(double cycles, double microseconds) {
  if (!(microseconds > 0) || !(cycles > 0)) return 0;
  const int64_t raw = std::llrint(cycles / microseconds);
  int64_t tenths = std::llrint(cycles * 10 / microseconds);
  const int64_t hundredths = std::llrint(cycles * 100 / microseconds);
  if (hundredths - 10 * tenths > 5) ++tenths;
  int64_t clock = raw;
  if (tenths - 10 * raw > 5) ++clock;
  if (clock <= 0 || clock > 0xFFFFFFFFll) return 0;
  return SnapClock(static_cast<uint32_t>(clock));
}

bool ClockMeasurement::AddRound(uint64_t cycles, uint64_t counterTicks, uint64_t counterFrequency) {
  const double us = counterFrequency >= 10
                        ? static_cast<double>(counterTicks) * 100000.0 / static_cast<double>(counterFrequency / 10)
                        : 0.0;
  mhz_.push_back(us > 0 ? std::llrint(static_cast<double>(cycles) / us) : 0);
  cycles_ += static_cast<double>(cycles);
  microseconds_ += us;
  const size_t n = mhz_.size();
  if (n >= static_cast<size_t>(kMaxRounds)) return true;
  if (n < 3) return false;
  const int64_t a = mhz_[n - 1], b = mhz_[n - 2], c = mhz_[n - 3], sum = a + b + c;
  return std::llabs(3 * a - sum) <= 3 && std::llabs(3 * b - sum) <= 3 && std::llabs(3 * c - sum) <= 3;
}

uint32_t ClockMeasurement::Frequency() const { return NormaliseClock(cycles_, microseconds_); }

}  // namespace vantrel
