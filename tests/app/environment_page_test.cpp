// The environment page in the real window under Wine: the program's whole environment block, sorted by name,
// long and Chinese values intact, the name filter and the caption.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/pages/environment_page.h"
#include "core/environment/environment.h"
#include "page_window.h"

namespace vantrel::app {
namespace {

// Sets a variable of this process for the test's duration.
class ScopedVariable {
 public:
  ScopedVariable(std::wstring name, const std::wstring& value) : name_(std::move(name)) {
    ::SetEnvironmentVariableW(name_.c_str(), value.c_str());
  }
  ~ScopedVariable() { ::SetEnvironmentVariableW(name_.c_str(), nullptr); }

 private:
  std::wstring name_;
};

std::wstring LongValue() {
  std::wstring value;
  for (int i = 0; value.size() < 6000; ++i) value += L"C:\\Dir" + std::to_wstring(i) + L";";
  return value + L"END";
}

TEST(EnvironmentPage, ListsTheWholeEnvironmentSortedWithLongAndChineseValuesIntact) {
  const std::wstring longValue = LongValue();
  const std::wstring chinese = L"中文值：环境变量测试";
  // Names that sort last, so that they lie past the first 4,096 characters of the block.
  ScopedVariable a(L"ZZ_VANTREL_LONG", longValue), b(L"ZZ_VANTREL_CN", chinese), c(L"ZZ_VANTREL_EQ", L"a=b=c");
  test::PageWindow w;
  ASSERT_TRUE(w.main->CreateAndStart());
  w.main->SetActivePage(kPageEnvironment);
  EnvironmentPage& page = w.Page<EnvironmentPage>(kPageEnvironment);
  ui::TreeGrid& grid = page.tree();

  std::vector<std::wstring> names;
  for (size_t i = 0; i < grid.VisibleRowCount(); ++i) names.push_back(grid.onGetText(*grid.VisibleRow(i), 0));
  ASSERT_GT(names.size(), 10u);
  EXPECT_EQ(w.main->Tabs().Caption(kPageEnvironment), L" 环境 (" + std::to_wstring(names.size()) + L") ");
  for (const std::wstring& name : names) EXPECT_NE(name.front(), L'=') << "hidden drive entries are left out";
  // Sorted by name: the three test variables next to each other, in their order.
  const size_t first = static_cast<size_t>(std::find(names.begin(), names.end(), L"ZZ_VANTREL_CN") - names.begin());
  ASSERT_LE(first + 3, names.size());
  EXPECT_EQ(std::vector<std::wstring>(names.begin() + static_cast<std::ptrdiff_t>(first),
                                      names.begin() + static_cast<std::ptrdiff_t>(first + 3)),
            (std::vector<std::wstring>{L"ZZ_VANTREL_CN", L"ZZ_VANTREL_EQ", L"ZZ_VANTREL_LONG"}));
  EXPECT_EQ(grid.FocusedNode(), grid.VisibleRow(0)) << "the first row of the sorted list";

  ui::TreeNode* chineseRow = grid.VisibleRow(first);
  ui::TreeNode* longRow = grid.VisibleRow(first + 2);
  EXPECT_EQ(grid.onGetText(*chineseRow, 1), chinese);
  EXPECT_EQ(grid.onGetText(*grid.VisibleRow(first + 1), 1), L"a=b=c");
  EXPECT_EQ(grid.onGetText(*longRow, 1), longValue);

  // The focused variable's whole value in the box below.
  grid.SetFocusedNode(longRow);
  EXPECT_EQ(test::WindowText(page.ValueBox()), longValue);
  grid.SetFocusedNode(chineseRow);
  EXPECT_EQ(test::WindowText(page.ValueBox()), chinese);

  // The name filter keeps names beginning with it, in any case.
  w.main->NameFilter().SetText(L"zz_vantrel_");
  w.main->RefreshActivePage();
  ASSERT_EQ(grid.VisibleRowCount(), 3u);
  EXPECT_EQ(grid.onGetText(*grid.VisibleRow(0), 0), L"ZZ_VANTREL_CN");
  EXPECT_EQ(w.main->Tabs().Caption(kPageEnvironment), L" 环境 (3) ");
  EXPECT_EQ(test::WindowText(page.ValueBox()), chinese) << "the new first row's value";
}

}  // namespace
}  // namespace vantrel::app

