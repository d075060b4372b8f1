#include "core/os/os_naming.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

// Version facts as the systems report them (GetVersionExW, GetNativeSystemInfo, GetProductInfo).
struct Recorded {
  const char* system;
  OsVersionFacts facts;
  const wchar_t* caption;
  OsKind os;
  const wchar_t* kernelVersion;  // the kernel file of the same machine
  const wchar_t* kernelName;
};

OsVersionFacts Nt(uint32_t major, uint32_t minor, uint32_t build, uint8_t productType, uint16_t arch,
                   uint16_t spMajor = 0, uint16_t suite = 0x100, std::optional<uint32_t> product = std::nullopt) {
  OsVersionFacts f;
  f.PlatformId = kPlatformNT;
  f.Major = major;
  f.Minor = minor;
  f.Build = build;
  f.ProductType = productType;
  f.ProcessorArchitecture = arch;
  f.SPMajor = spMajor;
  f.CSDVersion = spMajor ? L"Service Pack " + std::to_wstring(spMajor) : L"";
  f.SuiteMask = suite;
  f.ProductInfo = product;
  return f;
}

constexpr uint16_t kX86 = 0;
constexpr uint8_t kWork = 1, kServer = 3;

TEST(OSNaming, RecordedSystems) {
  OsVersionFacts server2003R2 = Nt(5, 2, 3790, kServer, kX86, 2, 0x112);
  server2003R2.ServerR2 = 1;
  OsVersionFacts xpHomeMediaCenter = Nt(5, 1, 2600, kWork, kX86, 3, 0x300);
  xpHomeMediaCenter.MediaCenter = 1;
  const Recorded cases[] = {
      {"XP Pro SP3", Nt(5, 1, 2600, kWork, kX86, 3), L"Windows XP Pro SP 3.0", OsKind::XP, L"5.1.2600", L"Windows XP Professional"},
      {"XP Home MCE", xpHomeMediaCenter, L"Windows XP Home Media Center SP 3.0", OsKind::XP, L"5.1.2600",
       L"Windows XP Home Media Center"},
      {"XP x64 SP2", Nt(5, 2, 3790, kWork, kArchAMD64, 2), L"Windows XP Pro x64 SP 2.0", OsKind::XP, L"5.2.3790",
       L"Windows XP Professional x64"},
      {"2003 R2 Ent SP2", server2003R2, L"Windows Server 2003 R2 Ent SP 2.0", OsKind::Server2003, L"5.2.3790",
       L"Windows Server 2003 R2"},
      {"2003 Std x64", Nt(5, 2, 3790, kServer, kArchAMD64, 1, 0x110), L"Windows Server 2003 Std x64 SP 1.0", OsKind::Server2003,
       L"5.2.3790", L"Windows Server 2003 x64"},
      {"Vista Ultimate x64 SP2", Nt(6, 0, 6002, kWork, kArchAMD64, 2, 0x300, 1), L"Windows Vista Ultimate x64 SP 2.0",
       OsKind::Vista, L"6.0.6002", L"Windows Vista x64"},
      {"2008 Ent", Nt(6, 0, 6001, kServer, kX86, 1, 0x112, 10), L"Windows Server 2008 Ent Full SP 1.0", OsKind::Server2008,
       L"6.0.6001", L"Windows Server 2008"},
      {"7 Pro x64 SP1", Nt(6, 1, 7601, kWork, kArchAMD64, 1, 0x100, 48), L"Windows 7 Pro x64 SP 1.0", OsKind::Win7, L"6.1.7601",
       L"Windows 7 x64"},
      {"2008 R2 Ent SP1", Nt(6, 1, 7601, kServer, kArchAMD64, 1, 0x112, 10), L"Windows Server 2008 R2 Ent Full x64 SP 1.0",
       OsKind::Server2008R2, L"6.1.7601", L"Windows Server 2008 R2 x64"},
      {"8.1 Pro", Nt(6, 3, 9600, kWork, kArchAMD64, 0, 0x100, 48), L"Windows 8.1 Pro x64", OsKind::Win81, L"6.3.9600",
       L"Windows 8.1 x64"},
      // No name for 6.3 servers; the generation still counts as new.
      {"2012 R2 DC", Nt(6, 3, 9600, kServer, kArchAMD64, 0, 0x190, 8), L"Datacenter Full x64", OsKind::Win10, L"6.3.9600",
       L"Windows Server 2012 R2 x64"},
      {"10 Pro 22H2", Nt(10, 0, 19045, kWork, kArchAMD64, 0, 0x100, 48), L"Windows 10 Pro x64", OsKind::Win10, L"10.0.19045",
       L"Windows 10 x64"},
      {"11 Ent", Nt(10, 0, 22631, kWork, kArchAMD64, 0, 0x100, 4), L"Windows 11 Ent x64", OsKind::Win10, L"10.0.22631",
       L"Windows 11 x64"},
      {"11 on ARM", Nt(10, 0, 22621, kWork, kArchARM64, 0, 0x100, 48), L"Windows 11 Pro", OsKind::Win10, L"10.0.22621",
       L"Windows 11"},
      {"Server 2016", Nt(10, 0, 14393, kServer, kArchAMD64, 0, 0x110, 7), L"Windows Server 2016 Std Full x64", OsKind::Win10,
       L"10.0.14393", L"Windows Server 2016 x64"},
      {"Server 2019", Nt(10, 0, 17763, kServer, kArchAMD64, 0, 0x110, 7), L"Windows Server 2019 Std Full x64", OsKind::Win10,
       L"10.0.17763", L"Windows Server 2019 x64"},
      {"Server 2022", Nt(10, 0, 20348, kServer, kArchAMD64, 0, 0x190, 8), L"Windows Server 2022 Datacenter Full x64",
       OsKind::Win10, L"10.0.20348", L"Windows Server 2022 x64"},
      {"Server 2025", Nt(10, 0, 26100, kServer, kArchAMD64, 0, 0x110, 7), L"Windows Server 2025 Std Full x64", OsKind::Win10,
       L"10.0.26100", L"Windows Server 2025 x64"},
      {"Server insider 18363", Nt(10, 0, 18363, kServer, kArchAMD64, 0, 0x110, 7), L"Windows Server 2019 Std Full x64",
       OsKind::Win10, L"10.0.18363", L"Windows Server 2019 x64"},
      // Wine 8 in its default setting, product type 0x1c.
      {"Wine win7", Nt(6, 1, 7601, kWork, kArchAMD64, 1, 0x100, 0x1c), L"Windows 7 Ultimate N x64 SP 1.0", OsKind::Win7,
       L"10.0.18362", L"Windows 10 x64"},
  };
  for (const Recorded& c : cases) {
    SCOPED_TRACE(c.system);
    const OsName name = GetOSName(c.facts);
    EXPECT_EQ(OSCaptionText(name.Name, name.Edition, c.facts.SPMajor, c.facts.SPMinor), c.caption);
    EXPECT_EQ(name.OS, c.os);
    EXPECT_TRUE(name.IsNT);
    EXPECT_EQ(name.Is64BitOS, c.facts.ProcessorArchitecture != kX86);
    EXPECT_EQ(KernelOSName(c.kernelVersion, c.facts), c.kernelName);
  }
}

