#include "core/os/os_naming.h"

#include <array>
#include <vector>

#include "core/os/ascii.h"

namespace vantrel {
namespace {

using detail::EqualsNoCase;
using detail::Trim;

constexpr uint16_t kSuiteEnterprise = 0x2;
constexpr uint16_t kSuiteDatacenter = 0x80;
constexpr uint16_t kSuitePersonal = 0x200;
constexpr uint16_t kSuiteBlade = 0x400;
constexpr uint16_t kSuiteStorageServer = 0x2000;
constexpr uint16_t kSuiteComputeServer = 0x4000;
constexpr uint16_t kSuiteHomeServer = 0x8000;

bool Has(uint16_t mask, uint16_t bit) { return (mask & bit) != 0; }

std::wstring JoinTrim(std::wstring_view a, std::wstring_view b) {
  std::wstring s(a);
  s += L' ';
  s += b;
  return Trim(s);
}

std::wstring XPEditionSuffix(const OsVersionFacts& f) {
  if (f.Starter >= 1) return L" Starter";
  if (f.TabletPC > 0) return L" Tablet PC";
  if (f.MediaCenter > 0) return L" Media Center";
  return {};
}

std::wstring Server2003Name(const OsVersionFacts& f) {
  if (f.ServerR2 >= 1) return L"Windows Server 2003 R2";
  if (Has(f.SuiteMask, kSuiteStorageServer)) return L"Windows Storage Server 2003";
  if (Has(f.SuiteMask, kSuiteHomeServer)) return L"Windows Home Server";
  return L"Windows Server 2003";
}

struct NtRow {
  uint32_t major, minor;
  const wchar_t* workstation;
  OsKind workstationKind;
  const wchar_t* server;  // nullptr: no name
  OsKind serverKind;
};

constexpr std::array<NtRow, 5> kNt6Rows{{
    {6, 0, L"Windows Vista", OsKind::Vista, L"Windows Server 2008", OsKind::Server2008},
    {6, 1, L"Windows 7", OsKind::Win7, L"Windows Server 2008 R2", OsKind::Server2008R2},
    {6, 2, L"Windows 8", OsKind::Win8, L"Windows Server 2012", OsKind::Server2012},
    {6, 3, L"Windows 8.1", OsKind::Win81, nullptr, OsKind::Unknown},
    {6, 4, L"Windows 10", OsKind::Win10, nullptr, OsKind::Unknown},
}};

std::wstring Nt4Edition(const OsVersionFacts& f, bool workstation) {
  std::wstring e = workstation                          ? L"Workstation"
                   : Has(f.SuiteMask, kSuiteEnterprise) ? L"Server 4.0, Enterprise"
                                                        : L"Server 4.0";
  if (EqualsNoCase(f.Nt4ProductType, L"WINNT")) e = L"Workstation";
  else if (EqualsNoCase(f.Nt4ProductType, L"LANMANNT")) e = L"Server";
  else if (EqualsNoCase(f.Nt4ProductType, L"SERVERNT")) e = L"Advanced Server";
  return e;
}

std::wstring Server2003Edition(const OsVersionFacts& f) {
  const uint16_t s = f.SuiteMask;
  if (f.ProcessorArchitecture == kArchIA64) {
    if (Has(s, kSuiteDatacenter)) return L"Datacenter for Itanium-based Systems";
    if (Has(s, kSuiteEnterprise)) return L"Enterprise for Itanium-based Systems";
    return {};
  }
  if (f.ProcessorArchitecture == kArchAMD64) {
    if (Has(s, kSuiteDatacenter)) return L"Datacenter x64";
    if (Has(s, kSuiteEnterprise)) return L"Enterprise x64";
    return L"Standard x64";
  }
  if (Has(s, kSuiteComputeServer)) return L"Compute Cluster";
  if (Has(s, kSuiteDatacenter)) return L"Datacenter";
  if (Has(s, kSuiteEnterprise)) return L"Enterprise";
  if (Has(s, kSuiteBlade)) return L"Web";
  return L"Standard";
}

std::vector<std::wstring> SplitDots(std::wstring_view s) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (;;) {
    const size_t dot = s.find(L'.', start);
    parts.emplace_back(s.substr(start, dot == std::wstring_view::npos ? std::wstring_view::npos : dot - start));
    if (dot == std::wstring_view::npos) break;
    start = dot + 1;
  }
  return parts;
}

// Leading decimal digits; 0 when there are none.
uint32_t LeadingNumber(std::wstring_view s) {
  uint64_t v = 0;
  for (wchar_t c : s) {
    if (c < L'0' || c > L'9') break;
    v = v * 10 + static_cast<uint64_t>(c - L'0');
    if (v > 0xFFFFFFFFu) return 0xFFFFFFFFu;
  }
  return static_cast<uint32_t>(v);
}

}  // namespace

