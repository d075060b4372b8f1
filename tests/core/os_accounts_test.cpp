#include "core/os/accounts.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantrel {
namespace {

std::vector<uint8_t> Sid(uint64_t authority, std::vector<uint32_t> subs) {
  std::vector<uint8_t> b{1, static_cast<uint8_t>(subs.size())};
  for (int shift = 40; shift >= 0; shift -= 8) b.push_back(static_cast<uint8_t>(authority >> shift));
  for (uint32_t s : subs)
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(s >> (8 * i)));
  return b;
}

TEST(SIDText, WellKnownAndLargeValues) {
  struct Case {
    std::vector<uint8_t> sid;
    const wchar_t* text;
  } cases[] = {
      {Sid(5, {32, 544}), L"S-1-5-32-544"},
      {Sid(5, {21, 0, 0, 0, 1000}), L"S-1-5-21-0-0-0-1000"},
      {Sid(5, {21, 3623811015u, 3361044348u, 30300820u, 1013}), L"S-1-5-21-3623811015-3361044348-30300820-1013"},
      {Sid(1, {0}), L"S-1-1-0"},
      {Sid(0x0000010000000000ull, {}), L"S-1-1099511627776"},  // six authority bytes, most significant first
  };
  for (const Case& c : cases) EXPECT_EQ(SIDToText(c.sid.data(), c.sid.size()), c.text);
}

TEST(SIDText, BytesThatAreNotAWholeSid) {
  std::vector<uint8_t> sid = Sid(5, {32, 544});
  EXPECT_EQ(SIDToText(sid.data(), sid.size() - 1), L"");  // last sub-authority cut
  EXPECT_EQ(SIDToText(sid.data(), 7), L"");
  EXPECT_EQ(SIDToText(nullptr, 16), L"");
  sid[0] = 2;  // unknown revision
  EXPECT_EQ(SIDToText(sid.data(), sid.size()), L"");
  std::vector<uint8_t> many = Sid(5, std::vector<uint32_t>(16, 1));
  EXPECT_EQ(SIDToText(many.data(), many.size()), L"");  // more sub-authorities than a SID can hold
}

TEST(SessionTypes, TextInDisplayOrder) {
  EXPECT_EQ(SessionTypeToStr(SessionTypeBit(SessionType::Local)), L"本地");
  EXPECT_EQ(SessionTypeToStr(SessionTypeBit(SessionType::VirtualBox) | SessionTypeBit(SessionType::Terminal)), L"Terminal+VirtualBox");
  EXPECT_EQ(SessionTypeToStr(SessionTypeBit(SessionType::Qemu) | SessionTypeBit(SessionType::Citrix) | SessionTypeBit(SessionType::Local) |
                             SessionTypeBit(SessionType::VMware)),
            L"本地+Citrix+VMWare+QEMU");
  EXPECT_EQ(SessionTypeToStr(0), L"");
}

TEST(SessionTypes, DecidedFromTheRegistryFacts) {
  struct Case {
    const char* what;
    SessionFacts facts;
    const wchar_t* text;
  } cases[] = {
      {"plain console", {}, L"本地"},
      {"remote", {{}, {}, L"", false, true}, L"Terminal"},
      {"VMware IDE disk", {{{L"DiskVMware_Virtual_IDE_Hard_Drive", true}}, {}, L"", false, false}, L"本地+VMWare"},
      {"marker key without sub-keys", {{{L"DiskVMWARE_x", false}}, {}, L"", false, false}, L"本地"},
      {"VirtualBox guest over remote desktop",
       {{}, {{L"Disk&Ven_VBOX&Prod_HARDDISK", false}, {L"DiskVBOX_HARDDISK", true}}, L"", false, true},
       L"Terminal+VirtualBox"},
      {"IDE marker found: SCSI not searched",
       {{{L"DiskQEMU_HARDDISK", true}}, {{L"DiskVIRTUAL_HD", true}}, L"", false, false}, L"本地+QEMU"},
      {"Citrix gina", {{}, {}, L"c:\\x\\ctxgina.dll", false, true}, L"Terminal+Citrix"},
      {"Citrix connection key", {{}, {}, L"msgina.dll", true, false}, L"本地+Citrix"},
  };
  for (const Case& c : cases) EXPECT_EQ(SessionTypeToStr(DecideSessionTypes(c.facts)), c.text) << c.what;
}

TEST(LoggedUser, DomainQualifiedOnlyForAForeignDomain) {
  EXPECT_TRUE(WantsDomainQualifiedName(L"alice", L"CORP", L"PC1"));
  EXPECT_FALSE(WantsDomainQualifiedName(L"alice", L"pc1", L"PC1"));  // local account
  EXPECT_FALSE(WantsDomainQualifiedName(L"alice", L"", L"PC1"));
  EXPECT_FALSE(WantsDomainQualifiedName(L"", L"CORP", L"PC1"));
}

}  // namespace
}  // namespace vantrel
