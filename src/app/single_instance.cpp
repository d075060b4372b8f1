#include "app/single_instance.h"

#include <utility>

namespace vantrel::app {
namespace {

constexpr DWORD kPollMs = 25;

struct CopySearch {
  const WindowVerifier* isCopy;
  const std::wstring* className;
  HWND found = nullptr;
};

BOOL CALLBACK VisitForCopy(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<CopySearch*>(lp);
  wchar_t name[64] = {};
  ::GetClassNameW(hwnd, name, 64);
  if (*search->className != name || !(*search->isCopy)(hwnd)) return TRUE;
  search->found = hwnd;
  return FALSE;
}

}  // namespace

void BringForward(HWND window) {
  // A window hidden to the tray comes back as a click on the icon would bring it. The Async forms only post: a
  // busy or hung instance never holds this start.
  if (!::IsWindowVisible(window)) ::ShowWindowAsync(window, SW_SHOW);
  if (::IsIconic(window)) ::ShowWindowAsync(window, SW_RESTORE);
  ::SetForegroundWindow(window);
}

SingleInstance::SingleInstance(const std::wstring& id, WindowVerifier isCopy)
    : isCopy_(isCopy ? std::move(isCopy) : VerifierFor(InstanceIdentity::OfThisProcess())) {
  const std::wstring name = L"Local\\" + id;
  mutex_ = ::CreateMutexW(nullptr, TRUE, name.c_str());
  // Owned only when this call created it.
  held_ = mutex_ && ::GetLastError() != ERROR_ALREADY_EXISTS;
}

SingleInstance::~SingleInstance() {
  Release();
  if (mutex_) ::CloseHandle(mutex_);
}

bool SingleInstance::TryOwn(DWORD waitMs) {
  if (held_) return true;
  const DWORD got = ::WaitForSingleObject(mutex_, waitMs);
  // Abandoned: its owner ended without letting go; the mutex is ours all the same.
  held_ = got == WAIT_OBJECT_0 || got == WAIT_ABANDONED;
  return held_;
}

SingleInstance::Outcome SingleInstance::Start(const std::wstring& className, DWORD waitMs) {
  if (!mutex_ || TryOwn()) return Outcome::First;
  const ULONGLONG start = ::GetTickCount64();
  for (;;) {
    if (HWND other = FindCopyWindow(className)) {
      BringForward(other);
      // The window may belong to an instance that is closing but has not yet read its close message (a busy
      // one reads it late): this start stays until that instance lets go, or until it is clearly staying.
      return TryOwn(kActivatedGraceMs) ? Outcome::First : Outcome::Activated;
    }
    // Woken at once when the leaving instance lets go; otherwise looks for a window again.
    if (TryOwn(kPollMs)) return Outcome::First;
    if (::GetTickCount64() - start >= waitMs) return Outcome::First;  // never ends without a window shown
  }
}

void SingleInstance::Release() {
  if (!held_) return;
  ::ReleaseMutex(mutex_);
  held_ = false;
}

HWND SingleInstance::FindCopyWindow(const std::wstring& className) const {
  CopySearch search{&isCopy_, &className};
  ::EnumWindows(&VisitForCopy, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool SingleInstance::TakeBack() { return mutex_ && TryOwn(); }

}  // namespace vantrel::app