std::wstring ProductTypeEdition(uint32_t code) {
  // clang-format off
  static constexpr std::array<const wchar_t*, 72> kTable{
      L"An unknown product",
      L"Ultimate",
      L"Home Basic",
      L"Home Premium",
      L"Enterprise",
      L"Home Basic N",
      L"Business",
      L"Standard Full",
      L"Datacenter Full",
      L"Windows Small Business Server",
      L"Enterprise Full",
      L"Starter",
      L"Datacenter Core",
      L"Standard Core",
      L"Enterprise Core",
      L"Enterprise for Itanium-based Systems",
      L"Business N",
      L"Web Server Full",
      L"HPC Edition",
      nullptr,
      L"Storage Server Express",
      L"Storage Server Standard",
      L"Storage Server Workgroup",
      L"Storage Server Enterprise",
      L"Windows Essential Server Solutions",
      nullptr,
      L"Home Premium N",
      L"Enterprise N",
      L"Ultimate N",
      L"Web Server Core",
      L"Windows Essential Business Server Management Server",
      L"Windows Essential Business Server Security Server",
      L"Windows Essential Business Server Messaging Server",
      L"Server Foundation",
      nullptr,
      L"without Hyper-V for Windows Essential Server Solutions",
      L"Standard without Hyper-V Full",
      L"Datacenter without Hyper-V Full",
      L"Enterprise without Hyper-V Full",
      L"Datacenter without Hyper-V Core",
      L"Standard without Hyper-V Core",
      L"Enterprise without Hyper-V Core",
      L"Microsoft Hyper-V Server",
      nullptr, nullptr, nullptr, nullptr,  // 43-46
      L"Starter N",
      L"Professional",
      L"Professional N",
      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,  // 50-57
      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,  // 58-65
      L"Starter E",
      L"Home Basic E",
      L"Home Premium E",
      L"Professional E",
      L"Enterprise E",
      L"Ultimate E",
  };
  // clang-format on
  if (code >= kTable.size() || kTable[code] == nullptr) return {};
  return kTable[code];
}

std::wstring Windows10FamilyName(uint32_t build, bool workstation) {
  if (workstation) return build >= 22000 ? L"Windows 11" : L"Windows 10";
  if (build >= 26100) return L"Windows Server 2025";
  if (build >= 20348) return L"Windows Server 2022";
  if (build >= 17763) return L"Windows Server 2019";
  return L"Windows Server 2016";
}

