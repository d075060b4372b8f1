#include "system/os/system_library.h"

namespace vantrel {

HMODULE SystemLibrary::Module() {
  std::call_once(once_, [this] {
    module_ = ::LoadLibraryExW(name_, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module_) error_ = ::GetLastError();
  });
  return module_;
}

DWORD SystemLibrary::LoadError() {
  Module();
  return error_;
}

}  // namespace vantrel
