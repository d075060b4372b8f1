// Reading the windows of one process and acting on one window. Nothing here touches the caller's windows, so a
// page can run the reader on a worker thread and hand the records back to its window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/windows/window_info.h"

namespace vantrel {

// How long one message to another thread's window may take. Wine ignores SMTO_ABORTIFHUNG, so a hung window
// costs the full bound; it is kept short.
inline constexpr UINT kWindowTextTimeoutMs = 500;

// The window's text by WM_GETTEXTLENGTH and WM_GETTEXT sent with SMTO_ABORTIFHUNG and the time-out, each. Empty
// when either call fails or times out, or the length is 0 or outside 0..32,767; with fallBackToClass an empty
// text becomes the class name.
std::wstring GetWndText(HWND hwnd, bool fallBackToClass, UINT timeoutMs = kWindowTextTimeoutMs);

// Every field; the three name lists only when withNames. readText false leaves Text empty (a hung thread).
WindowInfo ReadWindowInfo(HWND hwnd, bool withNames, bool readText = true, UINT timeoutMs = kWindowTextTimeoutMs);

// The top-level windows of the process and all their descendants that belong to it, each visible or
// showInvisible, top-level windows in z-order with each one's descendants after it. Once a window's text read
// times out, the other windows of its thread are not asked (their texts stay empty), so one hung thread costs at
// most one time-out per message.
std::vector<WindowInfo> ReadProcessWindows(DWORD processId, bool showInvisible, UINT timeoutMs = kWindowTextTimeoutMs);

// A window to act on, copied from the row before the confirmation box; the action checks that the handle still
// names a window of that process and class.
struct WindowTarget {
  uint32_t Handle = 0;
  uint32_t Process = 0;
  std::wstring ClassName;
  bool Visible = false;
};
struct WindowActionOutcome {
  bool Ok = false;
  DWORD Error = 0;  // the failing call's error code
};
WindowTarget WindowTargetOf(const WindowInfo& info);
// Hides a visible target, shows an invisible one; never waits for the window (another thread's window is shown
// or hidden asynchronously).
WindowActionOutcome ToggleWindowVisibility(const WindowTarget& target);
// Posts WM_CLOSE; no wait.
WindowActionOutcome CloseWindowTarget(const WindowTarget& target);

}  // namespace vantrel
