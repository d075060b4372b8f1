#include "app/program.h"

#include <commctrl.h>
#include <objbase.h>

#include <memory>

#include "app/frame/main_window.h"
#include "app/single_instance.h"
#include "app/frame/splash_window.h"
#include "controls/message_dialogs.h"
#include "core/shell/command_line.h"
#include "system/os/system_facts.h"

namespace vantrel::app {

void DispatchProgramMessage(MainWindow* main, MSG& msg) {
  if (main && main->PreTranslateMessage(msg)) return;
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
}

int RunProgram(const wchar_t* commandLine, int showCommand) {
  // 1. Library start-up: the system facts are computed once, before any window exists.
  InitSystemFacts();
  const std::vector<std::wstring> words = SplitCommandLine(commandLine ? commandLine : L"");
  const CommandLineSwitches switches(std::vector<std::wstring>(words.begin() + 1, words.end()));

  // 2. One instance per logon session. The lock outlives the window and is let go when the window is destroyed.
  SingleInstance instance(kProgramId);
  if (instance.Start(kMainWindowClass) == SingleInstance::Outcome::Activated) return 0;

  // 3. Application objects.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES |
                                            ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&icc);
  // While a message box is up during start-up, the splash steps aside.
  SetModalBoxHooks([] { SuspendSplash(true); }, [] { SuspendSplash(false); });

  // 6-8. Splash while the main window is built.
  ShowSplash();
  auto main = std::make_unique<MainWindow>(switches);
  main->SetInstanceLock(&instance);
  const bool started = main->CreateAndStart();
  HideSplash();

  int exitCode = 0;
  if (started) {
    // 4. With HIDE the window stays hidden; ShowAtStart knows.
    main->ShowAtStart(showCommand);
    // 9. The message loop, until the main window closes.
    MSG msg;
    BOOL got;
    while ((got = ::GetMessageW(&msg, nullptr, 0, 0)) != 0) {
      if (got == -1) break;
      DispatchProgramMessage(main.get(), msg);
    }
    exitCode = msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 0;
  }
  main.reset();
  SetModalBoxHooks(nullptr, nullptr);
  if (SUCCEEDED(com)) ::CoUninitialize();
  return exitCode;
}

}  // namespace vantrel::app
