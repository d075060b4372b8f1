#include "app/program_commands.h"

#include "controls/message_dialogs.h"
#include "core/shell/command_line.h"
#include "core/shell/startup_rules.h"
#include "system/process/process_actions.h"

namespace vantrel::app {

void AddProgramCommands(ProgramMenu& menu, HWND mainWindow, const ProgramIdentity& identity) {
  menu.AddItem(L"新建任务...", [mainWindow, icon = identity.smallIcon] { ShowRunDialog(mainWindow, icon, L"", L""); });
  menu.AddSeparator();
  menu.AddItem(L"命令行帮助...", [] { InfoDlg(CommandLineHelpText(), L"命令行开关"); });
  menu.AddItem(L"关于...", [identity] { InfoDlg(AboutText(identity.title, identity.fileVersion, identity.copyright)); });
  menu.AddSeparator();
  menu.AddItem(L"退出", [mainWindow] { ::PostMessageW(mainWindow, WM_CLOSE, 0, 0); });
}

void RunElevatedCopy(HWND mainWindow) {
  wchar_t path[MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  if (RunAsAdmin(mainWindow, path, L"")) ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
}

}  // namespace vantrel::app
