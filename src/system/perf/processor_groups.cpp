#include "system/perf/processor_groups.h"

#include "system/os/native_api.h"
#include "system/os/proc_address.h"

namespace vantrel {
namespace {

constexpr ULONG kSystemProcessorPerformanceInformation = 8;
constexpr int kRelationAll = 0xFFFF;

struct GroupEntryPoints {
  WORD(WINAPI* GetActiveProcessorGroupCount)() = nullptr;
  DWORD(WINAPI* GetActiveProcessorCount)(WORD) = nullptr;
  BOOL(WINAPI* SetThreadGroupAffinity)(HANDLE, const GROUP_AFFINITY*, PGROUP_AFFINITY) = nullptr;
  BOOL(WINAPI* GetLogicalProcessorInformationEx)(int, void*, PDWORD) = nullptr;
  LONG(NTAPI* NtQuerySystemInformationEx)(ULONG, PVOID, ULONG, PVOID, ULONG, PULONG) = nullptr;
};

const GroupEntryPoints& Entries() {
  static const GroupEntryPoints entries = [] {
    GroupEntryPoints e;
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    Bind(kernel, e.GetActiveProcessorGroupCount, "GetActiveProcessorGroupCount");
    Bind(kernel, e.GetActiveProcessorCount, "GetActiveProcessorCount");
    Bind(kernel, e.SetThreadGroupAffinity, "SetThreadGroupAffinity");
    Bind(kernel, e.GetLogicalProcessorInformationEx, "GetLogicalProcessorInformationEx");
    Bind(::GetModuleHandleW(L"ntdll.dll"), e.NtQuerySystemInformationEx, "NtQuerySystemInformationEx");
    return e;
  }();
  return entries;
}

}  // namespace

std::vector<uint32_t> ActiveProcessorsPerGroup() {
  const auto& e = Entries();
  std::vector<uint32_t> groups;
  if (!e.GetActiveProcessorGroupCount || !e.GetActiveProcessorCount) return groups;
  const WORD count = e.GetActiveProcessorGroupCount();
  for (WORD g = 0; g < count; ++g) groups.push_back(e.GetActiveProcessorCount(g));
  return groups;
}

ProcessorPin::ProcessorPin(uint32_t processor) {
  const auto& e = Entries();
  const std::vector<uint32_t> groups = ActiveProcessorsPerGroup();
  if (e.SetThreadGroupAffinity && !groups.empty()) {
    for (size_t g = 0; g < groups.size(); ++g) {
      if (processor >= groups[g]) {
        processor -= groups[g];
        continue;
      }
      GROUP_AFFINITY wanted{};
      wanted.Group = static_cast<WORD>(g);
      wanted.Mask = KAFFINITY{1} << processor;
      pinned_ = group_ = e.SetThreadGroupAffinity(::GetCurrentThread(), &wanted, &previous_) != FALSE;
      break;
    }
  } else if (processor < sizeof(DWORD_PTR) * 8) {
    previousMask_ = ::SetThreadAffinityMask(::GetCurrentThread(), DWORD_PTR{1} << processor);
    pinned_ = previousMask_ != 0;
  }
  if (pinned_) ::Sleep(0);  // let the scheduler move the thread
}

ProcessorPin::~ProcessorPin() {
  if (!pinned_) return;
  if (group_) Entries().SetThreadGroupAffinity(::GetCurrentThread(), &previous_, nullptr);
  else ::SetThreadAffinityMask(::GetCurrentThread(), previousMask_);
}

CpuTopology ReadProcessorTopology() {
  const auto query = Entries().GetLogicalProcessorInformationEx;
  if (!query) return {};
  DWORD length = 0;
  query(kRelationAll, nullptr, &length);
  // The layout can grow between the two calls when processors are added; a second failure gives up.
  for (int attempt = 0; attempt < 2 && length > 0; ++attempt) {
    std::vector<uint8_t> buffer(length);
    if (query(kRelationAll, buffer.data(), &length))
      return ParseProcessorTopology(buffer.data(), std::min<size_t>(length, buffer.size()), sizeof(KAFFINITY));
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
  }
  return {};
}

bool QueryGroupProcessorRecords(uint16_t group, void* buffer, ULONG length, ULONG& returned) {
  returned = 0;
  // The extended query only where there is more than one group (Wine has none for this class); the plain one
  // answers for the calling process's group.
  const auto queryEx = Entries().NtQuerySystemInformationEx;
  static const bool severalGroups = ActiveProcessorsPerGroup().size() > 1;
  if (queryEx && severalGroups) {
    USHORT g = group;
    return queryEx(kSystemProcessorPerformanceInformation, &g, sizeof g, buffer, length, &returned) == kStatusSuccess;
  }
  const auto query = NativeApi().NtQuerySystemInformation;
  return group == 0 && query &&
         query(kSystemProcessorPerformanceInformation, buffer, length, &returned) == kStatusSuccess;
}

}  // namespace vantrel
