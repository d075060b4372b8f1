// The update check at start: the exchange runs on a worker, its outcome comes back through the window-thread
// hand-off, and a newer release is announced once per run over the main window, never while another modal box
// of the window is up. Yes opens the product page; nothing is downloaded or run.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/startup_environment.h"
#include "app/frame/window_thread_handoff.h"
#include "core/shell/command_line.h"
#include "system/update/web_update.h"

namespace vantrel::app {

class UpdatePrompt {
 public:
  // Starts the check unless the switches hold NUC or the environment offers no page address; null then.
  static std::unique_ptr<UpdatePrompt> Start(HWND mainWindow, const std::wstring& title,
                                             const CommandLineSwitches& switches, const StartupEnvironment& env,
                                             WindowThreadHandoff& handoff);
  UpdatePrompt(HWND mainWindow, std::wstring title, const StartupEnvironment& env);
  ~UpdatePrompt();
  UpdatePrompt(const UpdatePrompt&) = delete;
  UpdatePrompt& operator=(const UpdatePrompt&) = delete;

  // What the window thread knows: the check's outcome arrived; the prompt was shown (at most once).
  bool HasOutcome() const { return hasOutcome_; }
  const update::UpdateOutcome& Outcome() const { return outcome_; }
  bool Prompted() const { return prompted_; }
  bool Checking() const { return web_.Active(); }
  // Stops a running check at once (its handles are closed); the exit calls this before it waits on anything.
  void Abort() { web_.Abort(); }

 private:
  void OnOutcome(const update::UpdateOutcome& outcome);
  // Shows the prompt now, or waits (a short timer) while another modal box has the window disabled.
  void PromptWhenFree();
  static void CALLBACK OnRetryTimer(HWND, UINT, UINT_PTR id, DWORD);

  HWND window_;
  std::wstring title_;
  std::function<void(HWND, const std::wstring&)> openProductPage_;
  update::UpdateCheck web_;
  update::UpdateOutcome outcome_;
  bool hasOutcome_ = false;
  bool prompted_ = false;
  UINT_PTR retryTimer_ = 0;
};

}  // namespace vantrel::app
