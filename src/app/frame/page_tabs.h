// The page control's tabs: one per page, the log tab only while it is shown, captions that carry row counts.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "core/shell/pages.h"

namespace vantrel::app {

class PageTabs {
 public:
  PageTabs();
  // Creates the tab control with every page but the log.
  bool Create(HWND parent, int id);
  HWND hwnd() const { return tabs_; }

  bool LogTabVisible() const { return TabVisible(kPageLog); }
  void SetLogTabVisible(bool visible) { SetTabVisible(kPageLog, visible); }
  bool TabVisible(int page) const { return TabOf(page) >= 0; }
  // A shown tab takes its place in page order.
  void SetTabVisible(int page, bool visible);
  // A hidden tab keeps its caption for when it is shown.
  void SetCaption(int page, const std::wstring& caption);
  std::wstring Caption(int page) const;
  // Selects the page's tab; false when the page has no tab.
  bool Select(int page);
  // The page of the selected tab, or -1.
  int SelectedPage() const;
  // The display area, in the coordinates of the tab control's parent.
  RECT DisplayArea() const;

 private:
  int TabOf(int page) const;

  HWND tabs_ = nullptr;
  std::vector<int> tabPages_;  // page index of each tab
  std::array<std::wstring, kPageCount> captions_;
};

}  // namespace vantrel::app
