#include "core/os/network_text.h"

#include <cstdio>

namespace vantrel {

std::wstring JoinAddresses(const std::vector<std::wstring>& addresses) {
  std::wstring s;
  for (size_t i = 0; i < addresses.size() && i < 256; ++i) {
    if (i) s += L',';
    s += addresses[i];
  }
  return s;
}

std::wstring MacAddressText(const std::array<uint8_t, 6>& m) {
  char buf[18];
  std::snprintf(buf, sizeof buf, "%2.2x-%2.2x-%2.2x-%2.2x-%2.2x-%2.2x", m[0], m[1], m[2], m[3], m[4], m[5]);
  return std::wstring(buf, buf + 17);
}

std::array<char, 16> NetBiosCallName(std::string_view name) {
  std::array<char, 16> out;
  out.fill(' ');
  if (name.empty()) name = "*";
  for (size_t i = 0; i < name.size() && i < 16; ++i) {
    const char c = name[i];
    out[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  out[15] = '\0';
  return out;
}

std::wstring IpAddressLabel(std::wstring_view ips) { return L"IP 地址: " + std::wstring(ips); }

std::wstring MacAddressLabel(const std::vector<std::wstring>& macs) {
  std::wstring joined;
  for (size_t i = 0; i < macs.size(); ++i) {
    if (i) joined += L',';
    joined += macs[i];
  }
  return L"MAC 地址: " + joined;
}

std::wstring LoggedUserLabel(std::wstring_view user, std::wstring_view machine, std::wstring_view domain) {
  return L"已记录用户: " + std::wstring(user) + L" 在 " + std::wstring(machine) + L" 连接到 " + std::wstring(domain);
}

}  // namespace vantrel
