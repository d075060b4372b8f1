#include "app/features/power_menu.h"

#include <string>
#include <vector>

#include "controls/message_dialogs.h"
#include "core/power/power_actions.h"

namespace vantrel::app {
namespace {

// The confirmation and the warning as the program's message boxes.
class BoxPrompts final : public power::IPowerPrompts {
 public:
  bool Confirm(const std::wstring& text) override { return ConfirmDlg(text); }
  void Warning(const std::wstring& text) override { WarningDlg(text); }
};

std::vector<MenuEntry> PowerEntries(HWND mainWindow, const StartupEnvironment& env) {
  std::vector<MenuEntry> entries;
  for (const power::PowerMenuEntry& item : power::ShutdownMenu()) {
    if (item.Tag < 0) {
      entries.push_back({});
      continue;
    }
    // The platform is bound per pick: the power library is loaded only when an action is chosen.
    auto run = [tag = item.Tag, hint = std::wstring(item.Caption), mainWindow, makePlatform = env.powerPlatform] {
      if (!makePlatform) return;
      const auto platform = makePlatform(mainWindow);
      BoxPrompts prompts;
      if (platform) power::RunPowerAction(tag, hint, *platform, prompts);
    };
    entries.push_back({std::wstring(item.Caption), run});
  }
  return entries;
}

}  // namespace

void AddPowerMenu(ProgramMenu& menu, TrayIcon& tray, HWND mainWindow, const StartupEnvironment& env) {
  const std::wstring caption(power::kShutdownCaption);
  const auto entries = PowerEntries(mainWindow, env);
  menu.AddSubmenu(caption, entries, menu.Anchor());
  menu.AddSeparator(menu.Anchor());
  tray.AddSubmenu(caption, entries, tray.Anchor());
  tray.AddSeparator(tray.Anchor());
}

}  // namespace vantrel::app
