#include "core/wmi/wmi_values.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(WmiValueText, ByCimType) {
  struct Case {
    int type;
    bool isNull, isArray;
    std::vector<std::wstring> elements;
    const wchar_t* text;
  } cases[] = {
      {kCimString, true, false, {}, L"NULL"},
      {kCimUint32, false, false, {L"4242"}, L"4242"},
      {kCimSint32, false, true, {L"1", L"-2", L"3"}, L"1;-2;3"},
      {kCimString, false, true, {L"a", L"b"}, L"a|b"},
      {kCimUint64, false, true, {L"18446744073709551615", L"0"}, L"18446744073709551615|0"},
      {kCimReal64, false, false, {L"1,5"}, L"1,5"},
      {kCimBoolean, false, false, {L"True"}, L"True"},
      {kCimObject, false, false, {}, L"<CIM Object>"},
      {kCimChar16, false, false, {L"x"}, L"<16-bit character>"},
      {kCimDateTime, false, false, {L"20240102030405.000000+060"}, L"20240102030405.000000+060"},
      {kCimReference, false, false, {L"Win32_Process.Handle=\"4\""}, L"Win32_Process.Handle=\"4\""},
      {999, false, false, {L"x"}, L""},
      {kCimString, false, false, {}, L""},
  };
  for (const Case& c : cases) EXPECT_EQ(WmiValueText(c.type, c.isNull, c.isArray, c.elements), c.text) << c.type;
}

TEST(GetInstancePropValue, SplitsOnlyArrays) {
  const WmiInstances instances{
      {{L"Name", L"cmd.exe", false},
       {L"CommandLine", L"cmd.exe /c dir | more ", false},
       {L"Tags", L"a|b", true},
       {L"Empty", L"NULL", false}},
  };
  EXPECT_EQ(GetInstancePropValue(instances, L"commandline", 0, 0), L"cmd.exe /c dir | more");
  EXPECT_EQ(GetInstancePropValue(instances, L"Tags", 0, 0), L"a");
  EXPECT_EQ(GetInstancePropValue(instances, L"Tags", 0, 1), L"b");
  EXPECT_EQ(GetInstancePropValue(instances, L"Tags", 0, 5), L"");
  EXPECT_EQ(GetInstancePropValue(instances, L"Missing", 0, 0), L"");
  EXPECT_EQ(GetInstancePropValue(instances, L"Name", 1, 0), L"");  // no such instance
  EXPECT_EQ(GetInstancePropValue(instances, L"Name", -1, 0), L"");
  EXPECT_EQ(GetInstancePropValue({}, L"Name", 0, 0), L"");
}

TEST(WmiQuery, SelectOrClassName) {
  EXPECT_TRUE(IsWqlSelect(L"select Name from Win32_Process"));
  EXPECT_TRUE(IsWqlSelect(L"SELECT * FROM Win32_Process WHERE ProcessId=4"));
  EXPECT_FALSE(IsWqlSelect(L"Win32_Process"));
  EXPECT_FALSE(IsWqlSelect(L""));
}

}  // namespace
}  // namespace vantrel
