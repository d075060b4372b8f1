// A page of the main window: a container window over the page control's display area that owns its controls,
// an optional strip of controls in the band above the pages, and its group of buttons in the action bar. Its
// controls' notifications, colours and menus arrive here, never at the frame.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/frame/action_bar.h"
#include "app/ui/context_menu.h"
#include "app/feeds/page_feeds.h"
#include "app/frame/refresh_cycle.h"
#include "app/startup_environment.h"
#include "app/ui/system_image_lists.h"
#include "app/frame/window_thread_handoff.h"
#include "controls/container.h"
#include "controls/dpi.h"
#include "controls/tree_grid.h"
#include "controls/window.h"
#include "core/process/process_record.h"
#include "core/shell/command_line.h"
#include "core/shell/refresh_plan.h"

namespace vantrel::app {

// What a page may ask of the window around it.
class PageHost {
 public:
  virtual HWND OwnerWindow() const = 0;
  virtual const ui::Dpi& Dpi() const = 0;
  virtual HFONT UiFont() const = 0;
  virtual void WriteLog(const std::wstring& line) = 0;
  virtual void SetPageCaption(int page, const std::wstring& caption) = 0;
  // Shows or hides a page's tab; hiding the active one moves to the processes page.
  virtual void SetPageTabVisible(int page, bool visible) = 0;
  // The automatic-refresh switch, whether or not the timer is paused right now.
  virtual bool AutoRefresh() const = 0;
  virtual int ActivePage() const = 0;
  virtual RefreshCycle& Refresh() = 0;
  // The manual refresh of the active page (after an action or a change of a page's own filter).
  virtual void RefreshCommand() = 0;
  virtual WindowThreadHandoff& Handoff() = 0;
  // What the pages tell each other.
  virtual PageFeeds& Feeds() = 0;
  // An action runs on a worker for the window: the busy cursor shows until each begin has its end.
  virtual void BeginBackgroundWork() = 0;
  virtual void EndBackgroundWork() = 0;

 protected:
  ~PageHost() = default;
};

class Page : public ui::Window {
 public:
  ~Page() override = default;

  // Where the page sits among the pages (its index in the page control).
  int Position() const { return index_; }
  // Creates the page's windows, hidden: the container as a child of the main window, the strip when the page has
  // top controls, and the page's buttons in its action-bar group.
  bool Create(PageHost& host, ActionBar& actions);

  // Places the container over the display area and, when active, the strip in the band above the pages.
  void Layout(const RECT& area, const RECT& strip);
  void Activate(bool active);
  bool Active() const { return active_; }

  // Runs one step of a refresh plan that belongs to this page.
  virtual void Refresh(Refresher /*step*/, const std::wstring& /*filter*/) {}
  // The name filter above the pages applies to this page's list.
  virtual bool UsesNameFilter() const { return false; }
  // The window that takes the keyboard focus when the page becomes active, or nullptr.
  virtual HWND FocusTarget() const { return nullptr; }
  virtual void ApplyDpi(const ui::Dpi& dpi);
  // The list that "导出..." saves, or nullptr.
  virtual ui::TreeGrid* ExportList() { return nullptr; }
  // The start-up sequence hands each page the switches and the facts read at start, before the first refresh.
  virtual void Start(const CommandLineSwitches& /*switches*/, const StartupEnvironment& /*env*/) {}
  // A full refresh (F5) begins: a page may renew what it reads only then. The shell's image lists and stock icon
  // indexes are read once for all pages.
  virtual void BeforeFullRefresh(const SystemImageLists& /*lists*/) {}
  // The automatic-refresh switch changed.
  virtual void OnAutoRefreshChanged(bool /*on*/) {}
  // The window of the strip's controls, or nullptr when the page has none.
  HWND StripHwnd() const { return strip_ ? strip_->hwnd() : nullptr; }
  // The context menu a right click on target shows (tests run its items without the modal menu).
  ContextMenu BuildContextMenu(HWND target);

 protected:
  explicit Page(int index) : index_(index) {}
  PageHost& host() const { return *host_; }
  ActionBar::Group& actions() const { return *actions_; }
  // Parent of the strip's controls (created on first use).
  HWND Strip();
  // A row of the strip: a drop-down list, then a label and its on/off switch. Widths in design pixels (96 DPI).
  struct StripRow {
    HWND list;
    int listWidth;
    int dropHeight;
    HWND label;
    int labelWidth;
    HWND onOff;
  };
  void LayoutStripRow(int height, const StripRow& row);

  // Creates the page's own children (of hwnd() and of Strip()) and buttons.
  virtual bool OnCreate() = 0;
  // Lays out the children inside the container's client area and the strip's.
  virtual void OnLayout(int width, int height) = 0;
  virtual void OnLayoutStrip(int /*width*/, int /*height*/) {}
  // Child notifications from the container or the strip.
  virtual void OnCommand(WORD /*id*/, WORD /*code*/, HWND /*control*/) {}
  virtual LRESULT OnNotify(NMHDR* /*hdr*/) { return 0; }
  // The context menu of a child: add items; "导出..." is added below them for the export list.
  virtual void AddContextMenuItems(HWND /*target*/, ContextMenu& /*menu*/) {}
  // The page's face, or nullptr for the window colour; PaintFace draws on it what belongs to no child (frames).
  virtual HBRUSH FaceBrush() const { return nullptr; }
  virtual void PaintFace(HDC /*dc*/) {}
  // The background of a static child, or nullptr for the default.
  virtual HBRUSH OnStaticColour(HDC /*dc*/, HWND /*label*/) { return nullptr; }

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  // Handles what the container and the strip receive from their children; false: not one of those.
  bool ChildMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

  int index_;
  PageHost* host_ = nullptr;
  ActionBar::Group* actions_ = nullptr;
  std::unique_ptr<ui::Container> strip_;
  bool active_ = false;
};

// A page whose one list fills it.
class TreePage : public Page {
 public:
  HWND FocusTarget() const override { return tree_.hwnd(); }
  ui::TreeGrid* ExportList() override { return &tree_; }
  void ApplyDpi(const ui::Dpi& dpi) override;
  ui::TreeGrid& tree() { return tree_; }

 protected:
  // "检查所有" and "全部取消" for a list with check boxes; afterChange runs after either.
  void AddCheckAllItems(ContextMenu& menu, const wchar_t* checkAll, const wchar_t* uncheckAll,
                        std::function<void()> afterChange);
  explicit TreePage(int index) : Page(index) {}
  bool OnCreate() override { return CreateTree(); }
  bool CreateTree();
  void OnLayout(int width, int height) override;
  // The list over a panel of the given design height at the bottom (the services and startup pages).
  void LayoutAbovePanel(HWND panel, int panelDesignHeight, int width, int height);
  // Lays the children out again at the current size, after a DPI change.
  void Relayout();

 private:
  ui::TreeGrid tree_;
};

// Every page of the window, by index.
std::vector<std::unique_ptr<Page>> CreatePages();

}  // namespace vantrel::app
