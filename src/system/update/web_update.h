// UpdateCheck: the update check's exchange over WinInet, bounded in time and size, run on a worker thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/update/web_update.h"

namespace vantrel::update {

// The release information page and the product page that the update prompt opens; one host.
inline constexpr wchar_t kUpdatePageUrl[] = L"https://www.example.com/vantrel/vantrel-update.html";
inline constexpr wchar_t kProductPageUrl[] = L"https://www.example.com/vantrel/";
// The one test seam for the information page's address; read by UpdatePageAddress only.
inline constexpr wchar_t kUpdateUrlVariable[] = L"VANTREL_UPDATE_URL";

// VANTREL_UPDATE_URL when set and not empty, else kUpdatePageUrl; "http://" put in front when it has no scheme.
// Elevated, the process's variable is ignored (a standard user can set it for the administrator's session): only
// the machine-wide value of that name, which administrators alone can write, counts.
inline constexpr wchar_t kMachineEnvironmentKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
std::wstring UpdatePageAddress(bool elevated);

struct UpdateCheckConfig {
  std::wstring URL = kUpdatePageUrl;  // the information page
  uint16_t HTTPPort = 80;             // used when the address names no port
  std::wstring RunningVersion;        // the program's own version text
  VersionFormat Format = VersionFormat::Standard;
  UpdateTagNames Tags;
  std::wstring UserName, Password;
  DWORD ConnectTimeoutMs = 5000, SendTimeoutMs = 5000, ReceiveTimeoutMs = 5000;
  DWORD DeadlineMs = 10000;    // the whole check, all redirections included
  size_t PageCap = 64 * 1024;  // a longer page fails the check
};

inline constexpr std::wstring_view kPageTooLarge = L"page too large";
inline constexpr std::wstring_view kDeadlineReached = L"deadline reached";
inline constexpr std::wstring_view kAborted = L"aborted";

// The whole check; returns by DeadlineMs, or at once when *aborting turns true, whatever the server does. A
// watchdog closes the open connection and request then, which ends a read in progress; where WinInet still waits
// for its time-out, the exchange is left to end on its own state and its outcome is dropped. aborting may be null.
UpdateOutcome CheckForAnUpdate(const UpdateCheckConfig& config, const std::atomic<bool>* aborting = nullptr);

// One check at a time on a worker thread. The callback runs on the worker with the outcome, unless the component
// is gone by then; the owner hands it on to its window thread. The worker owns its state together with the
// component, so the destructor aborts, waits at most kLeaveWaitMs and leaves a worker still running to end on its
// own (it is bounded by the deadline), never calling back.
class UpdateCheck {
 public:
  using Callback = std::function<void(const UpdateOutcome&)>;
  static constexpr DWORD kLeaveWaitMs = 250;
  UpdateCheck();
  ~UpdateCheck();
  UpdateCheck(const UpdateCheck&) = delete;
  UpdateCheck& operator=(const UpdateCheck&) = delete;

  // False (and nothing started) while a check is running.
  bool Start(UpdateCheckConfig config, Callback onDone);
  // The running transfer stops now: its handles are closed.
  void Abort();
  bool Active() const;
  // Waits up to ms for the running check to end; true when none runs.
  bool WaitIdle(DWORD ms) const;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

}  // namespace vantrel::update
