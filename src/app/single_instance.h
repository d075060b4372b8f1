// One instance per logon session: a named mutex in the session's namespace, owned by the running instance's window
// thread while its window is there.
#pragma once

#include <windows.h>

#include <string>

#include "app/instance_verification.h"

namespace vantrel::app {

constexpr wchar_t kProgramId[] = L"{19A4A861-22B1-4874-A017-22ECEA02C92E}";
constexpr wchar_t kMainWindowClass[] = L"Twnd_tm_Main";

class SingleInstance {
 public:
  enum class Outcome { First, Activated };
  // How long a start waits for a leaving instance to let go, or for a starting one to show its window.
  static constexpr DWORD kWaitForOtherMs = 3000;
  // After bringing a window forward: how long its instance may take to let go, if it was closing just then. The
  // first window is already in front; only this invisible start stays that long.
  static constexpr DWORD kActivatedGraceMs = 3000;

  // Opens (or creates) the mutex "Local\" + id; owns nothing yet. Only a window that isCopy accepts is ever
  // brought forward or given way to (empty: a copy of this process's image, elevated when this one is).
  explicit SingleInstance(const std::wstring& id, WindowVerifier isCopy = {});
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // First: this thread owns the mutex now, or the start goes on without it (the mutex could not be created at
  // all, or its holder neither let go nor showed a verified copy's window within waitMs). Activated: another
  // instance holds it, and its window (found by className and verified) was restored and brought forward without
  // waiting on that instance.
  Outcome Start(const std::wstring& className, DWORD waitMs = kWaitForOtherMs);
  // Lets go of the mutex; the handle stays open so that TakeBack can own it again. Owner thread only.
  void Release();
  // Owns the mutex again if nobody took it meanwhile.
  bool TakeBack();
  bool Held() const { return held_; }

 private:
  // Owns the mutex if it comes free within waitMs (0: only if free now).
  bool TryOwn(DWORD waitMs = 0);

  // The first window of className whose process is a verified copy; null when none.
  HWND FindCopyWindow(const std::wstring& className) const;

  HANDLE mutex_ = nullptr;
  bool held_ = false;
  WindowVerifier isCopy_;
};

// Shows a window of another process again and brings it to the front; nothing here waits for that process.
void BringForward(HWND window);

}  // namespace vantrel::app
