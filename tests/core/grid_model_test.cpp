#include "core/grid/grid_model.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/text/text_compare.h"

namespace vantrel::grid {
namespace {

struct Row {
  std::wstring name;
  std::wstring value;
};

std::wstring Text(const Node& n, int column) {
  const Row* r = n.As<Row>();
  return column == 0 ? r->name : r->value;
}

std::vector<std::wstring> Names(GridModel& m) {
  std::vector<std::wstring> out;
  for (const Node* n : m.Visible()) out.push_back(n->As<Row>()->name);
  return out;
}

// a
//   a1
//     a1x
//   a2
// b
class Tree : public ::testing::Test {
 protected:
  void SetUp() override {
    a = m.AddRecord(nullptr, Row{L"a", L"3"});
    a1 = m.AddRecord(a, Row{L"a1", L"2"});
    a1x = m.AddRecord(a1, Row{L"a1x", L"1"});
    a2 = m.AddRecord(a, Row{L"a2", L"1"});
    b = m.AddRecord(nullptr, Row{L"b", L"1"});
  }
  GridModel m;
  Node *a, *a1, *a1x, *a2, *b;
};

TEST_F(Tree, CollapsedRowsHideTheirSubtreeAndRowIndicesFollow) {
  EXPECT_EQ(Names(m), (std::vector<std::wstring>{L"a", L"b"}));
  EXPECT_EQ(a1->row(), -1);
  m.SetAllExpanded(true);
  EXPECT_EQ(Names(m), (std::vector<std::wstring>{L"a", L"a1", L"a1x", L"a2", L"b"}));
  EXPECT_EQ(a2->row(), 3);
  m.SetExpanded(a1, false);
  EXPECT_EQ(Names(m), (std::vector<std::wstring>{L"a", L"a1", L"a2", L"b"}));
  EXPECT_EQ(a1x->row(), -1);
  EXPECT_EQ(b->row(), 3);
  m.SetExpanded(a, false);
  m.Reveal(a1x);
  EXPECT_EQ(Names(m), (std::vector<std::wstring>{L"a", L"a1", L"a1x", L"a2", L"b"}));
  EXPECT_EQ(a1x->level(), 2);
}

TEST_F(Tree, DisplayOrderWalksCollapsedRowsToo) {
  std::vector<std::wstring> order;
  for (Node* n = m.First(); n; n = m.Next(n)) order.push_back(n->As<Row>()->name);
  EXPECT_EQ(order, (std::vector<std::wstring>{L"a", L"a1", L"a1x", L"a2", L"b"}));
  EXPECT_EQ(m.Find([](const Node& n) { return n.As<Row>()->value == L"1"; }), a1x);
}

// The display-order walk over shapes where a search among siblings was quadratic (wide lists) or where the climb
// out of subtrees is long (deep chains), before and after a sort reorders every sibling list.
TEST(GridWalk, NextVisitsEveryRowOnceInDisplayOrderOnWideAndDeepShapes) {
  struct Shape {
    const char* name;
    size_t rows;
    // The parent of row i among the rows added before it (nullptr: top level).
    std::function<Node*(size_t i, const std::vector<Node*>& added)> parentOf;
  } shapes[] = {
      {"flat", 100000, [](size_t, const std::vector<Node*>&) -> Node* { return nullptr; }},
      {"chain", 20000, [](size_t i, const std::vector<Node*>& added) { return i ? added[i - 1] : nullptr; }},
      // A spine 1,000 deep where every spine row also holds 49 leaves.
      {"comb", 50000,
       [](size_t i, const std::vector<Node*>& added) -> Node* {
         if (i == 0) return nullptr;
         return added[(i - 1) / 50 * 50];
       }},
  };
  for (const Shape& shape : shapes) {
    GridModel m;
    std::vector<Node*> added;
    for (size_t i = 0; i < shape.rows; ++i)
      added.push_back(m.AddRecord(shape.parentOf(i, added), Row{std::to_wstring(i), std::to_wstring((i * 7919) % 1000)}));
    m.SetAllExpanded(true);
    for (int column : {-1, 1}) {
      m.Sort(column, false, Text, CompareNoCase);
      const std::vector<Node*>& shown = m.Visible();  // built with its own stack, not with Next
      ASSERT_EQ(shown.size(), shape.rows) << shape.name;
      size_t visited = 0;
      for (Node* n = m.First(); n; n = m.Next(n)) {
        ASSERT_LT(visited, shown.size()) << shape.name << ": walked past the last row";
        ASSERT_EQ(n, shown[visited]) << shape.name << " column " << column << " at " << visited;
        ++visited;
      }
      EXPECT_EQ(visited, shape.rows) << shape.name << " column " << column;
    }
    // The sort reordered the siblings: the flat list's first row is now one with the greatest value.
    if (shape.rows == 100000) {
      EXPECT_EQ(m.First()->As<Row>()->value, L"999");
    }
  }
}

TEST_F(Tree, CheckingARowReachesOnlyTheRowsBelowThatShowABox) {
  m.SetCheckBox(a, true);
  m.SetCheckBox(a1x, true);
  m.SetCheckBox(a2, true);
  m.SetCheckBox(b, true);
  m.SetChecked(b, true, true);
  m.SetChecked(a, true, true);
  for (Node* n : {a, a1x, a2, b}) EXPECT_TRUE(n->checked());
  EXPECT_FALSE(a1->checked()) << "a row without a box is passed through, never marked";
  m.SetChecked(a, false, true);
  for (Node* n : {a, a1, a1x, a2}) EXPECT_FALSE(n->checked());
  EXPECT_TRUE(b->checked());
  m.SetChecked(a, true, true);
  EXPECT_EQ(m.CheckedCount(), 4u);
  // Check all / uncheck all touch only rows that show a box.
  m.SetCheckBox(a2, false);
  m.SetAllBoxesChecked(false);
  EXPECT_FALSE(a->checked());
  EXPECT_FALSE(b->checked());
  EXPECT_TRUE(a2->checked());
}

TEST_F(Tree, SortOrdersEachSiblingListAndMinusOneRestoresCreationOrder) {
  m.SetAllExpanded(true);
  m.Sort(1, true, Text, CompareNoCase);
  EXPECT_EQ(Names(m), (std::vector<std::wstring>{L"b", L"a", L"a2", L"a1", L"a1x"}));
  m.Sort(-1, true, Text, CompareNoCase);
  EXPECT_EQ(Names(m), (std::vector<std::wstring>{L"a", L"a1", L"a1x", L"a2", L"b"}));
}

TEST(GridSort, IsStableInBothDirections) {
  GridModel m;
  for (const wchar_t* v : {L"2", L"1", L"2", L"1"}) m.AddRecord(nullptr, Row{std::to_wstring(m.size()), v});
  m.Sort(1, true, Text, CompareNoCase);
  EXPECT_EQ(Names(m), (std::vector<std::wstring>{L"1", L"3", L"0", L"2"}));
  m.Sort(1, false, Text, CompareNoCase);
  EXPECT_EQ(Names(m), (std::vector<std::wstring>{L"0", L"2", L"1", L"3"}));
}

TEST(GridSort, CellKeysOrderNumbersAndDatesByValue) {
  const FormatSettings fs;
  struct Case {
    std::vector<std::wstring> cells;
    std::vector<std::wstring> sorted;
  } cases[] = {
      {{L"10", L"9", L"100", L"1,024"}, {L"9", L"10", L"100", L"1,024"}},
      {{L"12/01/2020 10:00:00", L"02/03/2021 09:00:00", L"01/15/2020 23:59:59"},
       {L"01/15/2020 23:59:59", L"12/01/2020 10:00:00", L"02/03/2021 09:00:00"}},
      {{L"12:05:01", L"9:00:00"}, {L"9:00:00", L"12:05:01"}},
      {{L"abd", L"ABC", L"b"}, {L"ABC", L"abd", L"b"}},
  };
  for (const Case& c : cases) {
    GridModel m;
    for (const auto& cell : c.cells) m.AddRecord(nullptr, Row{cell, cell});
    m.SortByKey<CellSortKey>(
        1, true, Text, [&](const std::wstring& t) { return MakeCellSortKey(t, 25, fs); }, CompareCellSortKeys);
    EXPECT_EQ(Names(m), c.sorted) << c.cells.front();
  }
}

TEST_F(Tree, IncrementalSearchFindsTheFirstRowInDisplayOrderIgnoringCase) {
  struct Case {
    const wchar_t* typed;
    Node* expected;
  } cases[] = {{L"A", a}, {L"A1X", a1x}, {L"a2", a2}, {L"B", b}};
  for (const Case& c : cases) EXPECT_EQ(m.FindPrefix(c.typed, 0, Text, StartsWithNoCase), c.expected) << c.typed;
  EXPECT_EQ(m.FindPrefix(L"c", 0, Text, StartsWithNoCase), nullptr);
  EXPECT_EQ(m.FindPrefix(L"", 0, Text, StartsWithNoCase), nullptr);
  EXPECT_EQ(m.FindPrefix(L"a1xx", 0, Text, StartsWithNoCase), nullptr);
}

TEST(GridColumns, TheSpareColumnTakesTheRestButNeverLessThanItsMinimum) {
  struct Case {
    int client;
    std::vector<int> widths;
  } cases[] = {{1000, {80, 150, 770}}, {400, {80, 150, 200}}, {0, {80, 150, 200}}};
  for (const Case& c : cases)
    EXPECT_EQ(FitColumns({{80, 0, false}, {100, 150, false}, {500, 200, true}}, c.client), c.widths) << c.client;
  EXPECT_EQ(FitColumns({{80, 0, false}, {100, 0, false}}, 1000), (std::vector<int>{80, 100}));
}

TEST(GridRecords, RecordsAreTypedAndReleasedWithTheirRows) {
  auto alive = std::make_shared<int>(1);
  GridModel m;
  Node* n = m.AddRecord(nullptr, alive);
  EXPECT_EQ(m.Visible().size(), 1u);
  EXPECT_EQ(n->As<Row>(), nullptr);
  ASSERT_NE(n->As<std::shared_ptr<int>>(), nullptr);
  EXPECT_EQ(alive.use_count(), 2);
  m.Clear();
  EXPECT_EQ(alive.use_count(), 1);
  EXPECT_TRUE(m.Visible().empty());
}

}  // namespace
}  // namespace vantrel::grid
