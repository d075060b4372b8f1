#include "core/process/process_details.h"

#include <gtest/gtest.h>

#include <map>

namespace vantrel {
namespace {

std::map<std::wstring, std::wstring> Values(const ProcessRecord& r) {
  std::map<std::wstring, std::wstring> values;
  for (const DetailGroup& g : ProcessDetailGroups(r, FormatSettings{}))
    for (const DetailItem& item : g.Items) values[item.Caption] = item.Value;
  return values;
}

TEST(ProcessDetails, CompanyIsNotRepeatedWhenTheCopyrightNamesIt) {
  struct Case {
    const wchar_t *company, *copyright, *line;
  } cases[] = {
      {L"Microsoft Corporation", L"© Microsoft Corporation. All rights reserved.", L"© Microsoft Corporation. All rights reserved."},
      {L"microsoft corporation", L"(C) MICROSOFT CORPORATION", L"(C) MICROSOFT CORPORATION"},
      {L"Acme", L"(C) 2020 Someone", L"Acme - (C) 2020 Someone"},
      {L"Acme", L"", L"Acme"},
      {L"", L"(C) X", L"(C) X"},
      {L"", L"", L""},
  };
  for (const Case& c : cases) {
    ProcessRecord r;
    r.Company = c.company;
    r.Copyright = c.copyright;
    EXPECT_EQ(ProcessCompanyLine(r), c.line) << c.company << " / " << c.copyright;
  }
  ProcessRecord r;
  r.Desc = L"Notepad ";
  r.Version = L"";
  EXPECT_EQ(ProcessDescriptionLine(r), L"Notepad");
}

TEST(ProcessDetails, AnInaccessibleProcessShowsOnlyWhatTheSystemListGave) {
  ProcessRecord r;
  r.PID = 700;
  r.PPID = 4;
  r.Name = L"csrss.exe";
  r.Username = L"SYSTEM";
  r.Domain = L"NT AUTHORITY";
  r.WorkingSet = 2048 * 1024;
  r.VMCounters.VirtualSize = 10 << 20;
  r.IOCounters.ReadOperationCount = 12345;
  r.CPUTimes.UserTime = 10'000'000;
  r.Size = 0;
  auto v = Values(r);
  EXPECT_EQ(v[L"PID"], L"700");
  EXPECT_EQ(v[L"父进程"], L"4");
  EXPECT_EQ(v[L"用户名"], L"SYSTEM");
  EXPECT_EQ(v[L"工作集"], L"2,048 K");
  for (const wchar_t* empty : {L"类型", L"大小", L"总时间", L"虚拟大小", L"读取操作计数", L"页面错误计数"})
    EXPECT_EQ(v[empty], L"") << empty;

  r.IsAccessible = true;
  r.Size = 1536 * 1024;
  v = Values(r);
  EXPECT_EQ(v[L"类型"], L"32-bit");
  EXPECT_EQ(v[L"大小"], L"1,536 KB");
  EXPECT_EQ(v[L"总时间"], L"00:00:01");
  EXPECT_EQ(v[L"虚拟大小"], L"10,240 K");
  EXPECT_EQ(v[L"页面文件使用"], L"0 K");
  EXPECT_EQ(v[L"读取操作计数"], L"12,345");
}

TEST(ProcessDetails, GroupsAndTheHiddenWindowCount) {
  ProcessRecord r;
  const auto groups = ProcessDetailGroups(r, FormatSettings{});
  ASSERT_EQ(groups.size(), 6u);
  EXPECT_EQ(groups[0].Caption, L"常规");
  for (size_t i = 3; i < 6; ++i) {
    EXPECT_EQ(groups[i].Parent, 2) << i;
    EXPECT_FALSE(groups[i].Expanded);
  }
  EXPECT_EQ(groups[2].Items[1].Caption, L"窗口数量");
  EXPECT_FALSE(groups[2].Items[1].Visible);
  EXPECT_EQ(groups[2].Items[0].Value, L"") << "a thread count below 1 is empty";
}

}  // namespace
}  // namespace vantrel
