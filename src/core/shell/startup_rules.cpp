#include "core/shell/startup_rules.h"

#include <algorithm>

#include <cmath>

namespace vantrel {

ScreenRect MainWindowBounds(const ScreenRect& work, int screenWidth, bool remoteSession, int designWidth, int dpi) {
  auto scale = [dpi](int v) { return static_cast<int>(static_cast<long long>(v) * dpi / 96); };
  // Never wider or taller than the work area, so that the icon, the filter and the first tab stay on screen.
  const int width = std::max(0, std::min(screenWidth > scale(800) ? scale(1024) : designWidth, work.Width()));
  const int height = std::max(0, work.Height() - (remoteSession ? scale(50) : 0));
  ScreenRect r;
  r.top = work.top + (work.Height() - height) / 2;
  r.left = work.left + (work.Width() - width) / 2;
  r.right = r.left + width;
  r.bottom = r.top + height;
  return r;
}

int RefreshIntervalMs(double seconds) {
  if (!(seconds >= kIntervalMinSeconds)) seconds = kIntervalMinSeconds;  // NaN too
  if (seconds > kIntervalMaxSeconds) seconds = kIntervalMaxSeconds;
  return static_cast<int>(std::lround(seconds)) * 1000;
}

std::wstring ProgramButtonHint(const std::wstring& title, const std::wstring& fileVersion,
                               const std::wstring& copyright) {
  return title + L" (" + fileVersion + L") - " + copyright;
}

std::wstring AboutText(const std::wstring& title, const std::wstring& fileVersion, const std::wstring& copyright) {
  return title + L" " + fileVersion + L"\r\n" + copyright;
}

}  // namespace vantrel
