// Texts of the network identity: address lists, MAC texts and the NetBIOS name asked for.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// "a,b,c" without blanks; at most 256 entries.
std::wstring JoinAddresses(const std::vector<std::wstring>& addresses);
// "00-1a-2b-3c-4d-5e"
std::wstring MacAddressText(const std::array<uint8_t, 6>& mac);
// The 16-byte NetBIOS name: the ANSI machine name upper-cased ("*" when empty), cut or padded with blanks to 16,
// the 16th byte 0.
std::array<char, 16> NetBiosCallName(std::string_view ansiMachineName);
// The summary lines of the performance page.
std::wstring IpAddressLabel(std::wstring_view ips);
std::wstring MacAddressLabel(const std::vector<std::wstring>& macs);
std::wstring LoggedUserLabel(std::wstring_view user, std::wstring_view machine, std::wstring_view domain);

}  // namespace vantrel
