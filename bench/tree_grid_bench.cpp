// Times the tree/grid: rebuilding 1,000 and 10,000 rows inside one update block, painting them, and sorting
// 10,000 rows by a number, a date and a text column. Prints figures; the last line is the runner's marker.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "controls/tree_grid.h"

namespace {

using vantrel::ui::ColumnAlign;
using vantrel::ui::TreeGrid;
using vantrel::ui::TreeNode;

struct Row {
  int pid;
  std::wstring name;
  std::wstring created;
  long long workingSet;
};

double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

// Median of several runs, in milliseconds.
template <typename Fn>
double Measure(int runs, Fn fn) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double start = Now();
    fn();
    times.push_back(Now() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

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
    const double unsorted = Measure(9, rebuild);
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
    const double painted = Measure(9, paint);
    grid.SetSort(0, true);
    const double sortedRebuild = Measure(9, rebuild);
    std::printf("rebuild %5d rows in one update block: %7.2f ms unsorted, %7.2f ms with a sort column; "
                "one full paint %6.2f ms\n",
                n, unsorted, sortedRebuild, painted);
  }
  {
    HWND list = grid.listHwnd();
    const double a = Measure(9, [&] { ListView_SetItemCountEx(list, 10000, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL); });
    const double b = Measure(9, [&] { ListView_SetItemState(list, 5, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED); ListView_SetItemState(list, 5, 0, LVIS_SELECTED | LVIS_FOCUSED); });
    const double c = Measure(9, [&] { ::InvalidateRect(list, nullptr, FALSE); });
    const double d = Measure(9, [&] { ListView_GetNextItem(list, -1, LVNI_SELECTED); });
    std::printf("  (the list view itself: LVM_SETITEMCOUNT %.2f, set+clear state %.2f, invalidate %.2f, next item %.2f ms)\n", a, b, c, d);
  }
  const char* const what[] = {"number", "text", "date"};
  for (int column : {0, 1, 2}) {
    const double t = Measure(9, [&] { grid.SetSort(column, !grid.SortAscending()); });
    std::printf("sort 10000 rows by a %-6s column: %7.2f ms\n", what[column], t);
  }
  const double rebuildAndPaint = Measure(9, [&] {
    rebuild();
    ::UpdateWindow(grid.listHwnd());
  });
  std::printf("rebuild + paint 10000 rows: %7.2f ms\n", rebuildAndPaint);
  std::printf("VANTREL-TEST-COMPLETE rc=0\n");
  std::fflush(stdout);
  return 0;
}
