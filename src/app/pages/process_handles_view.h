// The handles sub-page of the process details: the focused process's named handles, listed on a worker so that a
// file whose name query hangs never stalls the window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "app/pages/latest_read.h"
#include "app/pages/page.h"
#include "controls/tree_grid.h"
#include "system/process/handle_list.h"

namespace vantrel::app {

class ProcessHandlesView {
 public:
  bool Create(HWND parent, PageHost& host);
  void Layout(const RECT& area) {
    ::MoveWindow(tree_.hwnd(), area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
  }
  void Show(bool visible) { ::ShowWindow(tree_.hwnd(), visible ? SW_SHOW : SW_HIDE); }
  void ApplyDpi(const ui::Dpi& dpi) { tree_.ApplyDpi(dpi); }

  // Lists the handles of the process; PID 0 keeps what the list shows.
  void Refresh(uint32_t pid);

  std::function<void(const std::wstring& caption)> onCaption;

  // The next listing focuses its row of this key (a handle value's text, a module's full path).
  void FocusAfterRead(std::wstring key) { focusAfterRead_ = std::move(key); }

  // --- for tests ---
  ui::TreeGrid& tree() { return tree_; }
  bool Busy() const { return read_.Busy(); }
  // The listing's options (a test makes a file-name query hang through them).
  HandleListOptions& Options() { return options_; }

 private:
  void Fill(std::vector<HandleRecord> handles);

  PageHost* host_ = nullptr;
  ui::TreeGrid tree_;
  HandleListOptions options_;
  LatestRead read_;
  uint32_t listedPid_ = UINT32_MAX;  // whose rows the list holds or is reading
  std::wstring focusAfterRead_;
};

}  // namespace vantrel::app
