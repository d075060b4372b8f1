// The main window: the band of controls above the pages, the page control with the pages, the action bar below
// them, and the start-up sequence. Pages own their controls and actions; the frame lays out, dispatches and runs
// the refresh plans.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/frame/action_bar.h"
#include "app/features/find_window.h"
#include "app/frame/page_tabs.h"
#include "app/pages/page.h"
#include "app/frame/control_hints.h"
#include "app/frame/cpu_load_source.h"
#include "app/frame/program_menu.h"
#include "app/frame/system_menu_items.h"
#include "app/frame/refresh_cycle.h"
#include "app/single_instance.h"
#include "app/startup_environment.h"
#include "app/features/tray_icon.h"
#include "app/features/update_prompt.h"
#include "app/frame/window_thread_handoff.h"
#include "controls/dpi.h"
#include "controls/simple_controls.h"
#include "controls/window.h"
#include "core/shell/command_line.h"
#include "core/shell/pages.h"
#include "system/raii.h"

namespace vantrel::app {

class MainWindow : public ui::Window, public PageHost {
 public:
  MainWindow(CommandLineSwitches switches, StartupEnvironment env = StartupEnvironment::Default());
  ~MainWindow() override;

  // Creates the window (hidden) and runs the start-up sequence. False when the program must end now (the help
  // switch, or the window could not be created).
  bool CreateAndStart();
  // Shows the window as the switches say (maximised, or not at all when hidden).
  void ShowAtStart(int showCommand);
  // The single-instance lock: let go when the window is destroyed, and around the start of the elevated copy.
  void SetInstanceLock(SingleInstance* lock) { instance_ = lock; }
  // The window sees key strokes before its controls: call for every message of the loop.
  bool PreTranslateMessage(MSG& msg);

  // The manual refresh of the active page, and F5's refresh of every page.
  void RefreshActivePage();
  void RefreshAllPages();
  void SetActivePage(int page);
  int ActivePage() const override { return activePage_; }
  void SetLogTabVisible(bool visible);
  void WriteLog(const std::wstring& text) override;

  Page& PageAt(int page) { return *pages_.at(static_cast<size_t>(page)); }
  PageTabs& Tabs() { return tabs_; }
  ui::FilterBox& NameFilter() { return nameFilter_; }
  ui::SpinBox& IntervalEdit() { return intervalEdit_; }
  ui::OnOffSwitch& AutoSwitch() { return autoSwitch_; }
  ProgramMenu& Menu() { return programMenu_; }
  const ControlHints& Hints() const { return hints_; }
  HWND IconImage() const { return iconImage_; }
  TrayIcon& Tray() { return tray_; }
  CpuLoadSource& CpuMeter() { return cpuMeter_; }
  ActionBar& Actions() { return actionBar_; }
  UpdatePrompt* Updates() { return updatePrompt_.get(); }
  const ActionBar::Button& ElevationButton() const { return *elevation_; }
  // "查找句柄或 DLL": opened on first use, brought forward after.
  void OpenFindWindow();
  FindWindow* Finder() { return find_.get(); }
  bool SessionNotificationsRegistered() const { return sessionNotificationsRegistered_; }
  // How each step of a refresh is carried out; tests record the steps instead.
  std::function<void(const RefreshStep&)> refreshExecutor;

  // --- PageHost ---
  HWND OwnerWindow() const override { return hwnd(); }
  const ui::Dpi& Dpi() const override { return dpi_; }
  HFONT UiFont() const override { return font_.get(); }
  void SetPageCaption(int page, const std::wstring& caption) override { tabs_.SetCaption(page, caption); }
  void SetPageTabVisible(int page, bool visible) override;
  bool AutoRefresh() const override { return refresh_.AutoRefresh(); }
  RefreshCycle& Refresh() override { return refresh_; }
  void RefreshCommand() override { RefreshActivePage(); }
  WindowThreadHandoff& Handoff() override { return handoff_; }
  PageFeeds& Feeds() override { return feeds_; }
  void BeginBackgroundWork() override;
  void EndBackgroundWork() override;
  int BackgroundWork() const { return backgroundWork_; }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool Start();
  void PlaceInWorkArea();
  bool CreateControls();
  void CreateTopBand();
  void CreateSharedButtons();
  void ApplyDpi(const ui::Dpi& dpi);
  void LayoutControls();
  void RefreshPages(RefreshKind kind);
  void RunRefreshStep(const RefreshStep& step);
  void OnRefreshTimer();
  void RunDeferredRefresh();
  void OnActivePageChanged();
  void OnAutoRefreshChanged(bool on);
  void OnIntervalChanged();
  void OnKeyUp(WPARAM key);
  void OnClose();
  void FocusActiveList();
  // The tray icon and the caption clock show the load the meter publishes.
  void FollowCpuLoad();
  // main_window_keys.cpp
  bool OnShortcutKey(const MSG& msg);
  bool OnShortcutTimer(UINT_PTR id);
  // The find item goes into the program menu before the item `before` (the snapshot).
  void AttachFindWindowFeed(ProgramMenu::ItemId before);
  void DetachFindWindowFeed();
  void ShowProcessesPageForRequest();
  void StepPage(int direction);
  void MoveFocusByTab(bool backward);
  void FocusNameFilter();
  void ApplyTypedFilter();

  CommandLineSwitches switches_;
  StartupEnvironment env_;
  ui::Dpi dpi_;
  win::UniqueFont font_;
  HICON appIcon_ = nullptr;  // shared icons of the module: never destroyed
  HICON appIconSmall_ = nullptr;
  HACCEL accelerators_ = nullptr;

  // Above the pages.
  HWND iconImage_ = nullptr;
  ui::FilterBox nameFilter_;
  HWND intervalLabel_ = nullptr;
  ui::SpinBox intervalEdit_;
  ui::OnOffSwitch autoSwitch_;
  ProgramMenu programMenu_;
  SystemMenuItems systemMenu_;
  bool maximiseWhenShown_ = false;
  ControlHints hints_;
  TrayIcon tray_;
  // Sets the replacement item's check marks from the registry (on every activation).
  std::function<void()> syncReplacementMark_;
  // The buttons below the pages outlive the pages, which hold their buttons.
  ActionBar actionBar_;
  ActionBar::Button* elevation_ = nullptr;
  SingleInstance* instance_ = nullptr;  // not owned; none in tests that build the window alone
  PageTabs tabs_;
  std::vector<std::unique_ptr<Page>> pages_;

  RefreshCycle refresh_;
  WindowThreadHandoff handoff_;
  std::unique_ptr<FindWindow> find_;            // after handoff_: its search goes first
  std::wstring appliedFilter_;                  // the name filter's text its last refresh used
  std::unique_ptr<UpdatePrompt> updatePrompt_;  // after handoff_: goes first, its worker still posting into it
  PageFeeds feeds_;
  CpuLoadSource cpuMeter_;  // after feeds_: stops before the feed it publishes on goes
  int activePage_ = kPageProcesses;
  bool sessionNotificationsRegistered_ = false;
  int backgroundWork_ = 0;  // actions running on workers for the window
};

}  // namespace vantrel::app
