// The number of GDI objects this process holds. Wine answers 0 to GetGuiResources, so under Wine the live entries
// of the process's GDI handle table (the one the PEB points to) are counted instead.
#pragma once

#include <windows.h>

namespace vantrel::testing {

inline long GdiObjectCount() {
  if (DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<long>(n);
  struct Entry {
    unsigned long long object;
    unsigned long owner;
    unsigned char type, flags, extType, generation;
    unsigned long long user;
  };
  static_assert(sizeof(Entry) == 24);
  using GetPebFn = void*(WINAPI*)();
  static const auto getPeb = reinterpret_cast<GetPebFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetCurrentPeb")));
  if (!getPeb) return -1;
  auto* peb = static_cast<unsigned char*>(getPeb());
  const auto* table = *reinterpret_cast<Entry* const*>(peb + 0xF8);
  if (!table) return -1;
  long n = 0;
  for (int i = 0; i < 0x10000; ++i)
    if (table[i].extType && table[i].object) ++n;
  return n;
}

}  // namespace vantrel::testing
