#include "system/process/critical_process.h"

#include "system/os/native_api.h"

namespace vantrel {
namespace {

constexpr ULONG kProcessBreakOnTermination = 29;

}  // namespace

bool IsCriticalProcess(HANDLE process) {
  const auto query = NativeApi().NtQueryInformationProcess;
  if (!process || !query) return false;
  ULONG flag = 0;
  return query(process, kProcessBreakOnTermination, &flag, sizeof(flag), nullptr) == kStatusSuccess && flag != 0;
}

}  // namespace vantrel
