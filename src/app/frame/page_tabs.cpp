#include "app/frame/page_tabs.h"

#include <commctrl.h>

#include <algorithm>

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

void PageTabs::SetTabVisible(int page, bool visible) {
  if (page < 0 || page >= kPageCount || visible == TabVisible(page)) return;
  if (visible) {
    const auto at = std::find_if(tabPages_.begin(), tabPages_.end(), [page](int p) { return p > page; });
    const auto tab = static_cast<WPARAM>(at - tabPages_.begin());
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = captions_[static_cast<size_t>(page)].data();
    ::SendMessageW(tabs_, TCM_INSERTITEMW, tab, reinterpret_cast<LPARAM>(&item));
    tabPages_.insert(at, page);
  } else {
    const int tab = TabOf(page);
    ::SendMessageW(tabs_, TCM_DELETEITEM, static_cast<WPARAM>(tab), 0);
    tabPages_.erase(tabPages_.begin() + tab);
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
