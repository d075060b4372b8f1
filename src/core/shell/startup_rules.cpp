#include "core/shell/startup_rules.h"

#include <cmath>

namespace vantrel {

TRect MainWindowBounds(const TRect& work, int screenWidth, bool remoteSession, int designWidth, int dpi) {
  auto scale = [dpi](int v) { return static_cast<int>(static_cast<long long>(v) * dpi / 96); };
  const int width = screenWidth > scale(800) ? scale(1024) : designWidth;
  const int height = work.Height() - (remoteSession ? scale(50) : 0);
  TRect r;
  // Integer division truncates toward zero, also for a window larger than the work area.
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
