// The services page: the services of the local manager, the bottom panel of the focused one, start, stop,
// resume and uninstall, and the services console.
#pragma once

#include <memory>
#include <string>

#include "app/pages/latest_read.h"
#include "app/pages/action_runner.h"
#include "app/pages/page.h"
#include "controls/inspector.h"
#include "core/services/service_rules.h"
#include "system/raii.h"
#include "system/services/service_actions.h"
#include "system/services/service_reader.h"

namespace vantrel::app {

class ServicesPage : public TreePage {
 public:
  ServicesPage();
  bool UsesNameFilter() const override { return true; }
  void Refresh(Refresher step, const std::wstring& filter) override;
  void BeforeFullRefresh(const SystemImageLists& lists) override;
  void ApplyDpi(const ui::Dpi& dpi) override;
  // Reads the services on a worker and rebuilds the list when they arrive; until then the list shows the last
  // read. The name filter keeps display names that begin with it (empty: all).
  void RefreshServices(const std::wstring& filter);
  // Replaces the reader (tests count its file reads). Only before the first refresh.
  void SetReader(std::shared_ptr<ServicesReader> reader) { reader_ = std::move(reader); }

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
  bool ActionRunning() const { return action_.Running(); }
  // A read runs or waits; the list shows the previous one.
  bool Reading() const { return read_.Busy(); }
  // The number of reads that reached the list.
  int ReadsShown() const { return readsShown_; }

 protected:
  bool OnCreate() override;
  void OnLayout(int width, int height) override;

 private:
  void ShowServices(ServicesRead read, bool keepTop);
  void FollowFocusedRow();
  void ShowPanel(const ServiceRecord* record);
  void RunAction(const ServiceTarget& target, bool uninstall);

  ActionBar::Button* control_ = nullptr;
  ActionBar::Button* uninstall_ = nullptr;
  ActionBar::Button* manager_ = nullptr;
  ui::HeaderStrip panel_;
  win::UniqueIcon panelIcon_;
  HIMAGELIST largeImages_ = nullptr;  // the shell's: not owned
  int defaultImage_ = 0;
  ActionRunner action_{[this] { FollowFocusedRow(); }};
  int readsShown_ = 0;
  // Shared with the worker that reads, which may outlive the page.
  std::shared_ptr<ServicesReader> reader_ = std::make_shared<ServicesReader>();
  LatestRead read_;
};

}  // namespace vantrel::app
