// Decisions of the start-up sequence and the refresh cycle that need no window.
#pragma once

#include <cstdint>
#include <string>

#include "core/process/process_rules.h"

namespace vantrel {

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const ScreenRect&) const = default;
};

// The main window's bounds: 1024 wide on a screen wider than 800 pixels (else the design width), the full
// work-area height (50 pixels less in a remote session), centred in the work area. The three constants are
// sizes at 96 DPI and scale with dpi; everything else is in device pixels.
ScreenRect MainWindowBounds(const ScreenRect& workArea, int screenWidth, bool remoteSession, int designWidth,
                            int dpi = 96);

// The elevation button is hidden when the program already has administrative rights.
constexpr bool ElevationButtonVisible(bool osOlderThanVista, bool isAdmin, bool isElevated) {
  return !((osOlderThanVista && isAdmin) || (isElevated && isAdmin));
}

// With automatic refresh off, a process row gets a check box when it may be terminated.
constexpr bool ProcessRowGetsCheckBox(uint32_t pid, uint32_t ownPid, bool canBeKilled) {
  return !ProcessMayNeverBeEnded(pid, ownPid) && canBeKilled;
}

// The refresh interval of the spin edit, 1 to 3600 seconds, in milliseconds.
constexpr int kIntervalMinSeconds = 1;
constexpr int kIntervalMaxSeconds = 3600;
constexpr int kIntervalInitialSeconds = 10;
int RefreshIntervalMs(double seconds);

// The hint of the program-menu button: "%s (%s) - %s" with title, file version and copyright.
std::wstring ProgramButtonHint(const std::wstring& title, const std::wstring& fileVersion,
                               const std::wstring& copyright);

// The about box text: title and file version, then the copyright, joined by CR LF.
std::wstring AboutText(const std::wstring& title, const std::wstring& fileVersion, const std::wstring& copyright);

}  // namespace vantrel
