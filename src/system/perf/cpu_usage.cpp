#include "system/perf/cpu_usage.h"

#include <algorithm>
#include <map>

#include "system/os/native_api.h"
#include "system/perf/processor_groups.h"

namespace vantrel {
namespace {

constexpr ULONG kSystemBasicInformation = 0;
constexpr ULONG kSystemProcessorPerformanceInformation = 8;

// The published layouts of this build's bitness.
struct SystemBasicInformation {
  ULONG Reserved;
  ULONG TimerResolution;
  ULONG PageSize;
  ULONG NumberOfPhysicalPages;
  ULONG LowestPhysicalPageNumber;
  ULONG HighestPhysicalPageNumber;
  ULONG AllocationGranularity;
  ULONG_PTR MinimumUserModeAddress;
  ULONG_PTR MaximumUserModeAddress;
  ULONG_PTR ActiveProcessorsAffinityMask;
  CCHAR NumberOfProcessors;
};
struct ProcessorPerformanceRecord {
  LARGE_INTEGER IdleTime;
  LARGE_INTEGER KernelTime;  // includes IdleTime
  LARGE_INTEGER UserTime;
  LARGE_INTEGER DpcTime;
  LARGE_INTEGER InterruptTime;
  ULONG InterruptCount;
};
static_assert(sizeof(ProcessorPerformanceRecord) == 48);

// Timer identifiers of thread timers (no window) to their meters; one thread only.
std::map<UINT_PTR, CpuUsageMeter*>& Timers() {
  static std::map<UINT_PTR, CpuUsageMeter*> timers;
  return timers;
}

}  // namespace

uint32_t NativeProcessorCount() {
  uint32_t all = 0;
  for (uint32_t n : ActiveProcessorsPerGroup()) all += n;
  if (all) return all;
  const auto query = NativeApi().NtQuerySystemInformation;
  SystemBasicInformation info{};
  if (!query || query(kSystemBasicInformation, &info, sizeof info, nullptr) != kStatusSuccess) return 1;
  const auto n = static_cast<unsigned char>(info.NumberOfProcessors);
  return n ? n : 1;
}

CpuUsageMeter::CpuUsageMeter()
    : meter_(NativeProcessorCount()),
      buffer_(meter_.CPUCount() * sizeof(ProcessorPerformanceRecord)),
      times_(meter_.CPUCount()),
      groups_(ActiveProcessorsPerGroup()) {
  if (groups_.empty()) groups_.push_back(meter_.CPUCount());
}

CpuUsageMeter::~CpuUsageMeter() { SetActive(false); }

bool CpuUsageMeter::ReadTimes() {
  // One query per processor group, each group's records after the previous group's.
  size_t filled = 0;
  for (size_t g = 0; g < groups_.size() && filled < times_.size(); ++g) {
    const size_t room = times_.size() - filled;
    auto* records = reinterpret_cast<ProcessorPerformanceRecord*>(buffer_.data()) + filled;
    ULONG returned = 0;
    if (!QueryGroupProcessorRecords(static_cast<uint16_t>(g), records,
                                    static_cast<ULONG>(room * sizeof(ProcessorPerformanceRecord)), returned))
      return false;
    const size_t n = std::min<size_t>({returned / sizeof(ProcessorPerformanceRecord), room, groups_[g]});
    for (size_t i = 0; i < n; ++i)
      times_[filled + i] = {records[i].IdleTime.QuadPart, records[i].KernelTime.QuadPart, records[i].UserTime.QuadPart};
    filled += n;
  }
  return filled == times_.size();
}

void CpuUsageMeter::SetActive(bool active) {
  if (active == Active()) return;
  if (!active) {
    ::KillTimer(nullptr, timer_);
    Timers().erase(timer_);
    timer_ = 0;
    return;
  }
  if (ReadTimes()) meter_.SetBaseline(times_.data(), times_.size());
  timer_ = ::SetTimer(nullptr, 0, interval_, &CpuUsageMeter::TimerProc);
  if (timer_) Timers()[timer_] = this;
}

void CpuUsageMeter::SetInterval(uint32_t ms) {
  interval_ = ms ? ms : 1;
  if (Active()) ::SetTimer(nullptr, timer_, interval_, &CpuUsageMeter::TimerProc);
}

void CpuUsageMeter::Tick() {
  const bool ok = ReadTimes();
  meter_.Update(times_.data(), times_.size(), ok);
  if (OnInterval) OnInterval(*this, meter_.Usages(), meter_.Average());
}

void CALLBACK CpuUsageMeter::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  const auto it = Timers().find(id);
  if (it != Timers().end()) it->second->Tick();
}

}  // namespace vantrel
