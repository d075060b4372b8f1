#include "app/pages/process_details_pages.h"

#include <commctrl.h>

#include <vector>

#include "app/pages/process_details_texts.h"

namespace vantrel::app {
namespace texts = process_details_texts;

bool ProcessDetailsPages::Create(HWND parent, PageHost& host, HWND inspector) {
  if (!container_.Create(parent)) return false;
  tabs_ = ::CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 0, 0,
                            container_.hwnd(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (!tabs_) return false;
  ::SendMessageW(tabs_, WM_SETFONT, reinterpret_cast<WPARAM>(host.UiFont()), FALSE);
  const wchar_t* captions[] = {texts::kInfoTab, texts::kModulesTab, texts::kHandlesTab};
  for (int i = 0; i < 3; ++i) {
    std::wstring text = captions[i];
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    ::SendMessageW(tabs_, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  inspector_ = inspector;
  ::SetParent(inspector_, container_.hwnd());
  if (!modules_.Create(container_.hwnd(), host) || !handles_.Create(container_.hwnd(), host)) return false;
  modules_.onCaption = [this](const std::wstring& c) { SetCaption(kModules, c); };
  handles_.onCaption = [this](const std::wstring& c) { SetCaption(kHandles, c); };
  modules_.onOpenHandles = [this] { Select(kHandles); };
  container_.onMessage = [this](UINT msg, WPARAM, LPARAM lParam, LRESULT*) {
    if (msg == WM_SIZE) Layout();
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->hwndFrom == tabs_ &&
        reinterpret_cast<NMHDR*>(lParam)->code == TCN_SELCHANGE)
      ShowSelected();
    return false;
  };
  ::ShowWindow(container_.hwnd(), SW_SHOW);
  ShowSelected();
  return true;
}

void ProcessDetailsPages::ApplyDpi(const ui::Dpi& dpi) {
  modules_.ApplyDpi(dpi);
  handles_.ApplyDpi(dpi);
  Layout();
}

void ProcessDetailsPages::ShowProcess(const ProcessRecord& process) {
  target_ = {process.PID, process.Name, process.Is64bit};
  pending_ = true;
  if (shown_) Read();
}

void ProcessDetailsPages::SetShown(bool shown) {
  shown_ = shown;
  if (shown_ && pending_) Read();
}

void ProcessDetailsPages::Read() {
  pending_ = false;
  modules_.Refresh(target_.pid, target_.name, target_.is64bit);
  handles_.Refresh(target_.pid);
}

void ProcessDetailsPages::Select(SubPage page) {
  ::SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
  ShowSelected();
}

ProcessDetailsPages::SubPage ProcessDetailsPages::Selected() const {
  const LRESULT sel = ::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0);
  return sel == kModules || sel == kHandles ? static_cast<SubPage>(sel) : kInfo;
}

std::wstring ProcessDetailsPages::Caption(SubPage page) const {
  wchar_t buf[64] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = buf;
  item.cchTextMax = 64;
  ::SendMessageW(tabs_, TCM_GETITEMW, static_cast<WPARAM>(page), reinterpret_cast<LPARAM>(&item));
  return buf;
}

void ProcessDetailsPages::SetCaption(SubPage page, const std::wstring& caption) {
  std::wstring text = caption;
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text.data();
  ::SendMessageW(tabs_, TCM_SETITEMW, static_cast<WPARAM>(page), reinterpret_cast<LPARAM>(&item));
}

void ProcessDetailsPages::Layout() {
  RECT rc;
  ::GetClientRect(container_.hwnd(), &rc);
  ::MoveWindow(tabs_, 0, 0, rc.right, rc.bottom, TRUE);
  RECT area = rc;
  ::SendMessageW(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  ::MoveWindow(inspector_, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
  modules_.Layout(area);
  handles_.Layout(area);
  // The pages lie above the tab control's face.
  for (HWND page : {inspector_, modules_.tree().hwnd(), modules_.label(), handles_.tree().hwnd()})
    ::SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void ProcessDetailsPages::ShowSelected() {
  const SubPage page = Selected();
  ::ShowWindow(inspector_, page == kInfo ? SW_SHOW : SW_HIDE);
  modules_.Show(page == kModules);
  handles_.Show(page == kHandles);
}

}  // namespace vantrel::app
