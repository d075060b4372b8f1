// The icon in the notification area: restores the window on a click, carries the tray menu (features add their
// items), and, while "在任务栏图标显示器 CPU 使用情况" is checked, shows the average CPU load as a small tile,
// redrawn when the number changes. It comes back when the shell restarts.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "app/ui/command_menu.h"
#include "system/raii.h"

namespace vantrel::app {

class TrayIcon : public CommandMenuOwner {
 public:
  static constexpr wchar_t kLoadDisplayCaption[] = L"在任务栏图标显示器 CPU 使用情况";
  using ShellNotify = std::function<BOOL(DWORD message, NOTIFYICONDATAW* data)>;

  TrayIcon();
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Adds the icon for the window (its notifications arrive there as kTrayIconMessage). shellNotify replaces the
  // shell call in tests.
  void Create(HWND window, HICON appIcon, const std::wstring& hint, ShellNotify shellNotify = nullptr);

  // The check item of the load display, where the caller wants it in the menu.
  void AddLoadDisplayItem();
  HMENU Menu() const { return items_.get(); }

  // The load display: on draws from the next tick; off restores the application's icon.
  void SetLoadDisplay(bool on);
  bool LoadDisplay() const { return loadDisplay_; }
  std::function<void(bool on)> onLoadDisplayChanged;
  // Called every second with the average load: while the display is on, draws the tile when the number differs
  // from the one shown.
  void ShowLoad(int average);
  // Renders the text into a new icon and shows it; the previous generated icon is destroyed. False when no icon
  // could be made (the previous one stays).
  bool DrawToTrayIcon(const std::wstring& text, int width, int height);
  HICON CurrentIcon() const { return current_; }
  bool ShowsGeneratedIcon() const { return generated_ != nullptr; }

  // Hides the window to the tray (off the taskbar) and brings it back.
  void HideWindow();
  void RestoreWindow();

  // The window's messages for the icon: kTrayIconMessage and the shell's "TaskbarCreated". True when handled.
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  void Notify(DWORD message);
  void ShowMenu();

  HWND window_ = nullptr;
  HICON appIcon_ = nullptr;  // not owned
  HICON current_ = nullptr;
  HICON generated_ = nullptr;  // the one generated icon alive, owned
  std::wstring hint_;
  ShellNotify shellNotify_;
  UINT taskbarCreated_ = 0;
  bool added_ = false;
  bool loadDisplay_ = false;
  int shownLoad_ = -1;  // the number on the tile; -1 while no tile shows
  // Reused for every tile.
  win::UniqueMemDc dc_;
  win::UniqueBitmap colour_, mask_;
  SIZE size_{0, 0};
};

}  // namespace vantrel::app
