// The seams the start-up sequence reads from the system; tests replace single members.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <array>
#include <functional>
#include <string>
#include <utility>

namespace vantrel::app {

struct StartupEnvironment {
  std::function<bool()> isRemoteSession;
  std::function<bool()> elevationButtonVisible;  // the program lacks administrative rights
  std::function<bool(HWND)> registerSessionNotification;  // true when registered
  std::function<bool(HWND)> unregisterSessionNotification;
  std::function<bool()> enableDebugPrivilege;
  std::function<std::wstring()> osCaption;
  std::function<std::wstring()> sessionLabel;
  // The performance page's facts, read at start: logged-on user, IP addresses, build number; then the MAC
  // addresses, which NetBIOS may take seconds to answer, so they are read on a worker thread.
  std::function<std::array<std::wstring, 3>()> systemFactLines;
  std::function<std::wstring()> macAddressLine;
  // The program's own FileVersion and Copyright.
  std::function<std::pair<std::wstring, std::wstring>()> programVersion;
  // The work area the window is placed in and the DPI it is laid out for (tests set both; empty: the system's).
  std::function<RECT()> workArea;
  std::function<UINT(HWND)> windowDpi;
  // The shell's notification-area call (tests record it; empty: the shell's).
  std::function<BOOL(DWORD, NOTIFYICONDATAW*)> trayShellNotify;
  static StartupEnvironment Default();
};

}  // namespace vantrel::app
