// The seams the start-up sequence reads from the system; tests replace single members.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "core/power/power_actions.h"
#include "system/replacement/task_manager_replacement.h"

namespace vantrel::app {

struct StartupEnvironment {
  std::function<bool()> isRemoteSession;
  std::function<bool()> elevationButtonVisible;           // the program lacks administrative rights
  std::function<bool(HWND)> registerSessionNotification;  // true when registered
  std::function<bool(HWND)> unregisterSessionNotification;
  std::function<bool()> enableDebugPrivilege;
  std::function<std::wstring()> osCaption;
  std::function<std::wstring()> sessionLabel;
  // The performance page's facts, read at start: logged-on user and build number; then the network facts, the IP
  // addresses (a name lookup) and the MAC addresses (NetBIOS), which may take seconds, each on a worker thread.
  std::function<std::array<std::wstring, 2>()> systemFactLines;
  std::function<std::wstring()> ipAddressLine;
  std::function<std::wstring()> macAddressLine;
  // The program's own FileVersion and Copyright.
  std::function<std::pair<std::wstring, std::wstring>()> programVersion;
  // The work area the window is placed in and the DPI it is laid out for (tests set both; empty: the system's).
  std::function<RECT()> workArea;
  std::function<UINT(HWND)> windowDpi;
  // Whether the desktop composes the window frame (empty: the system's answer); decides the caption buttons' mode.
  std::function<bool()> desktopComposesFrame;
  // The shell's notification-area call (tests record it; empty: the shell's).
  std::function<BOOL(DWORD, NOTIFYICONDATAW*)> trayShellNotify;
  // The update check's page address (empty function: no check at all) and how the product page is opened
  // (empty: not opened). Tests point the check at a local server and record the opening.
  std::function<std::wstring()> updatePageAddress;
  std::function<void(HWND owner, const std::wstring& url)> openProductPage;
  // The power actions' system calls (empty: the actions do nothing). Tests hand in a recording fake: under Wine
  // the real calls end the whole prefix.
  std::function<std::unique_ptr<power::IPowerPlatform>(HWND owner)> powerPlatform;
  // Starts the program's own executable with administrative rights (empty: never started); false when it was
  // not started (the user said no, or an error). Tests answer for the elevation prompt.
  std::function<bool(HWND owner, const std::wstring& program)> startElevatedCopy;
  // The key whose "Debugger" value replaces the task manager, and the folder snapshots go to ("" = current).
  std::wstring replacementKey = kTaskmgrOptionsKey;
  // Whether only administrators can change a file and the folders above it (empty: read from the file system;
  // Wine keeps no access lists, so tests answer both ways).
  std::function<bool(const std::wstring& path)> replacementFileIsAdminOnly;
  std::wstring snapshotFolder;
  static StartupEnvironment Default();
};

}  // namespace vantrel::app
