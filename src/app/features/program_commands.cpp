#include "app/features/program_commands.h"

#include "controls/message_dialogs.h"
#include "core/shell/command_line.h"
#include "core/shell/startup_rules.h"
#include "system/process/process_actions.h"

namespace vantrel::app {

void AddProgramCommands(ProgramMenu& menu, TrayIcon& tray, HWND mainWindow, const ProgramIdentity& identity) {
  auto newTask = [mainWindow, icon = identity.smallIcon] { ShowRunDialog(mainWindow, icon, L"", L""); };
  auto about = [identity] { InfoDlg(AboutText(identity.title, identity.fileVersion, identity.copyright)); };
  auto exit = [mainWindow] { ::PostMessageW(mainWindow, WM_CLOSE, 0, 0); };
  auto toggleLoadDisplay = [&tray] { tray.SetLoadDisplay(!tray.LoadDisplay()); };

  menu.AddItem(L"新建任务...", newTask);
  menu.AddSeparator();
  menu.SetAnchor(menu.AddItem(TrayIcon::kLoadDisplayCaption, toggleLoadDisplay));
  menu.AddSeparator();
  menu.AddItem(L"命令行帮助...", [] { InfoDlg(CommandLineHelpText(), L"命令行开关"); });
  menu.AddItem(L"关于...", about);
  menu.AddSeparator();
  menu.AddItem(L"退出", exit);

  tray.AddItem(L"新建任务...", newTask);
  tray.AddSeparator();
  tray.AddLoadDisplayItem();
  tray.AddSeparator();
  tray.AddItem(L"关于...", about);
  tray.AddSeparator();
  tray.AddItem(L"退出", exit);
  tray.onLoadDisplayChanged = [&menu, item = menu.Anchor()](bool on) { menu.SetItemChecked(item, on); };
}

void RunElevatedCopy(HWND mainWindow, SingleInstance* instance,
                     const std::function<bool(HWND, const std::wstring&)>& startCopy) {
  wchar_t path[MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH || !startCopy) return;
  // A copy that found the lock held, or this window, would bring this window forward and end; this instance
  // then closes, and none is left.
  const bool wasVisible = ::IsWindowVisible(mainWindow);
  if (instance) instance->Release();
  ::ShowWindow(mainWindow, SW_HIDE);
  if (startCopy(mainWindow, path)) {
    ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    return;
  }
  // Refused or failed: the program simply goes on.
  if (instance) instance->TakeBack();
  if (wasVisible) {
    ::ShowWindow(mainWindow, SW_SHOW);
    ::SetForegroundWindow(mainWindow);
  }
}

}  // namespace vantrel::app
