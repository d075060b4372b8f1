#include "app/page_tabs.h"

#include <commctrl.h>

namespace vantrel::app {

PageTabs::PageTabs() {
  for (int p = 0; p < kPageCount; ++p) captions_[static_cast<size_t>(p)] = std::wstring(kPageCaptions[p]);
}

bool PageTabs::Create(HWND parent, int id) {
  tabs_ = ::CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 0, 0,
                            parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr),
                            nullptr);
  if (!tabs_) return false;
  for (int p = 0; p < kPageLog; ++p) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = captions_[static_cast<size_t>(p)].data();
    ::SendMessageW(tabs_, TCM_INSERTITEMW, static_cast<WPARAM>(p), reinterpret_cast<LPARAM>(&item));
    tabPages_.push_back(p);
  }
  return true;
}

void PageTabs::SetLogTabVisible(bool visible) {
  if (visible == LogTabVisible()) return;
  if (visible) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = captions_[kPageLog].data();
    ::SendMessageW(tabs_, TCM_INSERTITEMW, static_cast<WPARAM>(tabPages_.size()), reinterpret_cast<LPARAM>(&item));
    tabPages_.push_back(kPageLog);
  } else {
    ::SendMessageW(tabs_, TCM_DELETEITEM, static_cast<WPARAM>(TabOf(kPageLog)), 0);
    tabPages_.pop_back();
  }
  ::InvalidateRect(tabs_, nullptr, TRUE);
}

void PageTabs::SetCaption(int page, const std::wstring& caption) {
  if (page < 0 || page >= kPageCount) return;
  captions_[static_cast<size_t>(page)] = caption;
  const int tab = TabOf(page);
  if (tab < 0) return;
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = captions_[static_cast<size_t>(page)].data();
  ::SendMessageW(tabs_, TCM_SETITEMW, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item));
}

std::wstring PageTabs::Caption(int page) const {
  return page >= 0 && page < kPageCount ? captions_[static_cast<size_t>(page)] : std::wstring();
}

bool PageTabs::Select(int page) {
  const int tab = TabOf(page);
  if (tab < 0) return false;
  ::SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
  return true;
}

int PageTabs::SelectedPage() const {
  const int tab = static_cast<int>(::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0));
  return tab >= 0 && tab < static_cast<int>(tabPages_.size()) ? tabPages_[static_cast<size_t>(tab)] : -1;
}

RECT PageTabs::DisplayArea() const {
  RECT rc{};
  ::GetWindowRect(tabs_, &rc);
  ::MapWindowPoints(nullptr, ::GetParent(tabs_), reinterpret_cast<POINT*>(&rc), 2);
  ::SendMessageW(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
  return rc;
}

int PageTabs::TabOf(int page) const {
  for (size_t i = 0; i < tabPages_.size(); ++i)
    if (tabPages_[i] == page) return static_cast<int>(i);
  return -1;
}

}  // namespace vantrel::app