OsName GetOSName(const OsVersionFacts& f) {
  OsName r;
  const bool workstation = f.ProductType == kNtWorkstation;
  const uint16_t arch = f.ProcessorArchitecture;
  r.Is64BitOS = arch == kArchAMD64 || arch == kArchIA64 || arch == kArchARM64;
  r.CSDVersion = f.CSDVersion;
  std::wstring edition;

  if (f.PlatformId == kPlatformWin9x && f.Major == 4) {
    const wchar_t sp = f.CSDVersion.size() > 1 ? f.CSDVersion[1] : L'\0';
    if (f.Minor == 0) {
      r.Name = L"Windows 95";
      r.OS = OsKind::Win95;
      if (sp == L'A') edition = L"OSR 1";
      else if (sp == L'B') edition = L"OSR 2";
      else if (sp == L'C') edition = L"OSR 2.5";
    } else if (f.Minor == 10) {
      r.Name = L"Windows 98";
      r.OS = OsKind::Win98;
      if (sp == L'A' || sp == L'B') edition = L"SE";
    } else if (f.Minor == 90) {
      r.Name = L"Windows Millennium Edition";
      r.OS = OsKind::WinME;
    }
  } else if (f.PlatformId == kPlatformNT) {
    r.IsNT = true;
    if (f.Major == 10 && f.Minor == 0) {
      r.Name = Windows10FamilyName(f.Build, workstation);
      r.OS = OsKind::Win10;
    } else if (f.Major == 6) {
      for (const NtRow& row : kNt6Rows) {
        if (row.minor != f.Minor) continue;
        const wchar_t* name = workstation ? row.workstation : row.server;
        if (name) r.Name = name;
        r.OS = workstation ? row.workstationKind : row.serverKind;
      }
    } else if (f.Major == 5 && f.Minor == 2) {
      r.OS = OsKind::Server2003;
      if (workstation && arch == kArchAMD64) {
        r.Name = L"Windows XP";
        edition = L"Professional x64";
        r.OS = OsKind::XP;
      } else {
        r.Name = Server2003Name(f);
        edition = Server2003Edition(f);
      }
    } else if (f.Major == 5 && f.Minor == 1) {
      r.Name = L"Windows XP";
      r.OS = OsKind::XP;
      edition = (Has(f.SuiteMask, kSuitePersonal) ? L"Home" : L"Professional") + XPEditionSuffix(f);
    } else if (f.Major == 5 && f.Minor == 0) {
      r.Name = L"Windows 2000";
      r.OS = OsKind::Win2000;
      edition = workstation                          ? L"Professional"
                : Has(f.SuiteMask, kSuiteDatacenter) ? L"Datacenter Server"
                : Has(f.SuiteMask, kSuiteEnterprise) ? L"Advanced Server"
                                                     : L"Server";
    } else if (f.Major == 4) {
      r.Name = L"Windows NT 4";
      r.OS = OsKind::NT4;
      edition = Nt4Edition(f, workstation);
      if (f.Nt4HotfixQ246009 && f.CSDVersion == L"Service Pack 6") r.CSDVersion = L"Service Pack 6a";
    }
    if (f.Major >= 6) {
      if (f.ProductInfo) edition = ProductTypeEdition(*f.ProductInfo);
      if (arch == kArchAMD64) edition = edition.empty() ? L"x64" : edition + L" x64";
      // A version newer than the tables must not compare as the oldest.
      if (r.OS == OsKind::Unknown) r.OS = OsKind::Win10;
    }
  }
  r.Edition = Trim(edition);
  r.Full = JoinTrim(r.Name, r.Edition);
  return r;
}

std::wstring CleanOSName(std::wstring_view s) {
  using detail::ReplaceAllNoCase;
  std::wstring t = ReplaceAllNoCase(s, L"Service Pack ", L"SP");
  t = ReplaceAllNoCase(t, L"Standard", L"Std");
  t = ReplaceAllNoCase(t, L"Professional", L"Pro");
  t = ReplaceAllNoCase(t, L"Enterprise", L"Ent");
  for (const wchar_t* gone : {L"Edition", L"(R)", L"NULL", L"\u00AE"}) t = ReplaceAllNoCase(t, gone, L"");
  t = ReplaceAllNoCase(t, L"(TM)", L" ");
  t = ReplaceAllNoCase(t, L"Microsoft", L"");
  t = ReplaceAllNoCase(t, L"Seven", L"7");
  std::wstring collapsed;
  for (wchar_t c : t) {
    if (c == L' ' && !collapsed.empty() && collapsed.back() == L' ') continue;
    collapsed += c;
  }
  return Trim(collapsed);
}

