#include "system/os/native_api.h"

#include "system/os/proc_address.h"

namespace vantrel {
namespace {

struct State {
  NativeApiTable api;
  HMODULE module = nullptr;
  bool ownLoad = false;
  bool bound = false;
};

State& GetState() {
  static State state;
  return state;
}

}  // namespace

bool LoadNativeAPI() {
  State& s = GetState();
  s.bound = true;
  if (!s.module) {
    s.module = ::GetModuleHandleW(L"NTDLL.DLL");
    s.ownLoad = s.module == nullptr;
    if (s.ownLoad) s.module = ::LoadLibraryExW(L"NTDLL.DLL", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  if (!s.module) return false;
  NativeApiTable& a = s.api;
  Bind(s.module, a.NtClose, "NtClose");
  Bind(s.module, a.NtQuerySystemInformation, "NtQuerySystemInformation");
  Bind(s.module, a.NtQueryObject, "NtQueryObject");
  Bind(s.module, a.NtQueryInformationProcess, "NtQueryInformationProcess");
  Bind(s.module, a.NtQueryInformationThread, "NtQueryInformationThread");
  Bind(s.module, a.NtQueryInformationFile, "NtQueryInformationFile");
  Bind(s.module, a.NtDuplicateObject, "NtDuplicateObject");
  Bind(s.module, a.RtlAdjustPrivilege, "RtlAdjustPrivilege");
  return a.NtQueryObject != nullptr;
}

void UnloadNativeAPI() {
  State& s = GetState();
  if (!s.module || !s.ownLoad) return;
  // A failure to unload at the end is of no consequence; it must never end the program.
  if (::FreeLibrary(s.module)) s.module = nullptr;
}

const NativeApiTable& NativeApi() {
  State& s = GetState();
  if (!s.bound) LoadNativeAPI();
  return s.api;
}

bool NativeApiOwnLoad() { return GetState().ownLoad; }

}  // namespace vantrel
