// The modules sub-page of the process details: the focused process's modules, read on a worker, sorted by name
// with the main module focused; a label in place of the list where this build cannot read them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "app/pages/latest_read.h"
#include "app/pages/page.h"
#include "controls/tree_grid.h"
#include "core/process/module_records.h"

namespace vantrel::app {

class ProcessModulesView {
 public:
  bool Create(HWND parent, PageHost& host);
  void Layout(const RECT& area);
  void Show(bool visible);
  void ApplyDpi(const ui::Dpi& dpi) { tree_.ApplyDpi(dpi); }

  // Lists the modules of the process (its name picks the main module).
  void Refresh(uint32_t pid, const std::wstring& processName, bool is64bit);

  std::function<void(const std::wstring& caption)> onCaption;
  std::function<void()> onOpenHandles;  // a double-click on a module

  // The next listing focuses its row of this key (a handle value's text, a module's full path).
  void FocusAfterRead(std::wstring key) { focusAfterRead_ = std::move(key); }

  // --- for tests ---
  ui::TreeGrid& tree() { return tree_; }
  HWND label() const { return label_; }
  bool Busy() const { return read_.Busy(); }
  bool ListShown() const { return listShown_; }

 private:
  void Fill(std::vector<ModuleRecord> modules, const std::wstring& processName);
  void ShowList(bool shown);

  PageHost* host_ = nullptr;
  ui::TreeGrid tree_;
  HWND label_ = nullptr;
  bool visible_ = false;
  bool listShown_ = true;
  LatestRead read_;
  uint32_t listedPid_ = UINT32_MAX;  // whose rows the list holds or is reading
  std::wstring focusAfterRead_;
};

}  // namespace vantrel::app
