// Whether a window of the main window's class belongs to a real copy of this program. Any process can create that
// class and the session's mutex; an elevated start must not give way to, or bring forward, a standard user's fake.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace vantrel::app {

// What a copy must be: the same image file, and elevated when this start is.
struct InstanceIdentity {
  std::wstring imagePath;
  bool elevated = false;
  static InstanceIdentity OfThisProcess();
};

using WindowVerifier = std::function<bool(HWND window)>;

// The window's process runs identity's image and, when identity is elevated, is elevated too.
bool IsCopyOf(HWND window, const InstanceIdentity& identity);
WindowVerifier VerifierFor(InstanceIdentity identity);

}  // namespace vantrel::app
