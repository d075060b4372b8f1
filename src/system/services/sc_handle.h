// An owner for service control manager handles.
#pragma once

#include <windows.h>

#include "system/raii.h"

namespace vantrel::win {

struct ScHandleTraits {
  static SC_HANDLE Invalid() { return nullptr; }
  static void Close(SC_HANDLE h) { ::CloseServiceHandle(h); }
};
using UniqueScHandle = Unique<SC_HANDLE, ScHandleTraits>;

}  // namespace vantrel::win
