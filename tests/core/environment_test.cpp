#include <gtest/gtest.h>

#include "core/environment/environment.h"
#include "core/paths/paths.h"

namespace vantrel {
namespace {

TEST(EnvironmentRecords, WholeBlockFilterAndOrder) {
  const std::wstring longValue(6000, L'v');
  std::wstring block;
  for (const std::wstring& e : {std::wstring(L"=C:=C:\\x"), L"Path=" + longValue, std::wstring(L"PROMPT=$P$G"),
                                std::wstring(L"pairs=a=1;b=2"), std::wstring(L"ProgramFiles=C:\\PF"),
                                std::wstring(L"中文=值"), std::wstring(L"windir=C:\\Windows")})
    block += e + L'\0';
  block += L'\0';
  block += L"GARBAGE=after the end";

  const std::vector<std::wstring> lines = ParseEnvironmentBlock(block);
  std::vector<EnvironmentRecord> all = EnvironmentRecords(lines, L"");
  ASSERT_EQ(all.size(), 6u);  // the hidden "=C:" entry is left out; nothing after the terminating entry
  EXPECT_EQ(all[0].Value, longValue);  // whole, well beyond 4,096 characters
  EXPECT_EQ(all[2].Variable, L"pairs");
  EXPECT_EQ(all[2].Value, L"a=1;b=2");  // only the first equals sign separates
  EXPECT_EQ(all[4].Value, L"值");
  EXPECT_EQ(all.back().Variable, L"windir");  // a variable ending after 4,096 characters is listed

  std::vector<EnvironmentRecord> pro = EnvironmentRecords(lines, L"pro");
  ASSERT_EQ(pro.size(), 2u);
  EXPECT_EQ(pro[0].Variable, L"PROMPT");
  EXPECT_EQ(pro[1].Variable, L"ProgramFiles");

  FormatSettings settings;
  SortEnvRecords(all, settings);
  std::vector<std::wstring> names;
  for (const EnvironmentRecord& r : all) names.push_back(r.Variable);
  EXPECT_EQ(names, (std::vector<std::wstring>{L"pairs", L"Path", L"ProgramFiles", L"PROMPT", L"windir", L"中文"}));
  EXPECT_EQ(EnvironmentTabCaption(6), L" 环境 (6) ");
}

}  // namespace
}  // namespace vantrel
