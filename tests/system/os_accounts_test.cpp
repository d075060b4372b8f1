// Accounts, privileges, owners and session type against the prefix (everything runs as one elevated user here).
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "os_test_print.h"
#include "system/os/accounts.h"
#include "system/os/network.h"
#include "system/os/system_facts.h"
#include "system/raii.h"

namespace vantrel {
namespace {

TEST(Accounts, AdminElevationAndDebugPrivilege) {
  EXPECT_TRUE(IsAdmin());
  EXPECT_TRUE(IsElevated());
  EXPECT_TRUE(EnableDebugPrivilege());
  EXPECT_TRUE(AdjustDebugPrivilege());
  EXPECT_FALSE(IsRemoteSession());
}

TEST(Accounts, OwnerOfAChildProcess) {
  wchar_t path[MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring exe(path, n);
  std::wstring commandLine = L"\"" + exe.substr(0, exe.find_last_of(L'\\')) + L"\\sys_facts_child.exe\" --wait";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  win::UniqueHandle process(pi.hProcess), thread(pi.hThread);
  std::wstring user, domain;
  EXPECT_TRUE(GetProcessUserName(process.get(), user, domain));
  EXPECT_EQ(user, GetCurrentUserName());
  EXPECT_FALSE(domain.empty());
  PrintLine(L"owner: " + domain + L"\\" + user);
  ::TerminateProcess(process.get(), 0);
  ::WaitForSingleObject(process.get(), 5000);

  EXPECT_FALSE(GetProcessUserName(nullptr, user, domain));
  EXPECT_TRUE(user.empty());
  EXPECT_TRUE(domain.empty());
}

TEST(Accounts, SidsAndNames) {
  PSID admins = nullptr;
  ASSERT_TRUE(::ConvertStringSidToSidW(L"S-1-5-32-544", &admins));
  EXPECT_EQ(SIDToText(admins), L"S-1-5-32-544");
  ::LocalFree(admins);
  EXPECT_EQ(SIDToText(static_cast<PSID>(nullptr)), L"");

  const std::wstring user = GetCurrentUserName();
  const std::wstring sidText = GetAccountSID(L"", user);
  EXPECT_EQ(sidText.rfind(L"S-1-5-", 0), 0u) << sidText;
  PSID sid = nullptr;
  ASSERT_TRUE(::ConvertStringSidToSidW(sidText.c_str(), &sid));
  EXPECT_EQ(GetSIDAccountName(sid, L""), user);
  ::LocalFree(sid);
  EXPECT_EQ(GetAccountSID(L"", L"vantrel-no-such-account"), L"");
}

TEST(Accounts, SessionsAndWorkgroup) {
  int session = -1;
  wchar_t path[MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring exe(path, n);
  exe = exe.substr(exe.find_last_of(L'\\') + 1);
  EXPECT_EQ(FindProcessInSession(exe, session), static_cast<int>(::GetCurrentProcessId()));
  DWORD own = 0;
  ::ProcessIdToSessionId(::GetCurrentProcessId(), &own);
  EXPECT_EQ(session, static_cast<int>(own));
  int other = session + 5;
  EXPECT_EQ(FindProcessInSession(exe, other), -1);
  EXPECT_EQ(FindProcessInSession(L"vantrel-no-such.exe", session), -1);

  EXPECT_EQ(GetCurrentSessionId(), static_cast<int>(own));
  EXPECT_EQ(GetConsoleSessionId(), static_cast<int>(own));
  const std::wstring workgroup = GetWorkgroupName(L"");
  EXPECT_FALSE(workgroup.empty());
  for (wchar_t c : workgroup) EXPECT_FALSE(c >= L'a' && c <= L'z');
  std::wstring logged;
  GetLoggedUser(-1, logged);
  EXPECT_EQ(logged, GetCurrentUserName());

  const SessionTypes types = GetSessionType();
  EXPECT_TRUE(types & SessionTypeBit(SessionType::Local));
  EXPECT_FALSE(types & SessionTypeBit(SessionType::Terminal));
  PrintLine(L"session: " + SessionLabel() + L"; " + LoggedUserLine());
  EXPECT_EQ(LoggedUserLine(), L"已记录用户: " + SystemFacts().CurrentUserName + L" 在 " + SystemFacts().MachineName +
                                  L" 连接到 " + MachineDomain());
}

TEST(Network, AddressesAndMachineName) {
  const std::wstring ips = GetHostIPs();
  ASSERT_FALSE(ips.empty());
  PrintLine(IpAddressLine());
  size_t start = 0;
  for (;;) {
    const size_t comma = ips.find(L',', start);
    const std::wstring ip = ips.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
    unsigned a, b, c, d;
    EXPECT_EQ(swscanf(ip.c_str(), L"%u.%u.%u.%u", &a, &b, &c, &d), 4) << ip;
    if (comma == std::wstring::npos) break;
    start = comma + 1;
  }
  EXPECT_EQ(IpAddressLine(), L"IP 地址: " + ips);

  std::vector<std::wstring> macs;
  const int adapters = GetMACAddresses(SystemFacts().MachineName, macs);
  EXPECT_GE(adapters, 1);
  ASSERT_FALSE(macs.empty());
  for (const std::wstring& mac : macs) {
    ASSERT_EQ(mac.size(), 17u) << mac;
    for (size_t i = 0; i < mac.size(); ++i)
      EXPECT_TRUE(i % 3 == 2 ? mac[i] == L'-' : iswxdigit(mac[i]) && !iswupper(mac[i])) << mac;
  }
  PrintLine(MacAddressLine());
  EXPECT_EQ(MacAddressLine().rfind(L"MAC 地址: " + macs[0], 0), 0u);

  wchar_t computer[256];
  DWORD size = 256;
  ASSERT_TRUE(::GetComputerNameW(computer, &size));
  EXPECT_EQ(::CompareStringOrdinal(GetMachineName().c_str(), -1, computer, -1, TRUE), CSTR_EQUAL);
}

}  // namespace
}  // namespace vantrel
