#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/windows/window_info.h"
#include "core/windows/window_tree.h"

namespace vantrel {
namespace {

using Names = std::vector<std::wstring>;

TEST(WindowStyleNames, Table) {
  struct Case {
    int64_t style;
    Names names;
  } cases[] = {
      {0, {}},
      // An overlapped window: bits shared by two names give both.
      {0x00CF0000,
       {L"WS_BORDER", L"WS_DLGFRAME", L"WS_GROUP", L"WS_MAXIMIZEBOX", L"WS_MINIMIZEBOX", L"WS_SYSMENU", L"WS_TABSTOP",
        L"WS_THICKFRAME"}},
      {0x50010000, {L"WS_CHILD", L"WS_MAXIMIZEBOX", L"WS_TABSTOP", L"WS_VISIBLE"}},
      // The sign-extended popup bit of a 32-bit value.
      {static_cast<int64_t>(static_cast<int32_t>(0x80000000u)), {L"WS_POPUP"}},
  };
  for (const Case& c : cases) EXPECT_EQ(WindowStyleNames(c.style), c.names) << std::hex << c.style;
}

TEST(WindowExStyleNames, Table) {
  struct Case {
    int64_t exStyle;
    Names names;
  } cases[] = {
      {0, {}},  // not even WS_EX_LEFT
      {-1, {}},
      {0x100,
       {L"WS_EX_WINDOWEDGE", L"WS_EX_LEFT", L"WS_EX_LTRREADING", L"WS_EX_RIGHTSCROLLBAR"}},
      {0x7000 | 0x40000 | 0x8 | 0x10,
       {L"WS_EX_ACCEPTFILES", L"WS_EX_TOPMOST", L"WS_EX_RIGHT", L"WS_EX_RTLREADING", L"WS_EX_LEFTSCROLLBAR",
        L"WS_EX_APPWINDOW"}},
      {0x30000 | 0x200,
       {L"WS_EX_CLIENTEDGE", L"WS_EX_LEFT", L"WS_EX_LTRREADING", L"WS_EX_RIGHTSCROLLBAR", L"WS_EX_CONTROLPARENT",
        L"WS_EX_STATICEDGE"}},
  };
  for (const Case& c : cases) EXPECT_EQ(WindowExStyleNames(c.exStyle), c.names) << std::hex << c.exStyle;
}

TEST(ClassStyleNames, Table) {
  EXPECT_EQ(ClassStyleNames(0), Names{});
  EXPECT_EQ(ClassStyleNames(0x1000 | 0x3 | 0x4000),
            (Names{L"CS_BYTEALIGNCLIENT", L"CS_VREDRAW", L"CS_HREDRAW", L"CS_GLOBALCLASS"}));
  EXPECT_EQ(ClassStyleNames(0x8 | 0x20 | 0x200 | 0x2000),
            (Names{L"CS_DBLCLKS", L"CS_OWNDC", L"CS_NOCLOSE", L"CS_BYTEALIGNWINDOW"}));
}

TEST(WindowTexts, HexBoldGreyAndInspector) {
  EXPECT_EQ(HexText(0), L"0x0");
  EXPECT_EQ(HexText(0x1a2b), L"0x1A2B");
  EXPECT_EQ(HexText(static_cast<int32_t>(0x80001000u)), L"0xFFFFFFFF80001000");  // sign-extended procedure
  EXPECT_EQ(HexText(0x7FF612340000), L"0x7FF612340000");

  WindowInfo w;
  w.Handle = 0x10A2;
  w.ClassName = L"Notepad";
  w.Text = L"  ";
  w.Visible = true;
  EXPECT_EQ(WindowCellText(w, Index(WindowColumn::Handle)), L"0x10A2");
  EXPECT_FALSE(WindowCellBold(w, Index(WindowColumn::Handle)));  // a blank text is normal weight
  w.Text = L"Untitled";
  EXPECT_TRUE(WindowCellBold(w, Index(WindowColumn::Handle)));
  EXPECT_TRUE(WindowCellBold(w, Index(WindowColumn::ClassName)));
  EXPECT_FALSE(WindowCellBold(w, Index(WindowColumn::Text)));
  EXPECT_FALSE(WindowRowGrey(w, false));
  w.Visible = false;
  EXPECT_TRUE(WindowRowGrey(w, false));
  EXPECT_FALSE(WindowRowGrey(w, true));
  EXPECT_EQ(WindowImageIndex(w), 0);
  EXPECT_EQ(WindowVisibilityCaption(false), L"显示");
  EXPECT_EQ(WindowActionConfirmation(L"隐藏", 0x10A2, L"Notepad"), L"Do you really want to 隐藏 window [4258]Notepad?");

  w.Rect = {10, 20, 310, 220};
  w.WndProc = static_cast<int32_t>(0xFFFF0001u);
  const std::vector<WindowInspectorItem> items = WindowInspectorItems(w);
  ASSERT_EQ(items.size(), 11u);
  EXPECT_EQ(items[6].Caption, L"窗口程序");
  EXPECT_EQ(items[6].Value, L"0xFFFFFFFFFFFF0001");
  EXPECT_EQ(items[8].Group, L"常规");
  EXPECT_EQ(items[9].Group, L"矩形");
  EXPECT_EQ(items[9].Value, L"300");
  EXPECT_EQ(items[10].Value, L"200");
}

// Recorded (handle, parent-or-owner) lists and the tree expected from them, as (index, level) in tree order.
TEST(BuildWindowHierarchy, RecordedLists) {
  struct Case {
    const char* what;
    std::vector<WindowLink> links;
    std::vector<int> parents;
    std::vector<std::pair<int, int>> order;
  } cases[] = {
      {"empty", {}, {}, {}},
      {"main window, its child and an owned dialog listed before its owner",
       {{0x30, 0x10}, {0x10, 0}, {0x20, 0x10}, {0x40, 0x20}},
       {1, -1, 1, 2},
       {{1, 0}, {0, 1}, {2, 1}, {3, 2}}},
      {"parent outside the list (desktop, other process) stays at the root",
       {{0x10, 0x9999}, {0x20, 0x10}},
       {-1, 0},
       {{0, 0}, {1, 1}}},
      {"two windows each other's parent (handle reuse): both kept, the second at the root",
       {{0xA, 0xB}, {0xB, 0xA}, {0xC, 0xA}},
       {1, -1, 0},
       {{1, 0}, {0, 1}, {2, 2}}},
      {"a window its own parent", {{0x5, 0x5}}, {-1}, {{0, 0}}},
      {"a longer cycle through three windows",
       {{1, 3}, {2, 1}, {3, 2}},
       {2, 0, -1},
       {{2, 0}, {0, 1}, {1, 2}}},
      {"a duplicate handle: the first listed one is the parent",
       {{0x10, 0}, {0x10, 0}, {0x20, 0x10}},
       {-1, -1, 0},
       {{0, 0}, {2, 1}, {1, 0}}},
  };
  for (const Case& c : cases) {
    const std::vector<int> parents = BuildWindowHierarchy(c.links);
    EXPECT_EQ(parents, c.parents) << c.what;
    std::vector<std::pair<int, int>> order;
    for (const WindowTreeRow& r : WindowTreeOrder(parents)) order.emplace_back(r.Index, r.Level);
    EXPECT_EQ(order, c.order) << c.what;
  }
}

TEST(BuildWindowHierarchy, DeepChainAndMalformedParentsKeepEveryRow) {
  // A chain of 20,000 windows, each owned by the next: must finish quickly and place every window.
  std::vector<WindowLink> links;
  const uint32_t n = 20000;
  for (uint32_t i = 1; i <= n; ++i) links.push_back({i, i == n ? 1u : i + 1});  // the last closes a cycle
  const std::vector<int> parents = BuildWindowHierarchy(links);
  int roots = 0;
  for (int p : parents) roots += p < 0;
  EXPECT_EQ(roots, 1);
  const std::vector<WindowTreeRow> rows = WindowTreeOrder(parents);
  EXPECT_EQ(rows.size(), n);
  EXPECT_EQ(rows.back().Level, static_cast<int>(n) - 1);

  // A parents list with a cycle (never produced by the builder) still lists every entry once.
  EXPECT_EQ(WindowTreeOrder({1, 0, -1}).size(), 3u);
}

}  // namespace
}  // namespace vantrel
