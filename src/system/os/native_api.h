// The NT native entry points, bound by name from ntdll at run time; an absent one stays null.
#pragma once

#include <windows.h>

namespace vantrel {

using NtStatus = LONG;
inline constexpr NtStatus kStatusSuccess = 0;
inline constexpr NtStatus kStatusInfoLengthMismatch = static_cast<NtStatus>(0xC0000004L);
inline constexpr NtStatus kStatusBufferOverflow = static_cast<NtStatus>(0x80000005L);
inline constexpr NtStatus kStatusBufferTooSmall = static_cast<NtStatus>(0xC0000023L);

struct NativeApiTable {
  NtStatus(NTAPI* NtQuerySystemInformation)(ULONG infoClass, PVOID buffer, ULONG length, PULONG returned) = nullptr;
  NtStatus(NTAPI* NtQueryInformationProcess)(HANDLE process, ULONG infoClass, PVOID buffer, ULONG length,
                                             PULONG returned) = nullptr;
  NtStatus(NTAPI* NtQueryInformationThread)(HANDLE thread, ULONG infoClass, PVOID buffer, ULONG length,
                                            PULONG returned) = nullptr;
  NtStatus(NTAPI* NtQueryInformationFile)(HANDLE file, PVOID ioStatus, PVOID buffer, ULONG length,
                                          ULONG infoClass) = nullptr;
  NtStatus(NTAPI* NtQueryObject)(HANDLE handle, ULONG infoClass, PVOID buffer, ULONG length, PULONG returned) = nullptr;
  NtStatus(NTAPI* NtDuplicateObject)(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, PHANDLE target,
                                     ACCESS_MASK access, ULONG attributes, ULONG options) = nullptr;
  NtStatus(NTAPI* NtClose)(HANDLE handle) = nullptr;
  NtStatus(NTAPI* RtlAdjustPrivilege)(ULONG privilege, BOOLEAN enable, BOOLEAN currentThread,
                                      PBOOLEAN wasEnabled) = nullptr;
};

// Binds (again) every entry point; true when ntdll is there and NtQueryObject was found.
bool LoadNativeAPI();
// Frees ntdll only when the binding loaded it itself (never on NT, where it is always loaded).
void UnloadNativeAPI();
// The bound entry points; binds on first use.
const NativeApiTable& NativeApi();
// Whether the binding had to load ntdll itself.
bool NativeApiOwnLoad();

}  // namespace vantrel
