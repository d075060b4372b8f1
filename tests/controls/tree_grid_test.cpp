#include "controls/tree_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "gdi_count.h"
#include "host_window.h"

namespace vantrel::ui {
namespace {

struct Proc {
  int pid = 0;
  std::wstring name;
  int minutes = 0;  // creation time, minutes after 2019-01-01 00:00
  std::wstring path;
};

// "MM/dd/yyyy HH:mm:ss" with 28-day months: always valid dates, and text order differs from date order.
std::wstring DateText(int minutes) {
  const int days = minutes / 1440, year = 2019 + days / 336, month = 1 + days % 336 / 28, day = 1 + days % 28;
  wchar_t buf[40];
  std::swprintf(buf, 40, L"%02d/%02d/%04d %02d:%02d:00", month, day, year, minutes % 1440 / 60, minutes % 60);
  return buf;
}

const wchar_t* const kNames[] = {L"Alpha", L"bravo", L"Charlie", L"delta", L"Echo"};

using testing::Pump;

struct Host : testing::HostWindow {
  Host() : HostWindow(L"VantrelGridTestHost", L"grid", 0, 0, 900, 600, COLOR_WINDOW) {}
};

class TreeGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.hwnd);
    RECT rc{};
    ::GetClientRect(host.hwnd, &rc);
    ASSERT_TRUE(grid.Create(host.hwnd, 100, rc));
    grid.SetColumns({{L"PID", ColumnAlign::Right, 80},
                     {L"名称", ColumnAlign::Left, 150, 150},
                     {L"创建", ColumnAlign::Left, 130},
                     {L"文件名", ColumnAlign::Left, 500, 200, true}});
    grid.onGetText = [](const TreeNode& n, int column) -> std::wstring {
      const Proc* p = n.As<Proc>();
      switch (column) {
        case 0: return std::to_wstring(p->pid);
        case 1: return p->name;
        case 2: return DateText(p->minutes);
        default: return p->path;
      }
    };
    grid.onGetKey = [](const TreeNode& n) { return std::to_wstring(n.As<Proc>()->pid); };
    grid.onFocusChanged = [this](TreeNode* n) {
      ++focusEvents;
      lastFocused = n;
    };
  }

  // Rows for pids first..last in a scrambled order, inside one update block.
  void Fill(int first, int last) {
    TreeGrid::UpdateBlock block(grid);
    grid.Clear();
    const int n = last - first + 1;
    for (int i = 0; i < n; ++i) {
      const int pid = first + static_cast<int>((static_cast<long long>(i) * 7919) % n);
      grid.AddRow(nullptr, Proc{pid, std::wstring(kNames[pid % 5]) + std::to_wstring(pid), (pid * 7877) % 1000000,
                                L"C:\\Windows\\" + std::to_wstring(pid) + L".exe"});
    }
  }

  TreeNode* Pid(int pid) { return grid.FindByKey(std::to_wstring(pid)); }
  int PidAt(size_t row) { return grid.VisibleRow(row)->As<Proc>()->pid; }
  int FocusedPid() { return grid.FocusedNode() ? grid.FocusedNode()->As<Proc>()->pid : -1; }

  void ClickHeader(int column) {
    HWND header = ListView_GetHeader(grid.listHwnd());
    RECT r{};
    ASSERT_TRUE(Header_GetItemRect(header, column, &r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(header, WM_LBUTTONUP, 0, at);
  }

  // A point inside the cell, x pixels from its left edge.
  POINT CellPoint(int row, int column, int x) {
    RECT item{}, rowRect{};
    Header_GetItemRect(ListView_GetHeader(grid.listHwnd()), column, &item);
    ::MapWindowPoints(ListView_GetHeader(grid.listHwnd()), grid.listHwnd(), reinterpret_cast<POINT*>(&item), 2);
    ListView_GetItemRect(grid.listHwnd(), row, &rowRect, LVIR_BOUNDS);
    return POINT{item.left + x, (rowRect.top + rowRect.bottom) / 2};
  }

  std::wstring ListText(int row, int column) {
    wchar_t buf[260] = {};
    ListView_GetItemText(grid.listHwnd(), row, column, buf, 260);
    return buf;
  }

  Host host;
  TreeGrid grid;
  int focusEvents = 0;
  TreeNode* lastFocused = nullptr;
};

TEST_F(TreeGridTest, HeaderClicksSortNumbersAndDatesByValueAndASecondClickReverses) {
  Fill(1, 10000);
  ASSERT_EQ(grid.RowCount(), 10000u);
  ASSERT_EQ(grid.VisibleRowCount(), 10000u);
  EXPECT_EQ(ListView_GetItemCount(grid.listHwnd()), 10000);

  ClickHeader(0);
  EXPECT_EQ(grid.SortColumn(), 0);
  EXPECT_TRUE(grid.SortAscending());
  for (size_t row = 0; row < 10000; row += 997) EXPECT_EQ(PidAt(row), static_cast<int>(row) + 1);
  // What a screen reader reads goes through the same rows.
  EXPECT_EQ(ListText(9, 0), L"10");
  EXPECT_EQ(ListText(9, 1), L"Alpha10");

  ClickHeader(0);
  EXPECT_FALSE(grid.SortAscending());
  EXPECT_EQ(PidAt(0), 10000);
  EXPECT_EQ(PidAt(9999), 1);
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  Header_GetItem(ListView_GetHeader(grid.listHwnd()), 0, &item);
  EXPECT_TRUE(item.fmt & HDF_SORTDOWN);

  ClickHeader(2);
  EXPECT_TRUE(grid.SortAscending());
  bool textOrderDiffers = false;
  for (size_t row = 1; row < 10000; ++row) {
    const Proc* a = grid.VisibleRow(row - 1)->As<Proc>();
    const Proc* b = grid.VisibleRow(row)->As<Proc>();
    ASSERT_LE(a->minutes, b->minutes) << row;
    textOrderDiffers |= DateText(a->minutes) > DateText(b->minutes);
  }
  EXPECT_TRUE(textOrderDiffers);  // a plain text sort would have put these rows the other way round
}

TEST_F(TreeGridTest, TreeLayoutIgnoresHeaderClicksAndKeepsTheOrderRowsWereAddedIn) {
  Fill(1, 50);
  grid.SetSort(0, true);
  EXPECT_EQ(PidAt(0), 1);
  grid.SetTreeLayout(true);
  EXPECT_EQ(grid.SortColumn(), -1);
  const int first = PidAt(1);
  EXPECT_NE(first, 2);
  ClickHeader(0);
  ClickHeader(1);
  EXPECT_EQ(grid.SortColumn(), -1);
  EXPECT_EQ(PidAt(1), first);
  grid.TreeHeaderClick(0, true);  // the right button never sorts, in any layout
  grid.SetTreeLayout(false);
  grid.TreeHeaderClick(0, true);
  EXPECT_EQ(grid.SortColumn(), -1);
}

TEST_F(TreeGridTest, FocusedAndTopRowsSurviveARebuildByKey) {
  Fill(1, 10000);
  grid.SetSort(0, true);
  grid.SetFocusedNode(Pid(5000));
  grid.SetTopNode(Pid(4990));
  ASSERT_EQ(grid.TopNode()->As<Proc>()->pid, 4990);
  const TreeViewState state = grid.SaveView();

  // Rows before them vanish, so their indexes change; the sort persists over the rebuild.
  Fill(101, 10000);
  focusEvents = 0;
  grid.RestoreView(state, true);
  EXPECT_EQ(FocusedPid(), 5000);
  EXPECT_EQ(grid.TopNode()->As<Proc>()->pid, 4990);
  EXPECT_EQ(ListView_GetNextItem(grid.listHwnd(), -1, LVNI_FOCUSED), grid.FocusedNode()->row());
  EXPECT_EQ(ListView_GetNextItem(grid.listHwnd(), -1, LVNI_SELECTED), grid.FocusedNode()->row());
  EXPECT_GE(focusEvents, 1);
  EXPECT_EQ(lastFocused, grid.FocusedNode());

  // Without keeping the top, the focused row is centred.
  grid.RestoreView(state, false);
  const int perPage = ListView_GetCountPerPage(grid.listHwnd());
  EXPECT_NEAR(grid.FocusedNode()->row() - ListView_GetTopIndex(grid.listHwnd()), perPage / 2, 1);

  // A focused row that vanished leaves the focus on the first row.
  Fill(6000, 10000);
  grid.RestoreView(state, true);
  EXPECT_EQ(FocusedPid(), 6000);
}

TEST_F(TreeGridTest, RowsAddedOutsideAnUpdateBlockReachTheListOnceTheMessagesRun) {
  for (int pid : {3, 1, 2}) grid.AddRow(nullptr, Proc{pid, L"p"});
  Pump();
  EXPECT_EQ(ListView_GetItemCount(grid.listHwnd()), 3);
  EXPECT_EQ(ListText(2, 0), L"2");
  grid.Clear();
  EXPECT_EQ(ListView_GetItemCount(grid.listHwnd()), 0);
  EXPECT_EQ(grid.FocusedNode(), nullptr);
}

TEST_F(TreeGridTest, KeyboardMovesTheFocusLikeAListView) {
  Fill(1, 100);
  grid.SetSort(0, true);
  grid.SetFocusedNode(Pid(10));
  ::SetFocus(grid.listHwnd());
  ::SendMessageW(grid.listHwnd(), WM_KEYDOWN, VK_DOWN, 1);
  EXPECT_EQ(FocusedPid(), 11);
  EXPECT_EQ(lastFocused, grid.FocusedNode());
  ::SendMessageW(grid.listHwnd(), WM_KEYDOWN, VK_END, 1);
  EXPECT_EQ(FocusedPid(), 100);
}

TEST_F(TreeGridTest, TypingFindsTheFirstRowThatBeginsWithTheTextInTheFocusedColumn) {
  Fill(1, 10000);
  grid.SetSort(0, true);
  grid.SetFocusedNode(Pid(1));
  grid.SetFocusedColumn(1);
  ::SetFocus(grid.listHwnd());
  for (wchar_t c : std::wstring(L"CHARLIE7")) ::SendMessageW(grid.listHwnd(), WM_CHAR, c, 1);
  EXPECT_EQ(FocusedPid(), 7);
  grid.SetFocusedColumn(0);
  EXPECT_EQ(grid.TreeIncrementalSearch(L"42")->As<Proc>()->pid, 42);
  EXPECT_EQ(FocusedPid(), 42);
  EXPECT_EQ(grid.TreeIncrementalSearch(L"x"), nullptr);
  EXPECT_EQ(FocusedPid(), 42);
}

TEST_F(TreeGridTest, CtrlCCopiesTheFocusedRowAsTabSeparatedCells) {
  Fill(1, 10);
  grid.SetFocusedNode(Pid(3));
  BYTE keys[256];
  ::GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  ::SetKeyboardState(keys);
  ::SendMessageW(grid.listHwnd(), WM_KEYDOWN, 'C', 1);
  keys[VK_CONTROL] = 0;
  ::SetKeyboardState(keys);
  ASSERT_TRUE(::OpenClipboard(host.hwnd));
  HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
  std::wstring text;
  if (data) {
    text = static_cast<const wchar_t*>(::GlobalLock(data));
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  EXPECT_EQ(text, L"3\tdelta3\t" + DateText(3 * 7877) + L"\tC:\\Windows\\3.exe");
}

TEST_F(TreeGridTest, ATooltipShowsTheWholeTextOfAClippedCellOnly) {
  {
    TreeGrid::UpdateBlock block(grid);
    grid.AddRow(nullptr, Proc{1, L"a", 0, L""});
    grid.AddRow(nullptr, Proc{2, L"a process name far too long for its narrow column.exe", 0, L""});
  }
  auto tipAt = [&](int row) {
    const POINT pt = CellPoint(row, 1, 20);
    ::SendMessageW(grid.listHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    wchar_t buf[200] = {};
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = grid.hwnd();
    ti.uId = reinterpret_cast<UINT_PTR>(grid.listHwnd());
    ti.lpszText = buf;
    ::SendMessageW(grid.tooltipHwnd(), TTM_GETTEXTW, 200, reinterpret_cast<LPARAM>(&ti));
    return std::wstring(buf);
  };
  EXPECT_EQ(tipAt(1), L"a process name far too long for its narrow column.exe");
  EXPECT_EQ(tipAt(0), L"");
  grid.SetColumnWidth(1, 900);
  EXPECT_EQ(tipAt(1), L"");
}

class TreeGridChecks : public TreeGridTest {
 protected:
  // Alpha1 [box] > bravo2 > Charlie3, delta4 [box]; Echo5 [box]
  void SetUp() override {
    TreeGridTest::SetUp();
    grid.SetTreeLayout(true);
    grid.SetTreeColumn(1);
    grid.SetShowExpandButtons(true);
    grid.onChecked = [this](TreeNode* n) { checkedEvents.push_back(n); };
    TreeGrid::UpdateBlock block(grid);
    a = grid.AddRow(nullptr, Proc{1, L"Alpha1"});
    a1 = grid.AddRow(a, Proc{2, L"bravo2"});
    a1x = grid.AddRow(a1, Proc{3, L"Charlie3"});
    a2 = grid.AddRow(a, Proc{4, L"delta4"});
    b = grid.AddRow(nullptr, Proc{5, L"Echo5"});
    for (TreeNode* n : {a, a2, b}) grid.SetCheckBox(n, true);
    grid.ExpandAll();
  }
  // Level 0 rows: the expand button sits in the first 16 design pixels, the box right after it.
  void Click(TreeNode* n, int designX, UINT msg = WM_LBUTTONDOWN) {
    const int x = grid.dpi().Scale(16 * (n->level() + 1) + designX);
    const POINT pt = CellPoint(n->row(), 1, designX < 0 ? grid.dpi().Scale(16 * n->level() + 8) : x);
    ::SendMessageW(grid.listHwnd(), msg, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    ::SendMessageW(grid.listHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
  }
  TreeNode *a, *a1, *a1x, *a2, *b;
  std::vector<TreeNode*> checkedEvents;
};

TEST_F(TreeGridChecks, ClickingABoxSetsTheStateOnTheRowsBelowThatShowABox) {
  ASSERT_EQ(grid.VisibleRowCount(), 5u);
  Click(a, 8);
  for (TreeNode* n : {a, a2}) EXPECT_TRUE(grid.Checked(n));
  // A row without a box is never reached: ending a checked parent must not take children the user could not see checked.
  for (TreeNode* n : {a1, a1x, b}) EXPECT_FALSE(grid.Checked(n));
  EXPECT_EQ(checkedEvents, std::vector<TreeNode*>{a});
  EXPECT_EQ(grid.FocusedNode(), a);

  // Space toggles the focused row's box; a row without a box ignores it.
  ::SendMessageW(grid.listHwnd(), WM_KEYDOWN, VK_SPACE, 1);
  EXPECT_EQ(grid.CheckedCount(), 0u);
  grid.SetFocusedNode(a1);
  ::SendMessageW(grid.listHwnd(), WM_KEYDOWN, VK_SPACE, 1);
  EXPECT_EQ(grid.CheckedCount(), 0u);
  EXPECT_EQ(checkedEvents.size(), 2u);

  // Check all touches only rows with a box.
  grid.SetAllBoxesChecked(true);
  EXPECT_EQ(grid.CheckedCount(), 3u);
  EXPECT_FALSE(grid.Checked(a1));
}

TEST_F(TreeGridChecks, ExpandButtonsAndDoubleClicksFoldTheTree) {
  int doubleClicks = 0;
  grid.onDoubleClick = [&](TreeNode*) { ++doubleClicks; };
  Click(a, -1);  // the expand button
  EXPECT_FALSE(a->expanded());
  EXPECT_EQ(grid.VisibleRowCount(), 2u);
  EXPECT_TRUE(checkedEvents.empty());
  Click(a, 60, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(a->expanded());
  EXPECT_EQ(grid.VisibleRowCount(), 5u);
  EXPECT_EQ(doubleClicks, 1);
  // Left on an expanded row folds it; with the focus inside a folded subtree it moves to the shown parent.
  grid.SetFocusedNode(a1x);
  ::SendMessageW(grid.listHwnd(), WM_KEYDOWN, VK_LEFT, 1);
  EXPECT_EQ(grid.FocusedNode(), a1);
  grid.SetExpanded(a, false);
  EXPECT_EQ(grid.FocusedNode(), a);
  EXPECT_EQ(lastFocused, a);
}

// A refresh as the pages do it every second: save the view, clear and add every row again inside one block with
// boxes and colours, then restore the view. Only rows on screen that look different may be repainted.
class TreeGridRefresh : public TreeGridTest {
 protected:
  struct Look {
    int renamedPid = -1;
    int checkedPid = -1;
    int colouredPid = -1;
  };
  void Refresh(const Look& look) {
    const TreeViewState view = grid.SaveView();
    {
      TreeGrid::UpdateBlock block(grid);
      grid.Clear();
      for (int pid = 1; pid <= 300; ++pid) {
        Proc p{pid, L"name" + std::to_wstring(pid), pid, L"C:\\p" + std::to_wstring(pid) + L".exe"};
        if (pid == look.renamedPid) p.name = L"renamed";
        TreeNode* n = grid.AddRow(nullptr, p);
        grid.SetCheckBox(n, pid % 2 == 0);
        if (pid == look.checkedPid) grid.SetChecked(n, true);
        const COLORREF colour = pid == look.colouredPid ? RGB(0, 0, 255) : pid % 7 == 0 ? RGB(255, 0, 0) : CLR_DEFAULT;
        grid.SetTextColor(n, colour);
      }
      grid.ExpandAll(true);
    }
    grid.RestoreView(view, /*keepTop=*/true);
  }
  // The box around the list's pending repaint; empty when nothing waits to be painted.
  RECT Pending() {
    HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
    const int kind = ::GetUpdateRgn(grid.listHwnd(), rgn, FALSE);
    RECT box{};
    if (kind != NULLREGION && kind != ERROR) ::GetRgnBox(rgn, &box);
    ::DeleteObject(rgn);
    return box;
  }
  RECT RowRect(int pid) {
    RECT rc{};
    ListView_GetItemRect(grid.listHwnd(), Pid(pid)->row(), &rc, LVIR_BOUNDS);
    return rc;
  }
};

TEST_F(TreeGridRefresh, ARefreshRepaintsOnlyTheRowsOnScreenThatChanged) {
  grid.SetSort(0, true);
  Refresh({});
  grid.SetFocusedNode(Pid(150));
  grid.SetTopNode(Pid(140));
  ::UpdateWindow(grid.listHwnd());
  ASSERT_FALSE(::GetUpdateRect(grid.listHwnd(), nullptr, FALSE));
  ASSERT_LT(Pid(150)->row() - ListView_GetTopIndex(grid.listHwnd()), ListView_GetCountPerPage(grid.listHwnd()));

  struct Case {
    const char* name;
    Look look;
    int repaintedPid;  // -1: nothing
  } cases[] = {
      {"nothing changed", {}, -1},
      {"one cell's text", {145, -1, -1}, 145},
      {"a check mark", {-1, 146, -1}, 146},
      {"a text colour", {-1, -1, 147}, 147},
      {"a row below the screen", {290, -1, -1}, -1},
  };
  for (const Case& c : cases) {
    for (const Look& look : {c.look, Look{}}) {  // the change, then back to the first rows
      focusEvents = 0;
      Refresh(look);
      EXPECT_EQ(FocusedPid(), 150) << c.name;
      EXPECT_EQ(grid.TopNode()->As<Proc>()->pid, 140) << c.name;
      EXPECT_EQ(ListView_GetNextItem(grid.listHwnd(), -1, LVNI_SELECTED), Pid(150)->row()) << c.name;
      EXPECT_GE(focusEvents, 1) << c.name;  // the page's details follow the rebuilt row
      const RECT pending = Pending();
      if (c.repaintedPid < 0) {
        EXPECT_TRUE(::IsRectEmpty(&pending)) << c.name << ": " << pending.top << ".." << pending.bottom;
      } else {
        const RECT row = RowRect(c.repaintedPid);
        EXPECT_EQ(pending.top, row.top) << c.name;
        EXPECT_EQ(pending.bottom, row.bottom) << c.name;
      }
      ::UpdateWindow(grid.listHwnd());
    }
  }
}

TEST(TreeGridResources, RebuildsAndDestroyedGridsLeaveNoGdiObjectsBehind) {
  Host host;
  auto once = [&](int round) {
    RECT rc{0, 0, 800, 500};
    TreeGrid grid;
    ASSERT_TRUE(grid.Create(host.hwnd, 1, rc));
    grid.SetColumns({{L"a", ColumnAlign::Left, 100}, {L"b", ColumnAlign::Right, 100, 0, true}});
    grid.onGetText = [](const TreeNode& n, int c) { return std::to_wstring(*n.As<int>() * (c + 1)); };
    grid.ApplyDpi(Dpi(round % 2 ? 144 : 96));
    grid.AddRow(nullptr, 1);
    ::UpdateWindow(grid.listHwnd());
  };
  once(0);  // the system's own first-use caches
  once(1);
  Pump();
  const long before = testing::GdiObjectCount();
  ASSERT_GT(before, 0);
  for (int round = 0; round < 6; ++round) once(round);
  Pump();
  EXPECT_EQ(testing::GdiObjectCount(), before);

  RECT rc{0, 0, 800, 500};
  TreeGrid grid;
  ASSERT_TRUE(grid.Create(host.hwnd, 1, rc));
  grid.SetColumns({{L"a", ColumnAlign::Left, 100}, {L"b", ColumnAlign::Right, 100, 0, true}});
  grid.onGetText = [](const TreeNode& n, int c) { return std::to_wstring(*n.As<int>() * (c + 1)); };
  auto rebuild = [&] {
    TreeGrid::UpdateBlock block(grid);
    grid.Clear();
    for (int i = 0; i < 200; ++i) grid.AddRow(nullptr, i);
  };
  auto round = [&](int i) {
    rebuild();
    if (i % 25 == 0) ::UpdateWindow(grid.listHwnd());  // painting is slow under Wine; every 25th is enough
    grid.ClippedCellText(POINT{10, 30});
  };
  for (int i = 0; i < 50; ++i) round(i);  // first uses fill the system's DC and font caches
  Pump();
  const long settled = testing::GdiObjectCount();
  const DWORD start = ::GetTickCount();
  for (int i = 0; i < 1000; ++i) round(i);
  std::printf("1000 rebuilds: %lu ms\n", ::GetTickCount() - start);
  Pump();
  EXPECT_EQ(testing::GdiObjectCount(), settled);
}

}  // namespace
}  // namespace vantrel::ui
