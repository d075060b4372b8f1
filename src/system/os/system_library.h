#pragma once

#include <windows.h>

#include <mutex>

#include "system/os/proc_address.h"

namespace vantrel {

// A system DLL that only some features need: loaded from the system folder when one first asks for it, never at
// start-up, and kept for the program's life (a worker may still be inside it when the program ends).
class SystemLibrary {
 public:
  explicit SystemLibrary(const wchar_t* name) : name_(name) {}
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  // Loads it on the first call from any thread; nullptr when it cannot be loaded (LoadError() says why).
  HMODULE Module();
  DWORD LoadError();
  const wchar_t* Name() const { return name_; }

  // The export as the function type F (the type of &::TheFunction), nullptr when the DLL or the export is missing.
  template <typename F>
  F Function(const char* exportName) {
    return ProcAddress<F>(Module(), exportName);
  }

  // Binds slot to the export; false when it is missing, so that a table of them is complete or unused.
  template <typename F>
  bool Bind(F& slot, const char* exportName) {
    slot = Function<F>(exportName);
    return slot != nullptr;
  }

 private:
  const wchar_t* name_;
  std::once_flag once_;
  HMODULE module_ = nullptr;
  DWORD error_ = 0;
};

}  // namespace vantrel
