#include "system/os/network.h"

#include <winsock2.h>
#include <windows.h>
#include <nb30.h>

#include <algorithm>
#include <cstring>

#include "core/os/network_text.h"
#include "system/os/registry.h"
#include "system/os/system_facts.h"
#include "system/os/system_library.h"

namespace vantrel {
namespace {

// WS2_32 and NetAPI32 are loaded when the performance page first shows the network facts.
struct WinsockApi {
  decltype(&::WSAStartup) WSAStartup = nullptr;
  decltype(&::WSACleanup) WSACleanup = nullptr;
  decltype(&::gethostname) gethostname = nullptr;
  decltype(&::gethostbyname) gethostbyname = nullptr;
  decltype(&::inet_ntoa) inet_ntoa = nullptr;
  bool complete = false;
};

const WinsockApi& Winsock() {
  static const WinsockApi api = [] {
    static SystemLibrary library(L"ws2_32.dll");
    WinsockApi a;
    a.complete = library.Bind(a.WSAStartup, "WSAStartup") && library.Bind(a.WSACleanup, "WSACleanup") &&
                 library.Bind(a.gethostname, "gethostname") && library.Bind(a.gethostbyname, "gethostbyname") &&
                 library.Bind(a.inet_ntoa, "inet_ntoa");
    return a;
  }();
  return api;
}

decltype(&::Netbios) NetbiosFunction() {
  static SystemLibrary library(L"netapi32.dll");
  static const auto netbios = library.Function<decltype(&::Netbios)>("Netbios");
  return netbios;
}

class WinsockScope {
 public:
  WinsockScope() { ok_ = Winsock().complete && Winsock().WSAStartup(MAKEWORD(1, 1), &data_) == 0; }
  ~WinsockScope() {
    if (ok_) Winsock().WSACleanup();
  }
  WinsockScope(const WinsockScope&) = delete;
  WinsockScope& operator=(const WinsockScope&) = delete;
  bool ok() const { return ok_; }

 private:
  WSADATA data_{};
  bool ok_ = false;
};

std::string ToAnsi(const std::wstring& s) {
  if (s.empty()) return {};
  const int n = ::WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::wstring GetMachineName() {
  wchar_t buf[256] = {};
  DWORD size = 255;
  std::wstring name = ::GetComputerNameW(buf, &size) ? std::wstring(buf) : std::wstring();
  RegistryKey reg;
  if (reg.OpenKeyReadOnly(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName") &&
      reg.ValueExists(L"ComputerName")) {
    const std::wstring stored = reg.ReadString(L"ComputerName");
    if (!stored.empty()) name = stored;
  }
  return name;
}

std::wstring GetHostIPs() {
  WinsockScope winsock;
  if (!winsock.ok()) return {};
  char host[64] = {};
  if (Winsock().gethostname(host, sizeof host - 1) != 0) return {};
  const hostent* entry = Winsock().gethostbyname(host);
  if (!entry || entry->h_addrtype != AF_INET || !entry->h_addr_list) return {};
  std::vector<std::wstring> addresses;
  for (int i = 0; i < 256 && entry->h_addr_list[i]; ++i) {
    in_addr a;
    memcpy(&a, entry->h_addr_list[i], sizeof a);
    const char* text = Winsock().inet_ntoa(a);
    if (text) addresses.emplace_back(text, text + strlen(text));
  }
  return JoinAddresses(addresses);
}

int GetMACAddresses(const std::wstring& machine, std::vector<std::wstring>& list) {
  list.clear();
  const auto netbios = NetbiosFunction();
  if (!netbios) return -1;
  const std::array<char, 16> callName = NetBiosCallName(ToAnsi(machine));
  LANA_ENUM lanas{};
  NCB ncb{};
  ncb.ncb_command = NCBENUM;
  ncb.ncb_buffer = reinterpret_cast<PUCHAR>(&lanas);
  ncb.ncb_length = sizeof lanas;
  if (netbios(&ncb) != NRC_GOODRET) return -1;
  const int count = std::min<int>(lanas.length, MAX_LANA + 1);
  for (int i = 0; i < count; ++i) {
    ncb = NCB{};
    ncb.ncb_command = NCBRESET;
    ncb.ncb_lana_num = lanas.lana[i];
    if (netbios(&ncb) != NRC_GOODRET) continue;
    struct {
      ADAPTER_STATUS status;
      NAME_BUFFER names[16];
    } answer{};
    ncb = NCB{};
    ncb.ncb_command = NCBASTAT;
    ncb.ncb_lana_num = lanas.lana[i];
    memcpy(ncb.ncb_callname, callName.data(), callName.size());
    ncb.ncb_buffer = reinterpret_cast<PUCHAR>(&answer);
    ncb.ncb_length = sizeof answer;
    if (netbios(&ncb) != NRC_GOODRET) continue;
    std::array<uint8_t, 6> mac;
    memcpy(mac.data(), answer.status.adapter_address, 6);
    list.push_back(MacAddressText(mac));
  }
  return count;
}

std::wstring IpAddressLine() { return IpAddressLabel(GetHostIPs()); }

std::wstring MacAddressLine() {
  std::vector<std::wstring> macs;
  GetMACAddresses(SystemFacts().MachineName, macs);
  return MacAddressLabel(macs);
}

std::wstring LoggedUserLine() {
  const SystemFactSheet& f = SystemFacts();
  return LoggedUserLabel(f.CurrentUserName, f.MachineName, MachineDomain());
}

}  // namespace vantrel