std::wstring OSServicePackText(uint16_t spMajor, uint16_t spMinor) {
  if (spMajor == 0) return {};
  return std::to_wstring(spMajor) + L"." + std::to_wstring(spMinor);
}

std::wstring OSCaptionText(std::wstring_view name, std::wstring_view edition, uint16_t spMajor, uint16_t spMinor) {
  std::wstring caption = CleanOSName(std::wstring(name) + L" " + std::wstring(edition));
  const std::wstring sp = OSServicePackText(spMajor, spMinor);
  if (!sp.empty()) caption += L" SP " + sp;
  return caption;
}

std::wstring KernelVersionText(std::wstring_view fileVersion) {
  const std::vector<std::wstring> parts = SplitDots(fileVersion);
  if (parts.size() <= 2) return {};
  return parts[0] + L"." + parts[1] + L"." + parts[2];
}

std::wstring KernelOSName(std::wstring_view kernelVersion, const OsVersionFacts& f) {
  const std::vector<std::wstring> parts = SplitDots(kernelVersion);
  if (parts.size() < 3) return {};
  const uint32_t major = LeadingNumber(parts[0]), minor = LeadingNumber(parts[1]), build = LeadingNumber(parts[2]);
  const bool server = f.ProductType == 2 || f.ProductType == 3;
  const uint16_t s = f.SuiteMask;
  std::wstring name;
  if (major == 5 && minor == 0) {
    name = !server                    ? L"Windows 2000 Professional"
           : Has(s, kSuiteDatacenter) ? L"Windows 2000 Datacenter Server"
           : Has(s, kSuiteEnterprise) ? L"Windows 2000 Advanced Server"
                                      : L"Windows 2000 Server";
  } else if (major == 5 && minor == 1) {
    name = std::wstring(L"Windows XP") + (Has(s, kSuitePersonal) ? L" Home" : L" Professional") + XPEditionSuffix(f);
  } else if (major == 5 && minor == 2) {
    name = !server && f.ProcessorArchitecture == kArchAMD64 ? L"Windows XP Professional" : Server2003Name(f);
  } else if (major == 6 && minor <= 4) {
    static constexpr std::array<const wchar_t*, 5> kWork{L"Windows Vista", L"Windows 7", L"Windows 8", L"Windows 8.1",
                                                         L"Windows 10"};
    static constexpr std::array<const wchar_t*, 5> kServer{L"Windows Server 2008", L"Windows Server 2008 R2",
                                                           L"Windows Server 2012", L"Windows Server 2012 R2",
                                                           L"Windows Server 10"};
    name = server ? kServer[minor] : kWork[minor];
  } else if (major == 10 && minor == 0) {
    name = Windows10FamilyName(build, !server);
  }
  if (f.ProcessorArchitecture == kArchAMD64) name += L" x64";
  return name;
}

bool IsCompatibilityMode(uint32_t major, uint32_t minor, uint32_t build, std::wstring_view kernelVersion) {
  if (kernelVersion.empty()) return true;
  const std::wstring reported = std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." + std::to_wstring(build);
  return !EqualsNoCase(reported, kernelVersion);
}

std::wstring SessionLabelText(std::wstring_view sessionTypes, bool compatibilityMode, std::wstring_view kernelName,
                              std::wstring_view kernelVersion) {
  std::wstring label = std::wstring(sessionTypes) + L" 会话";
  if (compatibilityMode)
    label += L" - 在兼容模式下运行 " + std::wstring(kernelName) + L" (" + std::wstring(kernelVersion) + L")";
  return label;
}

}  // namespace vantrel
