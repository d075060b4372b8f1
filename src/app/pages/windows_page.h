// The windows page: the top-level windows of the process chosen in its process list, which follows the processes
// page (the processes that have windows, and the focused one).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/pages/page.h"
#include "controls/simple_controls.h"

namespace vantrel::app {

class WindowsPage : public TreePage {
 public:
  WindowsPage();
  void Refresh(Refresher step, const std::wstring& filter) override;
  void OnWindowedProcesses(const std::vector<ProcessChoice>& processes) override;
  void OnProcessFocused(uint32_t pid) override;
  void ApplyDpi(const ui::Dpi& dpi) override;
  // Rebuilds the list from the system for the chosen process.
  void RefreshWindows();
  // The chosen process, or -1.
  int64_t ChosenPid() const;
  HWND ProcessList() const { return processList_; }

 protected:
  bool OnCreate() override;
  void OnLayoutStrip(int width, int height) override;
  void OnCommand(WORD id, WORD code, HWND control) override;

 private:
  bool Choose(int64_t pid);

  HWND processList_ = nullptr;
  HWND invisibleLabel_ = nullptr;
  ui::OnOffSwitch invisibleSwitch_;
};

}  // namespace vantrel::app
