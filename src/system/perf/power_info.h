// The power-management library bound at run time: the processor frequency query, and the sleep and hibernate
// entry points that the power actions use. Every user tests its entry point first.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/perf/cpu_frequency.h"

namespace vantrel {

struct PowrProfApi {
  LONG(WINAPI* CallNtPowerInformation)(int level, void* in, ULONG inLength, void* out, ULONG outLength) = nullptr;
  BOOLEAN(WINAPI* IsPwrSuspendAllowed)() = nullptr;
  BOOLEAN(WINAPI* IsPwrHibernateAllowed)() = nullptr;
  BOOLEAN(WINAPI* SetSuspendState)(BOOLEAN hibernate, BOOLEAN force, BOOLEAN wakeupEventsDisabled) = nullptr;
  // Resolved like the system resolves them, for completeness; nothing calls them.
  FARPROC Others[16] = {};
};

// Binds powrprof.dll (an already loaded copy, or a load of our own); true when the library is there.
bool LoadPowrProf();
// Frees the library only when LoadPowrProf loaded it; a failure is ignored (never thrown at exit).
void UnloadPowrProf();
const PowrProfApi& PowrProf();

// The per-processor records of the power interface (ProcessorInformation), read with the bounded growth loop;
// empty when the entry point is missing or the call fails. `records` keeps its capacity between ticks.
bool ReadProcessorFrequencies(std::vector<ProcessorPowerInformation>& records);

}  // namespace vantrel
