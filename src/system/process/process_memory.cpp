#include "system/process/process_memory.h"

#include "system/os/system_facts.h"
#include "system/process/native_process_layouts.h"
#include "system/process/process_query.h"

namespace vantrel {

using detail::kProcessBasicInformation;
using detail::kProcessWow64Information;
using detail::QueryProcess;

bool ProcessHandleReader::Read(uint64_t address, void* buffer, size_t size) {
  if (address > UINTPTR_MAX || size > UINTPTR_MAX - address) return false;
  SIZE_T got = 0;
  return ::ReadProcessMemory(process_, reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(address)), buffer, size,
                             &got) &&
         got == size;
}

namespace {
bool LocateParameters(HANDLE process, uint64_t& peb, PebLayout& layout) {
#ifdef _WIN64
  ULONG_PTR peb32 = 0;
  if (QueryProcess(process, kProcessWow64Information, peb32) && peb32 != 0) {
    peb = peb32;
    layout = PebLayout::Wow64x86;
    return true;
  }
  layout = PebLayout::Native64;
#else
  if (SystemFacts().Is64BitOS) {  // only targets of our own bitness
    const auto isWow64 = SystemEntryPoints().IsWow64Process;
    BOOL wow = FALSE;
    if (!isWow64 || !isWow64(process, &wow) || !wow) return false;
  }
  layout = PebLayout::Wow64x86;
#endif
  NativeBasicInformation basic{};
  if (!QueryProcess(process, kProcessBasicInformation, basic) || !basic.PebBaseAddress) return false;
  peb = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(basic.PebBaseAddress));
  return true;
}
}  // namespace

bool ReadTargetProcessParameters(HANDLE process, ProcessParameters& params) {
  params = {};
  uint64_t peb = 0;
  PebLayout layout{};
  if (!LocateParameters(process, peb, layout)) return false;
  ProcessHandleReader reader(process);
  return ReadProcessParameters(reader, peb, layout, params);
}

bool ReadTargetEnvironment(HANDLE process, std::vector<std::wstring>& lines) {
  lines.clear();
  uint64_t peb = 0;
  PebLayout layout{};
  if (!LocateParameters(process, peb, layout)) return false;
  ProcessHandleReader reader(process);
  return ReadProcessEnvironment(reader, peb, layout, lines);
}

}  // namespace vantrel
