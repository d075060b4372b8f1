// The windows page: the windows of the process chosen in its process list (which follows the processes page) as
// a tree by parent and owner, the invisible-windows switch, the details panel, and showing, hiding and closing a
// window. The windows are read on a worker, since a hung window may keep each text read waiting for its bound;
// the list is rebuilt when the records come back, and a newer read supersedes an older one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/pages/latest_read.h"
#include "app/pages/page.h"
#include "controls/collapsible_panel.h"
#include "controls/inspector.h"
#include "controls/simple_controls.h"
#include "core/windows/window_info.h"

namespace vantrel::app {

class WindowsPage : public TreePage {
 public:
  WindowsPage();
  ~WindowsPage() override;
  void Refresh(Refresher step, const std::wstring& filter) override;
  void ApplyDpi(const ui::Dpi& dpi) override;
  void BeforeFullRefresh(const SystemImageLists& lists) override;
  // Starts reading the chosen process's windows; the list is rebuilt when they arrive. No process: emptied now.
  void RefreshWindows();
  // The chosen process, or -1.
  int64_t ChosenPid() const;

  // --- what the user sees, for tests ---
  HWND ProcessList() const { return processList_; }
  ui::OnOffSwitch& InvisibleSwitch() { return invisibleSwitch_; }
  const ActionBar::Button& VisibilityButton() const { return *visibility_; }
  const ActionBar::Button& CloseButton() const { return *close_; }
  ui::CollapsiblePanel& DetailsPanel() { return details_; }
  ui::PropertyInspector& Inspector() { return inspector_; }
  // A read has been started and its records have not been shown yet.
  bool ReadPending() const { return windowsRead_.Busy(); }
  // The first row, in tree order, of a window handle.
  ui::TreeNode* FindWindowNode(uint32_t handle);

 protected:
  bool OnCreate() override;
  void OnLayout(int width, int height) override;
  void OnLayoutStrip(int width, int height) override;
  void OnCommand(WORD id, WORD code, HWND control) override;

 private:
  // It follows the processes page: the processes with windows to choose from, and the focused one.
  void OfferProcesses(const std::vector<ProcessChoice>& processes);
  void FollowFocusedProcess(uint32_t pid);
  bool CreateStrip();
  bool Choose(int64_t pid);
  void OnWindowsRead(std::vector<WindowInfo> windows, const std::wstring& error);
  void ShowWindows(std::vector<WindowInfo> windows);
  void OnFocusChanged(ui::TreeNode* node);
  void ActOnFocusedWindow(bool close);

  HWND processList_ = nullptr;
  HWND invisibleLabel_ = nullptr;
  ui::OnOffSwitch invisibleSwitch_;
  ActionBar::Button* visibility_ = nullptr;
  ActionBar::Button* close_ = nullptr;
  ui::CollapsiblePanel details_;
  ui::PropertyInspector inspector_;
  HIMAGELIST images_ = nullptr;  // a visible and an invisible window; owned
  LatestRead windowsRead_;
};

}  // namespace vantrel::app
