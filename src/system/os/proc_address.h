// Entry points bound at run time: a module's export as the function type it is declared with.
#pragma once

#include <windows.h>

namespace vantrel {

// The export, or null when the module or the export is missing.
template <typename F>
F ProcAddress(HMODULE module, const char* name) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

template <typename F>
void Bind(HMODULE module, F& slot, const char* name) {
  slot = ProcAddress<F>(module, name);
}

}  // namespace vantrel
