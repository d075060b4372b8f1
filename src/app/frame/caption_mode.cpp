#include "app/frame/caption_mode.h"

#include "system/os/system_facts.h"

namespace vantrel::app {

bool DesktopComposesFrame() {
  const auto& facts = SystemFacts();
  const DWORD major = facts.OSVersionInfo.dwMajorVersion, minor = facts.OSVersionInfo.dwMinorVersion;
  if (major < 6 || (major == 6 && minor < 2)) return false;
  HMODULE dwm = ::LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!dwm) return false;
  using IsEnabled = HRESULT(WINAPI*)(BOOL*);
  const auto isEnabled =
      reinterpret_cast<IsEnabled>(reinterpret_cast<void*>(::GetProcAddress(dwm, "DwmIsCompositionEnabled")));
  BOOL enabled = FALSE;
  // dwmapi stays loaded, like every run-time load of the program.
  return isEnabled && SUCCEEDED(isEnabled(&enabled)) && enabled;
}

ui::CaptionToolbar::Mode CaptionModeFor(const std::function<bool()>& composes) {
  const bool composed = composes ? composes() : DesktopComposesFrame();
  return composed ? ui::CaptionToolbar::Mode::ClientStrip : ui::CaptionToolbar::Mode::NonClient;
}

}  // namespace vantrel::app
