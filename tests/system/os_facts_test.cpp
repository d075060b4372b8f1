// The start-up facts of this process, and of a child told another Windows version by the prefix.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "os_test_print.h"
#include "system/os/file_version.h"
#include "system/os/system_facts.h"
#include "system/raii.h"

namespace vantrel {
namespace {

std::wstring OwnDirectory() {
  wchar_t path[MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L'\\'));
}

std::wstring ChildPath() { return OwnDirectory() + L"\\sys_facts_child.exe"; }

// The kernel file's "a.b.c" as the system's own version API reads it.
std::wstring KernelFileVersion() {
  const std::wstring file = GetSysDir() + L"\\kernel32.dll";
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &handle);
  std::vector<BYTE> data(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  if (!size || !::GetFileVersionInfoW(file.c_str(), 0, size, data.data()) ||
      !::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len))
    return {};
  return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionMS)) +
         L"." + std::to_wstring(HIWORD(fixed->dwFileVersionLS));
}

// Runs the child under a per-executable Windows version and returns its name=value lines.
std::map<std::wstring, std::wstring> ChildFacts(const wchar_t* wineVersion) {
  const std::wstring key = L"Software\\Wine\\AppDefaults\\sys_facts_child.exe";
  {
    win::UniqueRegKey k;
    EXPECT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.put(),
                                nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(k.get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(wineVersion),
                     static_cast<DWORD>((wcslen(wineVersion) + 1) * sizeof(wchar_t)));
  }
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  win::UniqueHandle readEnd, writeEnd;
  EXPECT_TRUE(::CreatePipe(readEnd.put(), writeEnd.put(), &inherit, 0));
  ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd.get();
  si.hStdError = writeEnd.get();
  si.hStdInput = nullptr;
  PROCESS_INFORMATION pi{};
  std::wstring commandLine = L"\"" + ChildPath() + L"\"";
  const BOOL started =
      ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  writeEnd.reset();
  std::string output;
  if (started) {
    win::UniqueHandle process(pi.hProcess), thread(pi.hThread);
    char buf[4096];
    DWORD got = 0;
    while (::ReadFile(readEnd.get(), buf, sizeof buf, &got, nullptr) && got > 0) output.append(buf, got);
    ::WaitForSingleObject(process.get(), 20000);
  }
  ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
  EXPECT_TRUE(started);

  std::map<std::wstring, std::wstring> facts;
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, output.data(), static_cast<int>(output.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, output.data(), static_cast<int>(output.size()), text.data(), n);
  size_t start = 0;
  for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
    const std::wstring line = text.substr(start, end - start);
    const size_t eq = line.find(L'=');
    if (eq != std::wstring::npos) facts[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return facts;
}

TEST(SystemFacts, ThisProcess) {
  InitSystemFacts();
  InitSystemFacts();  // once only
  const SystemFactSheet& f = SystemFacts();
  EXPECT_TRUE(f.IsNT);
  EXPECT_FALSE(f.IsWow64);
  EXPECT_TRUE(f.Is64BitOS);
  EXPECT_EQ(f.SystemInfo.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_AMD64);
  EXPECT_FALSE(f.OSCaption.empty());
  EXPECT_EQ(f.OSKernelVersion, KernelFileVersion());
  EXPECT_FALSE(f.OSKernelName.empty());
  wchar_t computer[256];
  DWORD size = 256;
  ASSERT_TRUE(::GetComputerNameW(computer, &size));
  EXPECT_EQ(f.MachineName, std::wstring(computer));  // upper case already under Wine ("VM")
  for (wchar_t c : f.MachineName) EXPECT_FALSE(c >= L'a' && c <= L'z');
  wchar_t user[256];
  size = 256;
  ASSERT_TRUE(::GetUserNameW(user, &size));
  EXPECT_EQ(f.CurrentUserName, user);
  MEMORYSTATUSEX memory{sizeof memory};
  ASSERT_TRUE(::GlobalMemoryStatusEx(&memory));
  EXPECT_EQ(f.TotalPhysicalMemory, memory.ullTotalPhys);
  EXPECT_FALSE(MachineDomain().empty());

  // This executable's own version resource, read the way the program reads its own.
  EXPECT_EQ(f.ExeFileName.substr(f.ExeFileName.find_last_of(L'\\') + 1), L"system_os_tests.exe");
  EXPECT_EQ(f.ExeVersionInfo.FileName, f.ExeFileName);
  EXPECT_EQ(f.ExeVersionInfo.Version, L"2.1.0.7 BETA 7");
  EXPECT_EQ(f.ExeVersionInfo.FileVersion, L"2.1.0.7");
  EXPECT_EQ(f.ExeVersionInfo.CompanyName, L"Vantrel Project");  // not the decoy of the default table
  EXPECT_EQ(f.ExeVersionInfo.Description, L"系统测试");
  EXPECT_EQ(f.ExeVersionInfo.Copyright, L"Copyright (C) 2026 Vantrel Project");
  EXPECT_TRUE(f.ExeVersionInfo.PreRelease);

  const SystemEntryPointTable& e = SystemEntryPoints();
  EXPECT_NE(e.GetNativeSystemInfo, nullptr);
  EXPECT_NE(e.IsWow64Process, nullptr);
  EXPECT_NE(e.GetProcessMemoryInfo, nullptr);
  PROCESS_MEMORY_COUNTERS counters;
  GetProcessMemoryCounters(::GetCurrentProcess(), counters);
  EXPECT_GT(counters.WorkingSetSize, 0u);
}

TEST(SystemFacts, NamesUnderEachWindowsVersion) {
  const std::wstring kernel = KernelFileVersion();
  ASSERT_FALSE(kernel.empty());
  // Wine reports its per-executable "win7" with a server product type (3), so the name follows the product type
  // the child was told: workstation and server names of the same version.
  struct Case {
    const wchar_t* wine;
    const wchar_t* reported;
    OsKind os, serverOs;
    const wchar_t* caption;
    const wchar_t* serverCaption;
  } cases[] = {
      {L"win10", nullptr, OsKind::Win10, OsKind::Win10, L"Windows 10", L"Windows Server 2019"},
      {L"win7", L"6.1.7601", OsKind::Win7, OsKind::Server2008R2, L"Windows 7", L"Windows Server 2008 R2"},
      {L"winxp64", L"5.2.3790", OsKind::XP, OsKind::Server2003, L"Windows XP Pro x64 SP 2.0", L"Windows Server 2003"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "prefix version " << std::string(c.wine, c.wine + wcslen(c.wine)));
    auto facts = ChildFacts(c.wine);
    for (const auto& [k, v] : facts) PrintLine(k + L"=" + v);
    ASSERT_FALSE(facts.empty());
    const bool server = facts[L"ProductType"].rfind(L"1 ", 0) != 0;
    EXPECT_EQ(facts[L"OS"], std::to_wstring(static_cast<int>(server ? c.serverOs : c.os)));
    EXPECT_EQ(facts[L"OSCaption"].rfind(server ? c.serverCaption : c.caption, 0), 0u) << facts[L"OSCaption"];
    EXPECT_EQ(facts[L"OSKernelName"], server ? L"Windows Server 2019 x64" : L"Windows 10 x64");  // kernel 10.0.18362
    EXPECT_EQ(facts[L"OSKernelVersion"], kernel);
    EXPECT_EQ(facts[L"Is64BitOS"], L"1");
    EXPECT_EQ(facts[L"IsWow64"], L"0");
    const std::wstring reported = c.reported ? c.reported : kernel;
    EXPECT_EQ(facts[L"Reported"], reported);
    const bool compat = reported != kernel;
    EXPECT_EQ(facts[L"OSCompatibilityMode"], compat ? L"1" : L"0");
    const std::wstring session = L"本地 会话";
    EXPECT_EQ(facts[L"SessionLabel"], compat ? session + L" - 在兼容模式下运行 " + facts[L"OSKernelName"] + L" (" +
                                                   kernel + L")"
                                             : session);
  }
}

}  // namespace
}  // namespace vantrel
