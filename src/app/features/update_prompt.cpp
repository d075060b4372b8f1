#include "app/features/update_prompt.h"

#include <map>

#include "controls/message_dialogs.h"

namespace vantrel::app {
namespace {

constexpr UINT kRetryMs = 200;

// Thread timers carry no window: the prompt waiting on each one.
std::map<UINT_PTR, UpdatePrompt*>& WaitingPrompts() {
  static std::map<UINT_PTR, UpdatePrompt*> prompts;
  return prompts;
}

}  // namespace

std::unique_ptr<UpdatePrompt> UpdatePrompt::Start(HWND mainWindow, const std::wstring& title,
                                                  const CommandLineSwitches& switches, const StartupEnvironment& env,
                                                  WindowThreadHandoff& handoff) {
  if (switches.Has(Switch::NUC) || !env.updatePageAddress) return nullptr;
  auto prompt = std::make_unique<UpdatePrompt>(mainWindow, title, env);
  update::UpdateCheckConfig config;
  config.URL = env.updatePageAddress();
  if (env.programVersion) config.RunningVersion = env.programVersion().first;
  // The worker's callback only posts; the outcome is taken up on the window thread, where the prompt still
  // exists: the component drops the callback before the prompt (and the hand-off after it) go.
  UpdatePrompt* self = prompt.get();
  prompt->web_.Start(config, [self, &handoff](const update::UpdateOutcome& outcome) {
    handoff.Run(
        [self, outcome]() -> WindowThreadHandoff::Result { return [self, outcome] { self->OnOutcome(outcome); }; });
  });
  return prompt;
}

UpdatePrompt::UpdatePrompt(HWND mainWindow, std::wstring title, const StartupEnvironment& env)
    : window_(mainWindow), title_(std::move(title)), openProductPage_(env.openProductPage) {}

UpdatePrompt::~UpdatePrompt() {
  if (retryTimer_) {
    ::KillTimer(nullptr, retryTimer_);
    WaitingPrompts().erase(retryTimer_);
  }
  web_.Abort();
}

void UpdatePrompt::OnOutcome(const update::UpdateOutcome& outcome) {
  if (hasOutcome_) return;  // once per run
  outcome_ = outcome;
  hasOutcome_ = true;
  // A failed check, an equal or an older release: nothing is shown.
  if (update::ShouldPromptForUpdate(outcome_)) PromptWhenFree();
}

void UpdatePrompt::PromptWhenFree() {
  if (prompted_) return;
  // A modal box owned by the window disables it: the prompt waits until the box is closed.
  if (!::IsWindow(window_) || !::IsWindowEnabled(window_)) {
    if (!retryTimer_ && ::IsWindow(window_)) {
      retryTimer_ = ::SetTimer(nullptr, 0, kRetryMs, &UpdatePrompt::OnRetryTimer);
      if (retryTimer_) WaitingPrompts()[retryTimer_] = this;
    }
    return;
  }
  if (retryTimer_) {
    ::KillTimer(nullptr, retryTimer_);
    WaitingPrompts().erase(retryTimer_);
    retryTimer_ = 0;
  }
  prompted_ = true;
  if (ConfirmDlg(update::UpdatePromptText(outcome_.Info.ProductVersion), title_) && openProductPage_)
    openProductPage_(window_, update::kProductPageUrl);
}

void CALLBACK UpdatePrompt::OnRetryTimer(HWND, UINT, UINT_PTR id, DWORD) {
  const auto found = WaitingPrompts().find(id);
  if (found != WaitingPrompts().end()) found->second->PromptWhenFree();
}

}  // namespace vantrel::app
