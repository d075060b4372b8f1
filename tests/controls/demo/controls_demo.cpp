// Lays out every control of the widget set with sample rows, for screenshots: controls_demo [seconds].
// The window takes the DPI the system gives it (LogPixels of the prefix), so one run at 96 and one at 144 show
// the scaling.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "controls/caption_toolbar.h"
#include "controls/collapsible_panel.h"
#include "controls/inspector.h"
#include "controls/simple_controls.h"
#include "controls/tree_grid.h"
#include "demo_frame.h"

namespace {

using namespace vantrel::ui;

struct Proc {
  int pid;
  int parent;
  std::wstring name;
  std::wstring user;
  COLORREF color;
  bool box;
};

const Proc kProcs[] = {
    {4, 0, L"System", L"SYSTEM", RGB(0x80, 0x80, 0x80), false},
    {388, 4, L"smss.exe", L"SYSTEM", RGB(0x80, 0x80, 0x80), false},
    {612, 0, L"explorer.exe", L"root", RGB(0, 0, 0xFF), true},
    {1024, 612, L"notepad.exe", L"root", RGB(0, 0, 0xFF), true},
    {1288, 612, L"一个名字很长很长的进程 with a very long name.exe", L"root", RGB(0xFF, 0, 0), true},
    {1300, 1288, L"child.exe", L"root", CLR_DEFAULT, false},
    {2048, 0, L"svchost.exe", L"LOCAL SERVICE", CLR_DEFAULT, true},
};

struct Demo {
  HWND frame = nullptr;
  Dpi dpi;
  FilterBox filter;
  OnOffSwitch treeSwitch, autoSwitch;
  SpinBox spin;
  TreeGrid tree, flat;
  HeaderStrip strip;
  CollapsiblePanel panel;
  PropertyInspector insp;
  CaptionToolbar caption;
  HWND treeLabel = nullptr, autoLabel = nullptr;
  vantrel::win::UniqueFont labelFont;
  HIMAGELIST small = nullptr;
  int icon = -1;

  void Layout() {
    RECT rc{};
    ::GetClientRect(frame, &rc);
    auto s = [&](int v) { return dpi.Scale(v); };
    const int w = rc.right, h = rc.bottom;
    ::MoveWindow(filter.hwnd(), s(8), s(8), s(200), s(24), TRUE);
    ::MoveWindow(treeLabel, s(220), s(11), s(70), s(20), TRUE);
    ::MoveWindow(treeSwitch.hwnd(), s(292), s(9), s(50), s(22), TRUE);
    ::MoveWindow(spin.hwnd(), w - s(200), s(9), s(70), s(22), TRUE);
    ::MoveWindow(autoLabel, w - s(126), s(11), s(60), s(20), TRUE);
    ::MoveWindow(autoSwitch.hwnd(), w - s(62), s(9), s(50), s(22), TRUE);
    const int top = s(40);
    const int gridBottom = h * 45 / 100;
    ::MoveWindow(tree.hwnd(), s(8), top, w / 2 - s(12), gridBottom - top, TRUE);
    ::MoveWindow(flat.hwnd(), w / 2 + s(4), top, w / 2 - s(12), gridBottom - top, TRUE);
    ::MoveWindow(strip.hwnd(), s(8), gridBottom + s(6), w - s(16), s(44), TRUE);
    ::MoveWindow(panel.hwnd(), s(8), gridBottom + s(56), w - s(16), h - gridBottom - s(64), TRUE);
  }

  void FillGrid(TreeGrid& grid, bool treeLayout) {
    grid.SetColumns({{L"PID", ColumnAlign::Right, treeLayout ? 55 : 90},
                     {L"名称", ColumnAlign::Left, treeLayout ? 220 : 150, 150},
                     {L"用户名", ColumnAlign::Left, 100},
                     {L"文件名", ColumnAlign::Left, 200, 120, true}});
    grid.onGetText = [](const TreeNode& n, int c) -> std::wstring {
      const Proc* p = n.As<Proc>();
      switch (c) {
        case 0: return std::to_wstring(p->pid);
        case 1: return p->name;
        case 2: return p->user;
        default: return L"C:\\Windows\\System32\\" + p->name;
      }
    };
    grid.onGetImage = [this](const TreeNode&, int c) { return c == 1 ? icon : -1; };
    grid.onGetKey = [](const TreeNode& n) { return std::to_wstring(n.As<Proc>()->pid); };
    grid.SetImageList(small);
    grid.SetTreeLayout(treeLayout);
    grid.SetTreeColumn(treeLayout ? 1 : 0);
    grid.SetShowExpandButtons(treeLayout);
    TreeGrid::UpdateBlock block(grid);
    for (const Proc& p : kProcs) {
      TreeNode* parent = treeLayout ? grid.FindByKey(std::to_wstring(p.parent)) : nullptr;
      TreeNode* n = grid.AddRow(parent, p);
      grid.SetTextColor(n, p.color);
      grid.SetCheckBox(n, treeLayout && p.box);
    }
    grid.ExpandAll();
  }

