// The environment page in the real window under Wine: the program's whole environment block, sorted by name,
// long and Chinese values intact, the name filter and the caption.
#include <windows.h>

#include <gtest/gtest.h>

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
  ui::TreeNode* longRow = nullptr;
  for (size_t i = 0; i < grid.VisibleRowCount(); ++i) {
    ui::TreeNode* row = grid.VisibleRow(i);
    names.push_back(grid.onGetText(*row, 0));
    if (names.back() == L"ZZ_VANTREL_LONG") longRow = row;
  }
  ASSERT_GT(names.size(), 10u);
  EXPECT_EQ(w.main->Tabs().Caption(kPageEnvironment), L" 环境 (" + std::to_wstring(names.size()) + L") ");
  for (const std::wstring& name : names) EXPECT_NE(name.front(), L'=') << "hidden drive entries are left out";
  // Sorted by name: the three test variables come last, in their order.
  ASSERT_GE(names.size(), 3u);
  EXPECT_EQ(std::vector<std::wstring>(names.end() - 3, names.end()),
            (std::vector<std::wstring>{L"ZZ_VANTREL_CN", L"ZZ_VANTREL_EQ", L"ZZ_VANTREL_LONG"}));
  EXPECT_EQ(grid.FocusedNode(), grid.VisibleRow(0)) << "the first row of the sorted list";

  ASSERT_NE(longRow, nullptr);
  EXPECT_EQ(grid.onGetText(*longRow, 1), longValue);
  EXPECT_EQ(grid.onGetText(*grid.VisibleRow(names.size() - 2), 1), L"a=b=c");
  EXPECT_EQ(grid.onGetText(*grid.VisibleRow(names.size() - 3), 1), chinese);

  // The focused variable's whole value in the box below.
  grid.SetFocusedNode(longRow);
  EXPECT_EQ(test::WindowText(page.ValueBox()), longValue);
  grid.SetFocusedNode(grid.VisibleRow(names.size() - 3));
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
