// The three sub-pages of the process details panel: " 信息 " (the inspector the processes page fills), " 模块 "
// and " 句柄 ", behind a small tab control; the modules and handles follow the focused process.
#pragma once

#include <windows.h>

#include <string>

#include "app/pages/page.h"
#include "app/pages/process_handles_view.h"
#include "app/pages/process_modules_view.h"
#include "controls/container.h"
#include "core/process/process_record.h"

namespace vantrel::app {

class ProcessDetailsPages {
 public:
  enum SubPage { kInfo = 0, kModules = 1, kHandles = 2 };

  // Creates the tab control and the lists in a container under parent; the inspector is made a child of it.
  bool Create(HWND parent, PageHost& host, HWND inspector);
  HWND hwnd() const { return container_.hwnd(); }
  void ApplyDpi(const ui::Dpi& dpi);

  // The focused process changed: its modules, and its handles unless the PID is 0. Read at once while the panel
  // shows, else when it next shows: a folded panel costs no reads on each refresh.
  void ShowProcess(const ProcessRecord& process);
  // The panel was unfolded (true) or folded.
  void SetShown(bool shown);
  bool ReadPending() const { return pending_; }

  void Select(SubPage page);
  SubPage Selected() const;
  std::wstring Caption(SubPage page) const;

  ProcessModulesView& Modules() { return modules_; }
  ProcessHandlesView& Handles() { return handles_; }

 private:
  void SetCaption(SubPage page, const std::wstring& caption);
  void Layout();
  void ShowSelected();
  void Read();

  struct Target {
    uint32_t pid = 0;
    std::wstring name;
    bool is64bit = false;
  };
  Target target_;
  bool pending_ = false;
  bool shown_ = false;
  ui::Container container_;
  HWND tabs_ = nullptr;
  HWND inspector_ = nullptr;
  ProcessModulesView modules_;
  ProcessHandlesView handles_;
};

}  // namespace vantrel::app
