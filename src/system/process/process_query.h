// One fixed-size answer of NtQueryInformationProcess, shared by the process readers.
#pragma once

#include <windows.h>

#include "system/os/native_api.h"

namespace vantrel::detail {

// NtQueryInformationProcess's information classes this program reads.
constexpr ULONG kProcessBasicInformation = 0;
constexpr ULONG kProcessIoCounters = 2;
constexpr ULONG kProcessVmCounters = 3;
constexpr ULONG kProcessTimes = 4;
constexpr ULONG kProcessHandleCount = 20;
constexpr ULONG kProcessWow64Information = 26;
constexpr ULONG kProcessImageFileName = 27;

template <typename T>
bool QueryProcess(HANDLE process, ULONG infoClass, T& value) {
  const auto query = NativeApi().NtQueryInformationProcess;
  ULONG returned = 0;
  return query && query(process, infoClass, &value, sizeof value, &returned) >= 0;
}

}  // namespace vantrel::detail
