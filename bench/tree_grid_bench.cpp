// Times the tree/grid: rebuilding 1,000 and 10,000 rows inside one update block, painting them, sorting 10,000
// rows by a number, a date and a text column, walking 50,000 rows in display order, and a refresh of 300 rows as
// the pages do it (rebuild and restore the view) that changes nothing or one cell, against an update of the rows
// in place. Prints figures; the last line is the runner's marker.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench_support.h"
#include "controls/tree_grid.h"

namespace {

using vantrel::bench::Median;
using vantrel::bench::Now;

using vantrel::ui::ColumnAlign;
using vantrel::ui::TreeGrid;
using vantrel::ui::TreeNode;

struct Row {
  int pid;
  std::wstring name;
  std::wstring created;
  long long workingSet;
};

std::vector<Row> MakeRows(int n) {
  std::vector<Row> rows;
  rows.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const int pid = 4 + static_cast<int>((static_cast<long long>(i) * 7919) % n) * 4;
    const int days = (i * 37) % 600;
    wchar_t created[40];
    std::swprintf(created, 40, L"%02d/%02d/%04d %02d:%02d:%02d", 1 + days % 336 / 28, 1 + days % 28,
                  2020 + days / 336, i % 24, i % 60, (i * 7) % 60);
    rows.push_back({pid, L"process" + std::to_wstring(i % 977) + L".exe", created, (i % 5000) * 4096LL});
  }
  return rows;
}

int g_listPaints = 0;

LRESULT CALLBACK CountPaints(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (msg == WM_PAINT) ++g_listPaints;
  return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

// Rows the list has yet to paint, by the height of its update region.
double PendingRows(HWND list) {
  RECT box{}, row{};
  if (!::GetUpdateRect(list, &box, FALSE) || !ListView_GetItemRect(list, ListView_GetTopIndex(list), &row, LVIR_BOUNDS))
    return 0;
  return static_cast<double>(box.bottom - box.top) / std::max<LONG>(1, row.bottom - row.top);
}

}  // namespace

