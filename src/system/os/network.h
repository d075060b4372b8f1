// Network identity: computer name, IPv4 addresses of the host name, MAC addresses of the NetBIOS adapters.
#pragma once

#include <string>
#include <vector>

namespace vantrel {

// GetComputerNameW, replaced by the registry's ComputerName when that is set.
std::wstring GetMachineName();
// Comma-separated IPv4 addresses of the local host name; empty when it does not resolve.
std::wstring GetHostIPs();
// One MAC text per adapter that answered; the number of adapter numbers enumerated, or -1.
int GetMACAddresses(const std::wstring& machine, std::vector<std::wstring>& list);

// The performance page's lines: "IP 地址: ...", "MAC 地址: ...", "已记录用户: ... 在 ... 连接到 ...".
std::wstring IpAddressLine();
std::wstring MacAddressLine();
std::wstring LoggedUserLine();

}  // namespace vantrel
