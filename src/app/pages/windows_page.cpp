#include "app/pages/windows_page.h"

#include "core/shell/pages.h"

namespace vantrel::app {
namespace {

constexpr int kIdProcessList = 10;
constexpr int kIdInvisibleSwitch = 11;

}  // namespace

WindowsPage::WindowsPage() : TreePage(kPageWindows) {}

bool WindowsPage::OnCreate() {
  if (!CreateTree()) return false;
  const HWND strip = Strip();
  if (!strip) return false;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  processList_ = ::CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                                   0, 0, 0, 0, strip, reinterpret_cast<HMENU>(kIdProcessList), instance, nullptr);
  invisibleLabel_ = ::CreateWindowExW(0, L"STATIC", L"显示不可见窗口",
                                      WS_CHILD | WS_VISIBLE | SS_NOPREFIX | SS_RIGHT | SS_CENTERIMAGE, 0, 0, 0, 0,
                                      strip, nullptr, instance, nullptr);
  const RECT none{0, 0, 0, 0};
  if (!processList_ || !invisibleLabel_ || !invisibleSwitch_.Create(strip, kIdInvisibleSwitch, none)) return false;
  ::ShowWindow(invisibleSwitch_.hwnd(), SW_SHOW);
  invisibleSwitch_.onChanged = [this](bool) { host().RefreshCommand(); };
  // They act on a window row: disabled until one has the focus.
  actions().Add(L"隐藏", [] {}).SetEnabled(false);
  actions().Add(L"关闭", [] {}).SetEnabled(false);
  return true;
}

void WindowsPage::OnLayoutStrip(int /*width*/, int height) {
  const ui::Dpi& dpi = host().Dpi();
  const int row = dpi.Scale(24);
  const int y = (height - row) / 2;
  ::MoveWindow(processList_, 0, y, dpi.Scale(300), dpi.Scale(300), TRUE);
  ::MoveWindow(invisibleLabel_, dpi.Scale(308), y, dpi.Scale(110), row, TRUE);
  ::MoveWindow(invisibleSwitch_.hwnd(), dpi.Scale(422), y, dpi.Scale(52), row, TRUE);
}

void WindowsPage::ApplyDpi(const ui::Dpi& dpi) {
  TreePage::ApplyDpi(dpi);
  invisibleSwitch_.ApplyDpi(dpi);
}

void WindowsPage::OnCommand(WORD id, WORD code, HWND /*control*/) {
  if (id == kIdProcessList && code == CBN_SELCHANGE) host().RefreshCommand();
}

void WindowsPage::Refresh(Refresher step, const std::wstring& /*filter*/) {
  if (step == Refresher::Windows) RefreshWindows();
}

int64_t WindowsPage::ChosenPid() const {
  const LRESULT index = ::SendMessageW(processList_, CB_GETCURSEL, 0, 0);
  if (index < 0 || index >= ::SendMessageW(processList_, CB_GETCOUNT, 0, 0)) return -1;
  return static_cast<int64_t>(::SendMessageW(processList_, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

bool WindowsPage::Choose(int64_t pid) {
  const LRESULT count = ::SendMessageW(processList_, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    if (static_cast<int64_t>(::SendMessageW(processList_, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) != pid) continue;
    ::SendMessageW(processList_, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    return true;
  }
  ::SendMessageW(processList_, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  return false;
}

void WindowsPage::OnWindowedProcesses(const std::vector<ProcessChoice>& processes) {
  // The chosen process stays chosen while it has windows.
  const int64_t keep = ChosenPid();
  ::SendMessageW(processList_, CB_RESETCONTENT, 0, 0);
  for (const ProcessChoice& p : processes) {
    const LRESULT index = ::SendMessageW(processList_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p.caption.c_str()));
    if (index >= 0) ::SendMessageW(processList_, CB_SETITEMDATA, static_cast<WPARAM>(index), p.pid);
  }
  if (keep >= 0) Choose(keep);
}

void WindowsPage::OnProcessFocused(uint32_t pid) {
  // No choice when the focused process has no windows.
  Choose(pid);
  RefreshWindows();
}

void WindowsPage::RefreshWindows() {
  // The reader that fills this list is not built yet: the list is rebuilt empty.
  ui::TreeGrid::UpdateBlock block(tree());
  tree().Clear();
}

}  // namespace vantrel::app
