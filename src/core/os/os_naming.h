// Naming of the running Windows edition from its reported version facts, and the kernel-file based name.
#pragma once

#include "core/base/enum_index.h"
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// Ordered: callers compare generations with < and >.
enum class OsKind : int {
  Unknown = 0,
  Win95,
  Win98,
  WinME,
  NT4,
  Win2000,
  XP,
  Server2003,
  Vista,
  Server2008,
  Win7,
  Server2008R2,
  Win8,
  Server2012,
  Win81,
  Win10
};

inline constexpr uint32_t kPlatformWin9x = 1;
inline constexpr uint32_t kPlatformNT = 2;
inline constexpr uint8_t kNtWorkstation = 1;
inline constexpr uint16_t kArchIA64 = 6;
inline constexpr uint16_t kArchAMD64 = 9;
inline constexpr uint16_t kArchARM64 = 12;

// What the system reports about itself; the Windows reader fills it, tests fill it from recorded facts.
struct OsVersionFacts {
  uint32_t PlatformId = 0;
  uint32_t Major = 0, Minor = 0, Build = 0;
  std::wstring CSDVersion;  // service-pack text
  uint16_t SPMajor = 0, SPMinor = 0;
  uint16_t SuiteMask = 0;
  uint8_t ProductType = 0;                                       // 1 workstation, 2 domain controller, 3 server
  uint16_t ProcessorArchitecture = 0;                            // native view
  int ServerR2 = 0, Starter = 0, TabletPC = 0, MediaCenter = 0;  // GetSystemMetrics answers
  std::optional<uint32_t> ProductInfo;                           // GetProductInfo, when bound and successful
  std::wstring Nt4ProductType;                                   // ProductOptions\ProductType (4.x only)
  bool Nt4HotfixQ246009 = false;                                 // Hotfix\Q246009\Installed = 1 (4.x only)
};

struct OsName {
  std::wstring Name;            // empty when the version is not recognised
  std::wstring Edition;         // trimmed
  std::wstring Full;            // Name + " " + Edition, trimmed
  OsKind OS = OsKind::Unknown;  // the generation to compare with; a newer NT than the tables counts as the newest
  bool IsNT = false;
  bool Is64BitOS = false;
  std::wstring CSDVersion;  // the service-pack text, "Service Pack 6a" when that hotfix is installed
};

OsName GetOSName(const OsVersionFacts& facts);

// Edition text of a GetProductInfo code; empty for codes without one.
std::wstring ProductTypeEdition(uint32_t code);

// "Windows 10" / "Windows 11" and the server names of version 10.0 by build number.
std::wstring Windows10FamilyName(uint32_t build, bool workstation);

std::wstring CleanOSName(std::wstring_view s);

// "%d.%d" of the service pack, empty when the major is 0.
std::wstring OSServicePackText(uint16_t spMajor, uint16_t spMinor);

// CleanOSName(name + " " + edition) plus " SP " and the service pack when there is one.
std::wstring OSCaptionText(std::wstring_view name, std::wstring_view edition, uint16_t spMajor, uint16_t spMinor);

// First three parts of a file version text ("10.0.18362.1" -> "10.0.18362"); empty with fewer than three.
std::wstring KernelVersionText(std::wstring_view fileVersion);

// Name of the OS by the kernel file's version (at least three parts, else empty); facts give product type,
// suite, architecture and the system metrics.
std::wstring KernelOSName(std::wstring_view kernelVersion, const OsVersionFacts& facts);

// True when the reported major.minor.build differs from the kernel file's version, or that is empty.
bool IsCompatibilityMode(uint32_t major, uint32_t minor, uint32_t build, std::wstring_view kernelVersion);

// The session label: "<types> 会话", and in compatibility mode "%s - 在兼容模式下运行 %s (%s)".
std::wstring SessionLabelText(std::wstring_view sessionTypes, bool compatibilityMode, std::wstring_view kernelName,
                              std::wstring_view kernelVersion);

}  // namespace vantrel
