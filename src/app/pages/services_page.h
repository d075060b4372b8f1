// The services page: the services of the local manager, the bottom panel of the focused one, start, stop,
// resume and uninstall, and the services console.
#pragma once

#include <string>

#include "app/pages/page.h"
#include "controls/inspector.h"
#include "core/services/service_rules.h"
#include "system/raii.h"
#include "system/services/service_actions.h"

namespace vantrel::app {

class ServicesPage : public TreePage {
 public:
  ServicesPage();
  bool UsesNameFilter() const override { return true; }
  void Refresh(Refresher step, const std::wstring& filter) override;
  void BeforeFullRefresh(const SystemImageLists& lists) override;
  void ApplyDpi(const ui::Dpi& dpi) override;
  // Rebuilds the list from the system; the name filter keeps display names that begin with it (empty: all).
  void RefreshServices(const std::wstring& filter);

  // The button handlers: each copies its target before asking, and acts on a worker.
  void ControlFocusedService();
  void UninstallFocusedService();
  void OpenServiceManager();

  // --- what the user sees, for tests ---
  const ActionBar::Button& ControlButton() const { return *control_; }
  const ActionBar::Button& UninstallButton() const { return *uninstall_; }
  const ActionBar::Button& ManagerButton() const { return *manager_; }
  ui::HeaderStrip& Panel() { return panel_; }
  // The first row whose name equals name in any letter case, or nullptr.
  ui::TreeNode* FindServiceNode(const std::wstring& name);
  // An action started and its result has not come back yet.
  bool ActionRunning() const { return actionsRunning_ > 0; }

 protected:
  bool OnCreate() override;
  void OnLayout(int width, int height) override;

 private:
  void FollowFocusedRow();
  void ShowPanel(const TServiceRecord* record);
  void RunAction(const TServiceTarget& target, bool uninstall);
  void ActionDone(const TServiceTarget& target, bool uninstall, const TServiceOutcome& outcome);

  ActionBar::Button* control_ = nullptr;
  ActionBar::Button* uninstall_ = nullptr;
  ActionBar::Button* manager_ = nullptr;
  ui::HeaderStrip panel_;
  win::UniqueIcon panelIcon_;
  HIMAGELIST largeImages_ = nullptr;  // the shell's: not owned
  int defaultImage_ = 0;
  int actionsRunning_ = 0;
};

}  // namespace vantrel::app
