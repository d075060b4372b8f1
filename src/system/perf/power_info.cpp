#include "system/perf/power_info.h"

#include "system/os/proc_address.h"
#include "system/os/system_facts.h"

namespace vantrel {
namespace {

constexpr int kProcessorInformation = 11;

struct PowrProfState {
  PowrProfApi api;
  HMODULE module = nullptr;
  bool ownLoad = false;
};
PowrProfState& State() {
  static PowrProfState state;
  return state;
}

}  // namespace

bool LoadPowrProf() {
  PowrProfState& s = State();
  if (s.module) return true;
  if (!SystemFacts().IsNT) return false;
  s.module = ::GetModuleHandleW(L"powrprof.dll");
  if (!s.module) {
    s.module = ::LoadLibraryExW(L"powrprof.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    s.ownLoad = s.module != nullptr;
  }
  if (!s.module) return false;
  Bind(s.module, s.api.CallNtPowerInformation, "CallNtPowerInformation");
  Bind(s.module, s.api.IsPwrSuspendAllowed, "IsPwrSuspendAllowed");
  Bind(s.module, s.api.IsPwrHibernateAllowed, "IsPwrHibernateAllowed");
  Bind(s.module, s.api.SetSuspendState, "SetSuspendState");
  const char* const others[] = {
      "GetPwrDiskSpindownRange", "EnumPwrSchemes",        "ReadGlobalPwrPolicy",     "ReadPwrScheme",
      "WritePwrScheme",          "DeletePwrScheme",       "GetActivePwrScheme",      "ReadProcessorPwrScheme",
      "SetActivePwrScheme",      "GetPwrCapabilities",    "IsPwrShutdownAllowed",    "IsAdminOverrideActive",
      "GetCurrentPowerPolicies", "CanUserWritePwrScheme", "WriteProcessorPwrScheme", "ValidatePowerPolicies"};
  for (size_t i = 0; i < std::size(others); ++i) s.api.Others[i] = ::GetProcAddress(s.module, others[i]);
  return true;
}

void UnloadPowrProf() {
  PowrProfState& s = State();
  if (s.module && s.ownLoad) ::FreeLibrary(s.module);  // a failure here is harmless at exit
  s = PowrProfState{};
}

const PowrProfApi& PowrProf() { return State().api; }

bool ReadProcessorFrequencies(std::vector<ProcessorPowerInformation>& records) {
  const auto call = PowrProf().CallNtPowerInformation;
  if (!call) {
    records.clear();
    return false;
  }
  const uint32_t count = SystemFacts().SystemInfo.dwNumberOfProcessors;
  return ReadProcessorFrequencies(
      count,
      [call](void* buffer, uint32_t bytes) {
        return static_cast<int32_t>(call(kProcessorInformation, nullptr, 0, buffer, bytes));
      },
      records);
}

}  // namespace vantrel
