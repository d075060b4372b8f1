#include "system/perf/cpu_usage.h"

#include <map>

#include "system/os/native_api.h"

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
  const auto query = NativeApi().NtQuerySystemInformation;
  SystemBasicInformation info{};
  if (!query || query(kSystemBasicInformation, &info, sizeof info, nullptr) != kStatusSuccess) return 1;
  const auto n = static_cast<unsigned char>(info.NumberOfProcessors);
  return n ? n : 1;
}

CpuUsageMeter::CpuUsageMeter()
    : meter_(NativeProcessorCount()),
      buffer_(meter_.CPUCount() * sizeof(ProcessorPerformanceRecord)),
      times_(meter_.CPUCount()) {}

CpuUsageMeter::~CpuUsageMeter() { SetActive(false); }

bool CpuUsageMeter::ReadTimes() {
  const auto query = NativeApi().NtQuerySystemInformation;
  ULONG returned = 0;
  if (!query || query(kSystemProcessorPerformanceInformation, buffer_.data(), static_cast<ULONG>(buffer_.size()),
                      &returned) != kStatusSuccess)
    return false;
  const size_t n = std::min<size_t>(returned / sizeof(ProcessorPerformanceRecord), times_.size());
  const auto* records = reinterpret_cast<const ProcessorPerformanceRecord*>(buffer_.data());
  for (size_t i = 0; i < n; ++i)
    times_[i] = {records[i].IdleTime.QuadPart, records[i].KernelTime.QuadPart, records[i].UserTime.QuadPart};
  return n == times_.size();
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
