// WMI queries against the prefix's WMI service.
#include <gtest/gtest.h>

#include "os_test_print.h"
#include "system/wmi/wmi.h"

namespace vantrel {
namespace {

TEST(Wmi, NoConnectionNoQuery) {
  TWmiConnection wmi;
  TInstances instances{{{L"x", L"y", false}}};
  EXPECT_EQ(wmi.Command(L"Win32_Process", instances), -1);
  EXPECT_TRUE(instances.empty());
}

TEST(Wmi, ProcessesOfThePrefixOnOneConnection) {
  TWmiConnection wmi;
  ASSERT_TRUE(wmi.Connect(L"", L"", L"", L"root\\CIMV2"));
  TInstances instances;
  const int count = wmi.Command(L"SELECT Name, ProcessId, CommandLine FROM Win32_Process", instances);
  ASSERT_GT(count, 1);
  EXPECT_EQ(static_cast<size_t>(count), instances.size());
  int self = -1;
  for (int i = 0; i < count; ++i)
    if (GetInstancePropValue(instances, L"processid", i, 0) == std::to_wstring(::GetCurrentProcessId())) self = i;
  ASSERT_GE(self, 0);
  EXPECT_EQ(GetInstancePropValue(instances, L"Name", self, 0), L"system_wmi_tests.exe");
  EXPECT_NE(GetInstancePropValue(instances, L"CommandLine", self, 0).find(L"system_wmi_tests"), std::wstring::npos);
  for (int i = 0; i < count; ++i) EXPECT_FALSE(GetInstancePropValue(instances, L"Name", i, 0).empty());

  // The same connection serves the next query; a class name lists that class's instances.
  const int systems = wmi.Command(L"Win32_OperatingSystem", instances);
  ASSERT_EQ(systems, 1);
  PrintLine(GetInstancePropValue(instances, L"Caption", 0, 0) + L" | " + GetInstancePropValue(instances, L"Version", 0, 0));
  EXPECT_FALSE(GetInstancePropValue(instances, L"Version", 0, 0).empty());

  // A process that does not exist: no instances.
  EXPECT_EQ(wmi.Command(L"SELECT Name FROM Win32_Process WHERE ProcessId = 999999", instances), 0);
  EXPECT_THROW(wmi.Command(L"SELECT FROM WHERE", instances), TWmiError);  // not WQL
}

TEST(Wmi, ModuleConnection) {
  ASSERT_TRUE(WMIConnect(L"", L"", L"", L"root\\CIMV2"));
  TInstances instances;
  EXPECT_GT(WMICommand(L"SELECT ProcessId FROM Win32_Process", instances), 0);
}

}  // namespace
}  // namespace vantrel