  void Create(HINSTANCE inst) {
    frame = vantrel::demo::CreateDemoFrame(inst, L"VantrelControlsDemo", &Demo::WndProc, this);
    dpi = Dpi::ForWindow(frame);
    ::SetWindowPos(frame, nullptr, 0, 0, dpi.Scale(1000), dpi.Scale(720), SWP_NOMOVE | SWP_NOZORDER);
    SHFILEINFOW info{};
    small = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoW(L"C:\\windows\\notepad.exe", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (small) icon = info.iIcon;

    filter.Create(frame, 10, RECT{}, L"名称过滤器");
    labelFont.reset(CreateUiFont(dpi));
    treeLabel = ::CreateWindowExW(0, L"STATIC", L"显示为树", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, frame, nullptr, inst, nullptr);
    autoLabel = ::CreateWindowExW(0, L"STATIC", L"自动刷新", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, frame, nullptr, inst, nullptr);
    ::SendMessageW(treeLabel, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont.get()), TRUE);
    ::SendMessageW(autoLabel, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont.get()), TRUE);
    treeSwitch.Create(frame, 11, RECT{}, true);
    spin.Create(frame, 12, RECT{}, 1, 3600, 10, 1);
    autoSwitch.Create(frame, 13, RECT{}, false);
    tree.Create(frame, 20);
    flat.Create(frame, 21);
    FillGrid(tree, true);
    FillGrid(flat, false);
    flat.SetSort(0, false);
    flat.SetFocusedNode(flat.FindByKey(L"1024"));
    tree.SetFocusedNode(tree.FindByKey(L"1024"));
    tree.ToggleCheck(tree.FindByKey(L"1288"));
    strip.Create(frame, 30, RECT{});
    strip.SetIcon(::LoadIconW(nullptr, IDI_APPLICATION));
    strip.SetLines(L"Notepad 10.0.19041.1", L"Microsoft Corporation - © Microsoft Corporation.");
    panel.Create(frame, 40, RECT{}, L"进程详细信息", true);
    insp.Create(panel.hwnd(), 41);
    panel.SetContent(insp.hwnd());
    insp.BeginUpdate();
    const auto general = insp.AddGroup(L"常规");
    insp.AddItem(general, L"PID", L"1024");
    insp.AddItem(general, L"会话", L"1");
    insp.AddItem(general, L"名称", L"notepad.exe");
    const auto cpu = insp.AddGroup(L"CPU 时间", general, true, RGB(0xE9, 0xE9, 0xE9));
    insp.AddItem(cpu, L"总时间", L"00:00:01");
    insp.AddItem(cpu, L"内核时间", L"00:00:00");
    insp.AddGroup(L"虚拟内存计数", general, false, RGB(0xE9, 0xE9, 0xE9));
    const auto image = insp.AddGroup(L"映像");
    insp.AddItem(image, L"文件名", L"C:\\windows\\notepad.exe");
    insp.AddItem(image, L"命令行", L"notepad.exe C:\\windows\\win.ini");
    insp.EndUpdate();

    caption.Attach(frame, CaptionToolbar::Mode::NonClient);
    caption.AddButton({L"Vantrel", L"Vantrel (0.1.0)", 0, true, nullptr, true});
    caption.AddButton({L"2026-12-10 01:00:00  CPU: 3%", L"", 250, false});
    // The owner draws the captions: white text, the right 14 pixels (and for the first button 2 at the bottom)
    // left free.
    caption.onDrawButton = [this](CaptionToolbar& bar, int index, HDC dc, const RECT&, const RECT& r) {
      RECT text = r;
      text.right -= dpi.Scale(14);
      if (index == 0) text.bottom -= dpi.Scale(2);
      CaptionToolbar::DrawButtonText(dc, bar.Button(index).caption, text, RGB(255, 255, 255),
                                     CaptionToolbar::CaptionComposited());
    };
    Layout();
    ::ShowWindow(frame, SW_SHOW);
    ::SetFocus(tree.hwnd());
  }

  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = vantrel::demo::DemoOf<Demo>(hwnd, msg, lParam);
    switch (msg) {
      case WM_SIZE:
        if (self && self->panel.hwnd()) self->Layout();
        return 0;
      case WM_TIMER:
        ::DestroyWindow(hwnd);
        return 0;
      case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
      default:
        break;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR cmd, int) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&icc);
  const int seconds = cmd && *cmd ? static_cast<int>(std::wcstol(cmd, nullptr, 10)) : 10;
  static Demo demo;
  demo.Create(inst);
  ::SetTimer(demo.frame, 1, static_cast<UINT>(seconds > 0 ? seconds : 10) * 1000, nullptr);
  vantrel::demo::RunMessageLoop();
  return 0;
}
