// "查找句柄或 DLL": a window of its own, owned by the main window and not modal, that searches every process for
// handles and modules whose names hold a text. Results stream in while the search runs; Enter or a double click on
// one shows it on the processes page.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/features/find_search.h"
#include "app/feeds/process_row_feed.h"
#include "app/frame/window_thread_handoff.h"
#include "controls/dpi.h"
#include "controls/tree_grid.h"
#include "controls/window.h"
#include "system/raii.h"

namespace vantrel::app {

class FindWindow : public ui::Window {
 public:
  // rows reaches the processes page; showProcessesPage brings the main window forward on that page with nothing
  // filtering its list.
  FindWindow(HWND owner, WindowThreadHandoff& handoff, ProcessRowFeed& rows, std::function<void()> showProcessesPage);
  ~FindWindow() override;

  // Creates the window on first use, else brings it forward; the text is selected in either case.
  void Open();
  void Close();
  bool IsOpen() const { return hwnd() != nullptr; }
  // Its keys before its controls: the main window's loop calls this for every message.
  bool PreTranslateMessage(MSG& msg);

  void StartSearch();
  void CancelSearch() { search_.Cancel(); }
  // Shows the focused result on the processes page; false when there is none.
  bool GoToFocusedResult();

  // --- for tests ---
  HWND Edit() const { return edit_; }
  HWND Status() const { return status_; }
  ui::TreeGrid& Results() { return results_; }
  FindSearch& Search() { return search_; }
  std::wstring StatusText() const;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool CreateControls();
  void ApplyDpi(const ui::Dpi& dpi);
  void Layout();
  void PlaceOverOwner();
  void AddResults(std::vector<FindResult> results);
  void SetStatus(const std::wstring& text);

  HWND owner_;
  WindowThreadHandoff& handoff_;
  ProcessRowFeed& rows_;
  std::function<void()> showProcessesPage_;
  ui::Dpi dpi_;
  win::UniqueFont font_;
  HWND edit_ = nullptr;
  HWND button_ = nullptr;
  HWND status_ = nullptr;
  ui::TreeGrid results_;
  FindSearch search_;
};

}  // namespace vantrel::app
