// WMI queries against the prefix's WMI service.
#include <gtest/gtest.h>

#include <atomic>

#include "os_test_print.h"
#include "system/process/wmi_process_facts.h"
#include "system/raii.h"
#include "system/wmi/wmi.h"

namespace vantrel {
namespace {

TEST(Wmi, NoConnectionNoQuery) {
  WmiConnection wmi;
  WmiInstances instances{{{L"x", L"y", false}}};
  EXPECT_EQ(wmi.Command(L"Win32_Process", instances), -1);
  EXPECT_TRUE(instances.empty());
}

TEST(Wmi, ProcessesOfThePrefixOnOneConnection) {
  WmiConnection wmi;
  ASSERT_TRUE(wmi.Connect(L"", L"", L"", L"root\\CIMV2"));
  WmiInstances instances;
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
  EXPECT_THROW(wmi.Command(L"SELECT FROM WHERE", instances), WmiError);  // not WQL
}

TEST(Wmi, ModuleConnection) {
  ASSERT_TRUE(WMIConnect(L"", L"", L"", L"root\\CIMV2"));
  WmiInstances instances;
  EXPECT_GT(WMICommand(L"SELECT ProcessId FROM Win32_Process", instances), 0);
}

// Waits for an answer to a request, pumping nothing: the worker hands it over itself.
bool TakeWithin(WmiProcessReader& reader, const WmiProcessReader::ProcessKey& key, WmiProcessTexts& texts, int boundMs) {
  for (int waited = 0; waited < boundMs; waited += 20) {
    if (reader.Take(key, texts)) return true;
    ::Sleep(20);
  }
  return false;
}

// The real query on the worker's own connection: this test's own process, and one that does not exist.
TEST(WmiProcessReader, AsksWin32ProcessOnItsWorker) {
  WmiProcessReader reader;
  const WmiProcessTexts own = reader.Ask(::GetCurrentProcessId(), 60000);
  ASSERT_TRUE(own.Answered);
  EXPECT_NE(own.CommandLine.find(L"system_wmi_tests"), std::wstring::npos) << own.CommandLine.size();
  const WmiProcessTexts none = reader.Ask(999999, 60000);
  EXPECT_TRUE(none.Answered) << "WMI answered: no such process";
  EXPECT_TRUE(none.CommandLine.empty());
  EXPECT_TRUE(none.ExecutablePath.empty());

  const WmiProcessReader::ProcessKey key{::GetCurrentProcessId(), 1};
  reader.Request(key);
  WmiProcessTexts texts;
  ASSERT_TRUE(TakeWithin(reader, key, texts, 60000));
  EXPECT_EQ(texts.CommandLine, own.CommandLine);
  EXPECT_FALSE(reader.Take(key, texts)) << "an answer is taken once";
}

// A WMI that hangs: the asker gets "unanswered" at its bound, requests are asked once while open, and answers of
// processes that went are dropped.
TEST(WmiProcessReader, ASlowWmiHoldsOnlyItsWorker) {
  win::UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::atomic<int> calls{0};
  WmiProcessReader reader([&calls, event = release.get()](WmiWorker::Session&, uint32_t pid) {
    ++calls;
    ::WaitForSingleObject(event, 20000);
    return WmiProcessTexts{true, L"line of " + std::to_wstring(pid), L""};
  });
  EXPECT_FALSE(reader.Ask(42, 100).Answered) << "given up at the bound";
  const WmiProcessReader::ProcessKey a{7, 70}, b{8, 80};
  reader.Request(a);
  reader.Request(a);
  reader.Request(b);
  EXPECT_TRUE(reader.Open(a));
  WmiProcessTexts texts;
  EXPECT_FALSE(reader.Take(a, texts));
  reader.Retain([&](const WmiProcessReader::ProcessKey& key) { return key == a; });  // b's process went
  ::SetEvent(release.get());
  ASSERT_TRUE(TakeWithin(reader, a, texts, 20000));
  EXPECT_TRUE(texts.Answered);
  EXPECT_EQ(texts.CommandLine, L"line of 7");
  for (int i = 0; i < 100 && reader.Pending() > 0; ++i) ::Sleep(20);
  EXPECT_EQ(reader.Pending(), 0u);
  EXPECT_FALSE(reader.Take(b, texts));
  EXPECT_EQ(calls.load(), 3) << "the bounded ask, then a and b once each";
}

}  // namespace
}  // namespace vantrel
