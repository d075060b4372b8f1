#include <gtest/gtest.h>

#include "core/os/network_text.h"
#include "core/os/registry_text.h"

namespace vantrel {
namespace {

std::vector<uint8_t> Utf16(const std::u16string& s) {
  std::vector<uint8_t> b;
  for (char16_t c : s) b.push_back(static_cast<uint8_t>(c)), b.push_back(static_cast<uint8_t>(c >> 8));
  return b;
}

TEST(RegistryText, ByType) {
  const auto sz = Utf16(u"C:\\x");
  auto withNul = Utf16(std::u16string(u"abc\0def", 7));
  auto upper = [](const std::wstring& s) { return L"[" + s + L"]"; };
  EXPECT_EQ(RegValueBytesToText(kRegSz, sz.data(), sz.size(), upper), L"C:\\x");  // no NUL in the data
  EXPECT_EQ(RegValueBytesToText(kRegSz, withNul.data(), withNul.size(), upper), L"abc");
  EXPECT_EQ(RegValueBytesToText(kRegExpandSz, sz.data(), sz.size(), upper), L"[C:\\x]");
  const uint8_t dword[] = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(RegValueBytesToText(kRegDword, dword, 4, upper), L"4294967295");
  EXPECT_EQ(RegValueBytesToText(kRegDword, dword, 3, upper), L"");
  auto odd = Utf16(u"xy");
  odd.push_back('z');  // odd size: the half character is dropped
  EXPECT_EQ(RegValueBytesToText(kRegBinary, odd.data(), odd.size(), upper), L"xy");
  std::vector<uint8_t> big(kMaxBinaryTextBytes + 2, 'a');
  EXPECT_EQ(RegValueBytesToText(kRegBinary, big.data(), big.size(), upper), L"");
  EXPECT_EQ(RegValueBytesToText(7 /* multi-string */, sz.data(), sz.size(), upper), L"");
}

TEST(NetworkText, AddressesAndNames) {
  EXPECT_EQ(JoinAddresses({L"192.168.1.20"}), L"192.168.1.20");
  EXPECT_EQ(JoinAddresses({L"192.168.1.20", L"10.0.0.5"}), L"192.168.1.20,10.0.0.5");
  EXPECT_EQ(JoinAddresses(std::vector<std::wstring>(300, L"1.1.1.1")).size(), 256u * 8 - 1);
  EXPECT_EQ(MacAddressText({0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}), L"00-1a-2b-3c-4d-5e");
  EXPECT_EQ(MacAddressLabel({L"02-fc-00-00-00-01", L"02-fc-00-00-00-01"}), L"MAC 地址: 02-fc-00-00-00-01,02-fc-00-00-00-01");
  EXPECT_EQ(MacAddressLabel({}), L"MAC 地址: ");
  EXPECT_EQ(IpAddressLabel(L""), L"IP 地址: ");
  EXPECT_EQ(LoggedUserLabel(L"root", L"VM", L"WORKGROUP"), L"已记录用户: root 在 VM 连接到 WORKGROUP");

  const auto vm = NetBiosCallName("vm");
  EXPECT_EQ(std::string(vm.data(), 15), "VM             ");
  EXPECT_EQ(vm[15], '\0');
  EXPECT_EQ(NetBiosCallName("")[0], '*');
  EXPECT_EQ(std::string(NetBiosCallName("averyveryverylongname").data(), 15), "AVERYVERYVERYLO");
}

}  // namespace
}  // namespace vantrel