int main() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VantrelBenchHost";
  ::RegisterClassW(&wc);
  HWND host = ::CreateWindowExW(0, wc.lpszClassName, L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1000, 700,
                                nullptr, nullptr, wc.hInstance, nullptr);
  RECT rc{};
  ::GetClientRect(host, &rc);
  TreeGrid grid;
  if (!host || !grid.Create(host, 1, rc)) {
    std::printf("could not create the windows\n");
    std::printf("VANTREL-TEST-COMPLETE rc=1\n");
    return 1;
  }
  grid.SetColumns({{L"PID", ColumnAlign::Right, 90},
                   {L"名称", ColumnAlign::Left, 150, 150},
                   {L"创建", ColumnAlign::Left, 130},
                   {L"工作集", ColumnAlign::Right, 75},
                   {L"文件名", ColumnAlign::Left, 500, 200, true}});
  const std::vector<Row>* source = nullptr;
  grid.onGetText = [](const TreeNode& n, int column) -> std::wstring {
    const Row* r = n.As<Row>();
    switch (column) {
      case 0: return std::to_wstring(r->pid);
      case 1: return r->name;
      case 2: return r->created;
      case 3: return std::to_wstring(r->workingSet / 1024) + L" K";
      default: return L"C:\\Windows\\System32\\" + r->name;
    }
  };
  auto rebuild = [&] {
    TreeGrid::UpdateBlock block(grid);
    grid.Clear();
    for (const Row& r : *source) grid.AddRow(nullptr, r);
  };
  auto paint = [&] {
    ::InvalidateRect(grid.listHwnd(), nullptr, FALSE);
    ::UpdateWindow(grid.listHwnd());
  };

  const std::vector<Row> rows1k = MakeRows(1000), rows10k = MakeRows(10000);
  for (const std::vector<Row>* rows : {&rows1k, &rows10k}) {
    const int n = static_cast<int>(rows->size());
    source = rows;
    grid.SetSort(-1, true);
    const double unsorted = Median(9, rebuild);
    double adding = 0, ending = 0;
    for (int i = 0; i < 5; ++i) {
      const double t0 = Now();
      grid.BeginUpdate();
      grid.Clear();
      for (const Row& r : *source) grid.AddRow(nullptr, r);
      const double t1 = Now();
      grid.EndUpdate();
      adding += (t1 - t0) / 5;
      ending += (Now() - t1) / 5;
    }
    std::printf("  (clear + add %.2f ms, end of block %.2f ms)\n", adding, ending);
    const double painted = Median(9, paint);
    grid.SetSort(0, true);
    const double sortedRebuild = Median(9, rebuild);
    std::printf("rebuild %5d rows in one update block: %7.2f ms unsorted, %7.2f ms with a sort column; "
                "one full paint %6.2f ms\n",
                n, unsorted, sortedRebuild, painted);
  }
  {
    HWND list = grid.listHwnd();
    const double a = Median(9, [&] { ListView_SetItemCountEx(list, 10000, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL); });
    const double b = Median(9, [&] { ListView_SetItemState(list, 5, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED); ListView_SetItemState(list, 5, 0, LVIS_SELECTED | LVIS_FOCUSED); });
    const double c = Median(9, [&] { ::InvalidateRect(list, nullptr, FALSE); });
    const double d = Median(9, [&] { ListView_GetNextItem(list, -1, LVNI_SELECTED); });
    std::printf("  (the list view itself: LVM_SETITEMCOUNT %.2f, set+clear state %.2f, invalidate %.2f, next item %.2f ms)\n", a, b, c, d);
  }
  const char* const what[] = {"number", "text", "date"};
  for (int column : {0, 1, 2}) {
    const double t = Median(9, [&] { grid.SetSort(column, !grid.SortAscending()); });
    std::printf("sort 10000 rows by a %-6s column: %7.2f ms\n", what[column], t);
  }
  const double rebuildAndPaint = Median(9, [&] {
    rebuild();
    // The same rows again would repaint nothing: paint the whole list as a refresh that changed every row.
    ::InvalidateRect(grid.listHwnd(), nullptr, FALSE);
    ::UpdateWindow(grid.listHwnd());
  });
  std::printf("rebuild + paint 10000 rows: %7.2f ms\n", rebuildAndPaint);

  {
    const std::vector<Row> rows50k = MakeRows(50000);
    source = &rows50k;
    rebuild();
    size_t visited = 0;
    const double walk = Median(9, [&] {
      visited = 0;
      for (TreeNode* n = grid.First(); n; n = grid.Next(n)) ++visited;
    });
    std::printf("walk %zu rows in display order with Next: %7.2f ms\n", visited, walk);
  }

  // A refresh of 300 rows as a page does it every second, with the list on screen.
  grid.SetSort(0, true);
  grid.onGetKey = [](const TreeNode& n) { return std::to_wstring(n.As<Row>()->pid); };
  HWND list = grid.listHwnd();
  ::SetWindowSubclass(list, &CountPaints, 77, 0);
  std::vector<Row> rows300 = MakeRows(300);
  const std::vector<Row> same300 = rows300;
  std::vector<Row> changed300 = rows300;
  source = &rows300;
  auto refresh = [&] {
    const vantrel::ui::TreeViewState view = grid.SaveView();
    rebuild();
    grid.RestoreView(view, true);
  };
  refresh();
  grid.SetFocusedNode(grid.VisibleRow(10));
  ::UpdateWindow(list);
  // The row of the first pid on screen gets a new working set in the changed variant.
  const int shownPid = grid.VisibleRow(5)->As<Row>()->pid;
  for (Row& r : changed300)
    if (r.pid == shownPid) r.workingSet += 4096;
  struct Variant {
    const char* name;
    const std::vector<Row>* next;
  } variants[] = {{"nothing changed", &same300}, {"one cell changed", &changed300}};
  {
    const double empty = Median(21, [&] {
      grid.BeginUpdate();
      grid.EndUpdate();
    });
    std::printf("  (an update block that changes nothing, 300 rows: %.3f ms)\n", empty);
  }
  for (const Variant& v : variants) {
    double pending = 0;
    int paints = 0;
    int round = 0;
    const double t = Median(21, [&] {
      // Alternate so that every round of the changed variant differs from the rows on screen.
      source = round++ % 2 ? &same300 : v.next;
      refresh();
      pending += PendingRows(list);
      const int before = g_listPaints;
      ::UpdateWindow(list);
      paints += g_listPaints - before;
    });
    std::printf("refresh 300 rows by rebuilding, %-16s: %6.3f ms with its paint; per refresh %.1f rows repainted, "
                "%.2f paints\n", v.name, t, pending / 21, paints / 21.0);
  }
  {
    // The other way: the page keeps its rows and updates the records that changed, found by key.
    source = &same300;
    refresh();
    ::UpdateWindow(list);
    std::unordered_map<int, TreeNode*> byPid;
    for (TreeNode* n = grid.First(); n; n = grid.Next(n)) byPid[n->As<Row>()->pid] = n;
    int round = 0;
    double pending = 0;
    const double t = Median(21, [&] {
      const std::vector<Row>& next = round++ % 2 ? same300 : changed300;
      for (const Row& r : next) {
        TreeNode* n = byPid[r.pid];
        Row* old = n->As<Row>();
        if (old->workingSet != r.workingSet || old->name != r.name || old->created != r.created) {
          *old = r;
          grid.Invalidate(n);
        }
      }
      pending += PendingRows(list);
      ::UpdateWindow(list);
    });
    std::printf("refresh 300 rows in place by key,  one cell changed: %6.3f ms with its paint; per refresh %.1f rows "
                "repainted\n", t, pending / 21);
    const double full = Median(21, [&] {
      ::InvalidateRect(list, nullptr, FALSE);
      ::UpdateWindow(list);
    });
    std::printf("  (one full paint of the list for comparison: %6.3f ms)\n", full);
  }
  ::RemoveWindowSubclass(list, &CountPaints, 77);
  std::printf("VANTREL-TEST-COMPLETE rc=0\n");
  std::fflush(stdout);
  return 0;
}