TEST(OSNaming, NewerSystemsNeverCompareAsOlder) {
  for (const OsVersionFacts& f : {Nt(10, 0, 19045, kWork, kArchAMD64), Nt(6, 4, 9841, kServer, kArchAMD64),
                                   Nt(11, 0, 30000, kWork, kArchAMD64), Nt(6, 9, 1, kWork, kX86)}) {
    const OsName n = GetOSName(f);
    EXPECT_GE(n.OS, OsKind::Win81) << f.Major << "." << f.Minor;
    EXPECT_FALSE(n.OS < OsKind::Vista);
  }
  EXPECT_EQ(GetOSName(Nt(6, 9, 1, kWork, kX86)).Name, L"");
  EXPECT_EQ(GetOSName(Nt(3, 51, 1057, kWork, kX86)).OS, OsKind::Unknown);
}

TEST(OSNaming, OlderFamilies) {
  OsVersionFacts w95;
  w95.PlatformId = kPlatformWin9x;
  w95.Major = 4;
  w95.CSDVersion = L" B";
  EXPECT_EQ(GetOSName(w95).Full, L"Windows 95 OSR 2");
  EXPECT_FALSE(GetOSName(w95).IsNT);
  OsVersionFacts w98 = w95;
  w98.Minor = 10;
  w98.CSDVersion = L" A ";
  EXPECT_EQ(GetOSName(w98).Full, L"Windows 98 SE");
  EXPECT_EQ(GetOSName(w98).OS, OsKind::Win98);

  OsVersionFacts nt4 = Nt(4, 0, 1381, kServer, kX86, 6, 0);
  nt4.Nt4ProductType = L"lanmannt";
  nt4.Nt4HotfixQ246009 = true;
  const OsName n = GetOSName(nt4);
  EXPECT_EQ(n.Full, L"Windows NT 4 Server");
  EXPECT_EQ(n.CSDVersion, L"Service Pack 6a");
  EXPECT_EQ(GetOSName(Nt(5, 0, 2195, kServer, kX86, 4, 0x80)).Full, L"Windows 2000 Datacenter Server");
}

