// CPU identification decoded from recorded CPUID dumps of real processors, one or more per era the tables cover:
// names without a brand string (Pentium III, K5), the leaf-2 descriptors (Pentium III, Pentium 4), the
// deterministic leaves 4 and 11 (Core i7-4770), the extended cache leaves (Athlon, Athlon 64 X2, Ryzen 7 5800X).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/perf/cpu_identification.h"

namespace vantrel {
namespace {

struct Leaf {
  uint32_t leaf, sub, eax, ebx, ecx, edx;
};

// Leaves 80000002h-80000004h from the 48 bytes of a brand string (NUL padded), as the processor holds them.
void SetBrand(CpuIdDump& d, const char* brand) {
  char b[48] = {};
  std::memcpy(b, brand, std::min<size_t>(std::strlen(brand), 48));
  for (uint32_t i = 0; i < 3; ++i) {
    uint32_t r[4];
    std::memcpy(r, b + 16 * i, 16);
    d.Set(0x80000002 + i, 0, {r[0], r[1], r[2], r[3]});
  }
}

CpuIdDump Dump(std::initializer_list<Leaf> leaves, const char* brand, uint32_t leaf1Ebx, uint32_t leaf1Edx,
                uint32_t cpus, uint32_t apicStep = 1) {
  CpuIdDump d;
  for (const Leaf& l : leaves) d.Set(l.leaf, l.sub, {l.eax, l.ebx, l.ecx, l.edx});
  if (brand) SetBrand(d, brand);
  for (uint32_t i = 0; i < cpus; ++i) d.Leaf1PerCpu.push_back({0, leaf1Ebx | ((i * apicStep) << 24), 0, leaf1Edx});
  return d;
}

constexpr uint32_t kIntel[3] = {0x756E6547, 0x6C65746E, 0x49656E69};  // ebx, ecx, edx of leaf 0
constexpr uint32_t kAmd[3] = {0x68747541, 0x444D4163, 0x69746E65};

CpuIdDump CoreI7_4770() {
  return Dump({{0, 0, 0xD, kIntel[0], kIntel[1], kIntel[2]},
               {1, 0, 0x000306C3, 0x00100800, 0x7FFAFBBF, 0xBFEBFBFF},
               {2, 0, 0x76036301, 0x00F0B5FF, 0x00000000, 0x00C10000},
               {4, 0, 0x1C004121, 0x01C0003F, 0x0000003F, 0},
               {4, 1, 0x1C004122, 0x01C0003F, 0x0000003F, 0},
               {4, 2, 0x1C004143, 0x01C0003F, 0x000001FF, 0},
               {4, 3, 0x1C03C163, 0x03C0003F, 0x00001FFF, 6},
               {4, 4, 0, 0, 0, 0},
               {0xB, 0, 1, 2, 0x100, 0},
               {0xB, 1, 4, 8, 0x201, 0},
               {0xB, 2, 0, 0, 2, 0},
               {0x80000000, 0, 0x80000008, 0, 0, 0},
               {0x80000001, 0, 0, 0, 0x21, 0x2C100800},
               {0x80000006, 0, 0, 0, 0x01006040, 0},
               {0x80000007, 0, 0, 0, 0, 0x100},
               {0x80000008, 0, 0x3027, 0, 0, 0}},
              "Intel(R) Core(TM) i7-4770 CPU @ 3.40GHz", 0x00100800, 0xBFEBFBFF, 8);
}

CpuIdDump Pentium4Northwood() {
  return Dump({{0, 0, 2, kIntel[0], kIntel[1], kIntel[2]},
               {1, 0, 0x00000F27, 0x00010809, 0, 0x3FEBFBFF},
               {2, 0, 0x665B5001, 0, 0, 0x007B7040},
               {0x80000000, 0, 0x80000004, 0, 0, 0},
               {0x80000001, 0, 0, 0, 0, 0}},
              "              Intel(R) Pentium(R) 4 CPU 2.40GHz", 0x00010809, 0x3FEBFBFF, 1);
}

CpuIdDump Pentium3Coppermine() {
  // No extended leaves: 80000000h answers with the data of the highest basic leaf.
  return Dump({{0, 0, 3, kIntel[0], kIntel[1], kIntel[2]},
               {1, 0, 0x0000068A, 0x00000002, 0, 0x0383F9FF},
               {2, 0, 0x03020101, 0, 0, 0x0C040882},
               {0x80000000, 0, 0x03020101, 0, 0, 0x0C040882}},
              nullptr, 0x00000002, 0x0383F9FF, 2);
}

CpuIdDump AmdK5() {
  return Dump({{0, 0, 1, kAmd[0], kAmd[1], kAmd[2]}, {1, 0, 0x00000501, 0, 0, 0x000003BF}}, nullptr, 0,
              0x000003BF, 1);
}

CpuIdDump AthlonThunderbird() {
  return Dump({{0, 0, 1, kAmd[0], kAmd[1], kAmd[2]},
               {1, 0, 0x00000642, 0, 0, 0x0183F9FF},
               {0x80000000, 0, 0x80000006, 0, 0, 0},
               {0x80000001, 0, 0x00000742, 0, 0, 0xC1C3F9FF},
               {0x80000005, 0, 0x0408FF08, 0xFF18FF10, 0x40020140, 0x40020140},
               {0x80000006, 0, 0, 0x41004100, 0x01008140, 0}},
              "AMD Athlon(tm) Processor", 0, 0x0183F9FF, 1);
}

CpuIdDump Athlon64X2() {
  return Dump({{0, 0, 1, kAmd[0], kAmd[1], kAmd[2]},
               {1, 0, 0x00020FB1, 0x00020800, 0x00000001, 0x178BFBFF},
               {0x80000000, 0, 0x80000018, 0, 0, 0},
               {0x80000001, 0, 0x00020FB1, 0x00000000, 0x00000003, 0xEBD3FBFF},
               {0x80000005, 0, 0xFF08FF08, 0xFF20FF20, 0x40020140, 0x40020140},
               {0x80000006, 0, 0, 0x42004200, 0x02008140, 0},
               {0x80000007, 0, 0, 0, 0, 0x3F},
               {0x80000008, 0, 0x3028, 0, 0x00000001, 0}},
              "AMD Athlon(tm) 64 X2 Dual Core Processor 4200+", 0x00020800, 0x178BFBFF, 2);
}

CpuIdDump Ryzen7_5800X() {
  // Leaf 4 reads zero on AMD: the counts come from the extended leaves.
  return Dump({{0, 0, 0x10, kAmd[0], kAmd[1], kAmd[2]},
               {1, 0, 0x00A20F10, 0x00100800, 0x7ED8320B, 0x178BFBFF},
               {4, 0, 0, 0, 0, 0},
               {0x80000000, 0, 0x80000023, 0, 0, 0},
               {0x80000001, 0, 0x00A20F10, 0x20000000, 0x75C237FF, 0x2FD3FBFF},
               {0x80000005, 0, 0xFF40FF40, 0xFF40FF40, 0x20080140, 0x20080140},
               {0x80000006, 0, 0x48002200, 0x68004200, 0x02006140, 0x01009140},
               {0x80000007, 0, 0, 0x0000003B, 0, 0x00006799},
               {0x80000008, 0, 0x00003030, 0x111EF657, 0x0000400F, 0},
               {0x8000001E, 0, 0, 0x00000100, 0, 0}},
              "AMD Ryzen 7 5800X 8-Core Processor             ", 0x00100800, 0x178BFBFF, 16);
}

CpuSystemFacts Facts(uint32_t cpus, uint32_t arch = 9) {
  CpuSystemFacts f;
  f.Architecture = arch;
  f.CPUCount = cpus;
  f.ThreadCount = cpus;
  return f;
}

struct Expect {
  const char* label;
  CpuIdDump (*dump)();
  uint32_t cpus, arch;
  CpuVendor vendor;
  int family, model, stepping;
  const wchar_t* marketing;
  const wchar_t* name;
  uint32_t packages, cores, threads, logicalPerCore;
  int l1d, l1dWays, l1i, l2, l2Line, l3, trace;
  CacheAssociativity l2Assoc;
  const wchar_t* serial;
};

TEST(CpuId, RecordedProcessors) {
  const Expect cases[] = {
      {"i7-4770", CoreI7_4770, 8, 9, CpuVendor::Intel, 6, 12, 3, L"Intel(R) Core(TM) i7-4770 CPU @ 3.40GHz", L"Core i7-4770",
       1, 4, 8, 2, 32, 8, 32, 256, 64, 8192, 0, CacheAssociativity::EightWay, L"0003-06C3-BFEB-FBFF-7FFA-FBBF"},
      {"Pentium 4", Pentium4Northwood, 1, 0, CpuVendor::Intel, 15, 2, 7, L"Intel(R) Pentium(R) 4 CPU 2.40GHz", L"Pentium 4", 1,
       1, 1, 1, 8, 4, 0, 512, 64, 0, 12, CacheAssociativity::EightWay, L"0000-0F27-3FEB-FBFF-0000-0000"},
      {"Pentium III", Pentium3Coppermine, 2, 0, CpuVendor::Intel, 6, 8, 10, L"", L"Pentium III", 2, 2, 2, 1, 16, 4, 16, 256,
       32, 0, 0, CacheAssociativity::EightWay, L"0000-068A-0383-F9FF-0000-0000"},
      {"K5", AmdK5, 1, 0, CpuVendor::Amd, 5, 0, 1, L"", L"K5", 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, CacheAssociativity::None,
       L"0000-0501-0000-03BF-0000-0000"},
      {"Athlon", AthlonThunderbird, 1, 0, CpuVendor::Amd, 6, 4, 2, L"AMD Athlon(tm) Processor", L"Athlon", 1, 1, 1, 1, 64, 2,
       64, 256, 64, 0, 0, CacheAssociativity::SixteenWay, L"0000-0642-0183-F9FF-0000-0000"},
      {"Athlon 64 X2", Athlon64X2, 2, 9, CpuVendor::Amd, 15, 13, 1, L"AMD Athlon(tm) 64 X2 Dual Core Processor 4200+",
       L"Athlon 64 X2 Dual Core 4200+", 1, 2, 2, 1, 64, 2, 64, 512, 64, 0, 0, CacheAssociativity::SixteenWay,
       L"0002-0FB1-178B-FBFF-0000-0001"},
      {"Ryzen 7 5800X", Ryzen7_5800X, 16, 9, CpuVendor::Amd, 25, 3, 0, L"AMD Ryzen 7 5800X 8-Core Processor",
       L"Ryzen 7 5800X 8-Core", 1, 8, 16, 2, 32, 8, 32, 512, 64, 0, 0, CacheAssociativity::EightWay, L"00A2-0F10-178B-FBFF-7ED8-320B"},
  };
  for (const Expect& e : cases) {
    SCOPED_TRACE(e.label);
    const CpuInfo i = DecodeCpuId(e.dump(), Facts(e.cpus, e.arch));
    EXPECT_EQ(i.Vendor, e.vendor);
    EXPECT_EQ(i.Family, e.family);
    EXPECT_EQ(i.Model, e.model);
    EXPECT_EQ(i.Stepping, e.stepping);
    EXPECT_EQ(i.MarketingName, e.marketing);
    EXPECT_EQ(i.CPUName, e.name);
    EXPECT_EQ(i.CPUPhysicalCount, e.packages);
    EXPECT_EQ(i.CoreCount, e.cores);
    EXPECT_EQ(i.ThreadCount, e.threads);
    EXPECT_EQ(i.LogicalPerCore, e.logicalPerCore);
    EXPECT_EQ(i.Cache.Level1Data.Size, e.l1d);
    EXPECT_EQ(i.Cache.Level1Data.Ways, e.l1dWays);
    EXPECT_EQ(i.Cache.Level1Code.Size, e.l1i);
    EXPECT_EQ(i.Cache.Level2.Size, e.l2);
    EXPECT_EQ(i.Cache.Level2.LineSize, e.l2Line);
    EXPECT_EQ(i.Cache.Level2.Associativity, e.l2Assoc);
    EXPECT_EQ(i.Cache.Level3.Size, e.l3);
    EXPECT_EQ(i.Cache.Trace.Size, e.trace);
    EXPECT_EQ(i.SerialNumber, e.serial);
  }
}

TEST(CpuId, TopologyAndDetailsOfTheQuadCore) {
  // Leaf 4 reports 8 core identifiers, leaf 1 16 logical ones, leaf 11 shifts 1 and 4.
  const CpuInfo i = DecodeCpuId(CoreI7_4770(), Facts(8));
  EXPECT_EQ(i.CorePerPackage, 4u);
  EXPECT_EQ(i.LogicalPerPackage, 8u);
  EXPECT_EQ(i.APICID, 0u);
  EXPECT_EQ(i.GenericName, L"Intel64 Family 6 Model 12 Stepping 3");
  EXPECT_EQ(i.Cache.Level3.Desc, L"L3 Unified 8192 KB, 16-way set associative, 64-byte line size");
  EXPECT_EQ(i.Cache.Level2.Shared, 2);
  EXPECT_EQ(i.Cache.Level3.Shared, 1);  // 16 sharing threads exceed the 8 core identifiers
  for (auto [set, mn, avail] : {std::tuple{FeatureSet::Standard1, L"HTT", true}, {FeatureSet::Standard2, L"SSE3", true},
                                {FeatureSet::Standard2, L"VMX", true}, {FeatureSet::Extended1, L"NX", true}, {FeatureSet::Extended1, L"x64", true},
                                {FeatureSet::Extended1, L"3DNOW", false}, {FeatureSet::Extended2, L"LSAHF", true},
                                {FeatureSet::PowerManagement, L"ITSC", true}, {FeatureSet::PowerManagement, L"TS", false}}) {
    const CpuFeature* f = i.Features.Find(set, mn);
    ASSERT_NE(f, nullptr) << static_cast<int>(set);
    EXPECT_EQ(f->Available, avail) << f->Name.size();
  }
  EXPECT_EQ(i.Features.Standard1.size() + i.Features.Standard2.size() + i.Features.Extended1.size() +
                i.Features.Extended2.size() + i.Features.PowerManagement.size(),
            29u + 9 + 25 + 2 + 7);
  EXPECT_EQ(CpuSummaryText({.Vendor = i.Vendor, .CPUPhysicalCount = 1, .CPUName = i.CPUName, .CoreCount = 4,
                            .ThreadCount = 8, .Frequency = 3400}),
            L"CPU: 1 x Intel Core i7-4770 - 3400 MHz (4 核心, 8 线程)");
}

TEST(CpuId, CountsFollowTheSystemAndNeverDivideByZero) {
  // The system reports fewer processors than the processor's counts suggest: its count is the thread count.
  const CpuInfo vm = DecodeCpuId(CoreI7_4770(), Facts(2));
  EXPECT_EQ(vm.ThreadCount, 2u);
  EXPECT_EQ(vm.CoreCount, 2u);  // never more cores than logical processors
  EXPECT_EQ(vm.LogicalPerCore, 1u);
  // Without HTT every logical processor is its own package.
  EXPECT_EQ(CountPackages({{0, 0, 0, 0}, {0, 0x01000000, 0, 0}, {0, 0x02000000, 0, 0}}, 3), 3u);
  // Two packages of 4 logical processors each (APIC identifiers 0-3 and 4-7... of 8 and 16 on real parts).
  std::vector<CpuIdRegs> two;
  for (uint32_t apic : {0u, 1u, 2u, 3u, 16u, 17u, 18u, 19u}) two.push_back({0, 0x00100000 | (apic << 24), 0, 1u << 28});
  EXPECT_EQ(CountPackages(two, 8), 2u);
  EXPECT_EQ(CountPackages({}, 0), 1u);
  // 300 logical processors fit (no byte counts), and a failed processor query gives one thread.
  CpuSystemFacts many = Facts(300);
  EXPECT_EQ(DecodeCpuId(Ryzen7_5800X(), many).ThreadCount, 300u);
  CpuSystemFacts failed = Facts(16);
  failed.ThreadCount = 0;
  const CpuInfo f = DecodeCpuId(Ryzen7_5800X(), failed);
  EXPECT_EQ(f.ThreadCount, 1u);
  EXPECT_GE(f.LogicalPerCore, 1u);
  // No CPUID at all: the registry names the processor.
  CpuIdDump none;
  none.Supported = false;
  CpuSystemFacts reg = Facts(4, 0);
  reg.RegIdentifier = L"x86 Family 6 Model 8 Stepping 10";
  reg.RegProcessorName = L"  Some Processor  ";
  const CpuInfo n = DecodeCpuId(none, reg);
  EXPECT_FALSE(n.CPUIDSupported);
  EXPECT_EQ(n.Vendor, CpuVendor::None);
  EXPECT_EQ(n.GenericName, L"x86 Family 6 Model 8 Stepping 10");
  EXPECT_EQ(n.MarketingName, L"Some Processor");
  EXPECT_EQ(n.CPUPhysicalCount, 4u);
}

TEST(CpuId, VendorsAndNamingTable) {
  auto vendorDump = [](const char sig[13], uint32_t leaf1Eax, const char* brand) {
    uint32_t r[3];
    std::memcpy(r, sig, 12);
    CpuIdDump d = Dump({{0, 0, 1, r[0], r[2], r[1]}, {1, 0, leaf1Eax, 0, 0, 0}}, nullptr, 0, 0, 1);
    if (brand) {
      d.Set(0x80000000, 0, {0x80000004, 0, 0, 0});
      SetBrand(d, brand);
    }
    return d;
  };
  struct Row {
    const char* sig;
    uint32_t eax;
    const char* brand;
    CpuVendor vendor;
    const wchar_t* name;
    const wchar_t* code;
    const wchar_t* tech;
  } rows[] = {
      {"GenuineIntel", 0x400, nullptr, CpuVendor::Intel, L"i80486DX", L"P4", L""},
      {"GenuineIntel", 0x513, nullptr, CpuVendor::Intel, L"Pentium", L"A80501,P5", L"0.80 µm"},
      {"AuthenticAMD", 0x58C, nullptr, CpuVendor::Amd, L"K6-II", L"Chomper", L"0.25 µm"},
      {"CyrixInstead", 0x520, nullptr, CpuVendor::Cyrix, L"6x86", L"M1", L"0.65 µm"},
      {"CentaurHauls", 0x585, nullptr, CpuVendor::IDT, L"WinChip 2", L"C6-2", L"0.35-0.25 µm"},
      {"CentaurHauls", 0x698, nullptr, CpuVendor::IDT, L"VIA C3 C5P", L"Nehemiah", L"0.13 µm"},
      {"CentaurHauls", 0x6A9, "VIA Esther processor 1500MHz", CpuVendor::IDT, L"", L"", L""},  // outside the table
      {"NexGenDriven", 0x500, nullptr, CpuVendor::NexGen, L"Nx586", L"", L"0.50-0.44 µm"},
      {"SiS SiS SiS ", 0x500, nullptr, CpuVendor::Unknown, L"", L"", L""},  // the signature has eleven characters
      {"Geode by NSC", 0x552, nullptr, CpuVendor::Geode, L"Geode", L"", L""},
      {"GenuineTMx86", 0x543, nullptr, CpuVendor::Transmeta, L"Crusoe", L"TM3200", L""},
      {"BadCpuVendor", 0x500, nullptr, CpuVendor::Unknown, L"", L"", L""},
      {"Xyzzy-Vendor", 0x500, nullptr, CpuVendor::Unknown, L"", L"", L""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.sig);
    const CpuInfo i = DecodeCpuId(vendorDump(r.sig, r.eax, r.brand), Facts(1, 0));
    EXPECT_EQ(i.Vendor, r.vendor);
    EXPECT_EQ(i.CPUName, r.name);
    EXPECT_EQ(i.CodeName, r.code);
    EXPECT_EQ(i.Technology, r.tech);
  }
  EXPECT_STREQ(CpuVendorName(CpuVendor::None), L"");
  EXPECT_STREQ(CpuVendorName(CpuVendor::IDT), L"Via");
  // An unknown CPUID vendor is taken from the registry, case-insensitively.
  CpuSystemFacts reg = Facts(1, 0);
  reg.RegVendorIdentifier = L"genuineintel";
  EXPECT_EQ(DecodeCpuId(vendorDump("Xyzzy-Vendor", 0x500, nullptr), reg).Vendor, CpuVendor::Intel);
}

TEST(CpuId, BrandCleaningAndIntelBrands) {
  const std::pair<const wchar_t*, const wchar_t*> names[] = {
      {L"Intel(R) Core(TM) i7-4770 CPU @ 3.40GHz", L"Intel Core i7-4770"},
      {L" Core(TM)2 Duo CPU     E8400  @ 3.00GHz", L"Core 2 Duo E8400"},
      {L"AMD Athlon(tm) 64 X2 Dual Core Processor 4200+", L"AMD Athlon 64 X2 Dual Core 4200+"},
      {L"Genuine Intel(R) CPU T2400 @ 1.83GHz", L"Intel T2400"},
      {L"Intel(R) Xeon(R) CPU           X5650  @ 2.67GHz", L"Intel Xeon X5650"},
      {L"Mobile Intel(R) Pentium(R) 4 - M CPU 2.00GHz", L"Mobile Intel Pentium 4 - M"},
  };
  for (auto [in, out] : names) EXPECT_EQ(CleanCPUName(in), out) << std::wstring(in).size();
  // Brand 14 (mobile Pentium) prefixes the short name; brand 3 depends on the level-2 size.
  CpuIdDump mobile = Pentium4Northwood();
  mobile.Set(1, 0, {0x00000F27, 0x0001080E, 0, 0x3FEBFBFF});
  const CpuInfo m = DecodeCpuId(mobile, Facts(1, 0));
  EXPECT_EQ(m.IntelBrand, (Bit(IntelBrandBit::Pentium)) | (Bit(IntelBrandBit::Mobile)));
  EXPECT_EQ(m.CPUName, L"Mobile Pentium 4");
  CpuIdDump celeron = Pentium3Coppermine();
  celeron.Set(1, 0, {0x0000068A, 0x00000003, 0, 0x0383F9FF});
  celeron.Set(2, 0, {0x03020101, 0, 0, 0x0C040841});  // 128 KB level 2
  EXPECT_EQ(DecodeCpuId(celeron, Facts(1, 0)).IntelBrand, Bit(IntelBrandBit::Celeron));
  // A brand string padded with NULs and blanks is trimmed.
  CpuIdDump padded = Pentium4Northwood();
  SetBrand(padded, "   Intel(R) Pentium(R) 4 CPU 3.00GHz   ");
  EXPECT_EQ(DecodeCpuId(padded, Facts(1, 0)).MarketingName, L"Intel(R) Pentium(R) 4 CPU 3.00GHz");
}

TEST(CpuId, DescriptorTable) {
  EXPECT_GE(CacheDescriptorCount(), 104u);
  const CacheDescriptor* d2c = FindCacheDescriptor(0x2C);
  ASSERT_NE(d2c, nullptr);
  EXPECT_STREQ(d2c->Desc, L"Data L1 Cache, 32 KB, 8 ways, 64 byte lines");
  EXPECT_EQ(d2c->Target, DescriptorTarget::L1Data);
  EXPECT_STREQ(FindCacheDescriptor(0x30)->Desc, L"Code L1 Cache, 32 KB, 8 ways, 64 byte lines");
  EXPECT_EQ(FindCacheDescriptor(0xEC)->SizeKB, 24576);
  EXPECT_EQ(FindCacheDescriptor(0x07), nullptr);
  // 49h is level 3 on a Pentium 4 (leaf 4 present, family 15), level 2 on a dual core.
  CpuIdDump p4 = Pentium4Northwood();
  p4.Set(0, 0, {4, kIntel[0], kIntel[1], kIntel[2]});
  p4.Set(2, 0, {0x605B5101, 0, 0, 0x49007040});
  p4.Set(4, 0, {0, 0, 0, 0});
  EXPECT_EQ(DecodeCpuId(p4, Facts(1, 0)).Cache.Level3.Size, 4096);
  // Registers with bit 31 set carry no descriptors.
  CpuIdDump reserved = Pentium4Northwood();
  reserved.Set(2, 0, {0x665B5001, 0, 0, 0x807B7040});
  EXPECT_EQ(DecodeCpuId(reserved, Facts(1, 0)).Cache.Level2.Size, 0);
}

TEST(CpuClock, SnapAndNormalise) {
  const std::pair<uint32_t, uint32_t> snaps[] = {{2397, 2400}, {2394, 2390}, {3331, 3333}, {1995, 2000},
                                                 {2033, 2033}, {2025, 2020}, {2596, 2600}, {99, 100}};
  for (auto [in, out] : snaps) EXPECT_EQ(SnapClock(in), out) << in;
  EXPECT_EQ(NormaliseClock(3'399'600'000.0, 1'000'000.0), 3400u);
  EXPECT_EQ(NormaliseClock(0, 1000), 0u);
  EXPECT_EQ(NormaliseClock(1000, 0), 0u);

  ClockMeasurement m;  // counter at 10 MHz: 1,000 ticks = 100 µs
  EXPECT_FALSE(m.AddRound(340'000, 1000, 10'000'000));
  EXPECT_FALSE(m.AddRound(339'900, 1000, 10'000'000));
  EXPECT_TRUE(m.AddRound(340'100, 1000, 10'000'000));  // 3400, 3399, 3401: within 1 MHz of their mean
  EXPECT_EQ(m.Frequency(), 3400u);
  ClockMeasurement noisy;
  int rounds = 0;
  while (!noisy.AddRound(rounds % 2 ? 300'000 : 340'000, 1000, 10'000'000)) ++rounds;
  EXPECT_EQ(noisy.Rounds(), ClockMeasurement::kMaxRounds);
  ClockMeasurement stalled;
  for (int i = 0; i < 3; ++i) stalled.AddRound(0, 0, 0);
  EXPECT_EQ(stalled.Frequency(), 0u);
}

}  // namespace
}  // namespace vantrel