TEST(OSNaming, EditionsFromTheProductTable) {
  EXPECT_EQ(ProductTypeEdition(0), L"An unknown product");
  EXPECT_EQ(ProductTypeEdition(48), L"Professional");
  EXPECT_EQ(ProductTypeEdition(71), L"Ultimate E");
  for (uint32_t gap : {19u, 25u, 34u, 43u, 46u, 50u, 65u, 72u, 0xABCDu}) EXPECT_EQ(ProductTypeEdition(gap), L"") << gap;
  // An unknown code leaves only the architecture.
  EXPECT_EQ(GetOSName(Nt(6, 1, 7601, kWork, kArchAMD64, 0, 0x100, 19)).Edition, L"x64");
  EXPECT_EQ(GetOSName(Nt(6, 1, 7601, kWork, kX86, 0, 0x100, 19)).Edition, L"");
}

TEST(OSNaming, CleanOSName) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"Windows Server 2008 R2 Enterprise Edition", L"Windows Server 2008 R2 Ent"},
      {L"Microsoft(R) Windows(R) XP Professional", L"Windows XP Pro"},
      {L"Windows Seven (TM)  Home   Premium", L"Windows 7 Home Premium"},
      {L"windows server standard service pack 2", L"windows server Std SP2"},
      {L"Windows\u00AE 8 NULL", L"Windows 8"},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(CleanOSName(c.in), c.out) << c.in;
}

TEST(OSNaming, ServicePackTextNeedsAMajor) {
  EXPECT_EQ(OSServicePackText(0, 1), L"");
  EXPECT_EQ(OSServicePackText(2, 0), L"2.0");
  EXPECT_EQ(OSCaptionText(L"Windows XP", L"Professional", 0, 1), L"Windows XP Pro");
}

TEST(OSNaming, KernelVersionAndCompatibility) {
  EXPECT_EQ(KernelVersionText(L"10.0.18362.1"), L"10.0.18362");
  EXPECT_EQ(KernelVersionText(L"6.3.9600"), L"6.3.9600");
  EXPECT_EQ(KernelVersionText(L"6.3"), L"");
  EXPECT_EQ(KernelVersionText(L""), L"");
  EXPECT_EQ(KernelOSName(L"6.3", Nt(6, 3, 9600, kWork, kArchAMD64)), L"");
  EXPECT_EQ(KernelOSName(L"4.0.1381", Nt(4, 0, 1381, kWork, kArchAMD64)), L" x64");

  EXPECT_TRUE(IsCompatibilityMode(6, 2, 9200, L"6.3.9600"));  // no manifest on 8.1
  EXPECT_FALSE(IsCompatibilityMode(10, 0, 18362, L"10.0.18362"));
  EXPECT_TRUE(IsCompatibilityMode(10, 0, 18362, L""));
}

TEST(OSNaming, SessionLabel) {
  EXPECT_EQ(SessionLabelText(L"本地", false, L"Windows 10 x64", L"10.0.18362"), L"本地 会话");
  EXPECT_EQ(SessionLabelText(L"Terminal+VirtualBox", true, L"Windows 10 x64", L"10.0.18362"),
            L"Terminal+VirtualBox 会话 - 在兼容模式下运行 Windows 10 x64 (10.0.18362)");
}

}  // namespace
}  // namespace vantrel
