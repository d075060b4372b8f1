#include "core/process/process_details.h"

#include "core/process/process_texts.h"
#include "core/text/date_time.h"
#include "core/text/str_utils.h"

namespace vantrel {
namespace {

std::wstring Trim(const std::wstring& s) {
  const size_t first = s.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return L"";
  return s.substr(first, s.find_last_not_of(L" \t") - first + 1);
}

std::wstring CpuTime(uint64_t ticks, const FormatSettings& fs) {
  return FormatSeconds(static_cast<double>(ticks) / 10'000'000.0, true, false, true, fs);
}

}  // namespace

std::wstring ProcessDescriptionLine(const ProcessRecord& r) { return Trim(r.Desc + L" " + r.Version); }

std::wstring ProcessCompanyLine(const ProcessRecord& r) {
  if (r.Company.empty() || PosText(r.Company, r.Copyright) > 0) return r.Copyright;
  if (!r.Copyright.empty()) return r.Company + L" - " + r.Copyright;
  return r.Company;
}

std::vector<DetailGroup> ProcessDetailGroups(const ProcessRecord& r, const FormatSettings& fs) {
  const bool open = r.IsAccessible;
  auto kb = [&](uint64_t bytes) { return open ? FormatKilobytes(bytes, fs) : L""; };
  auto count = [&](uint64_t n) { return open ? FormatThousands(n, fs) : L""; };
  auto ws = [&](uint64_t bytes) { return bytes == 0 ? L"" : FormatKilobytes(bytes, fs); };
  const VmCounters& vm = r.VMCounters;
  const IoCountersEx& io = r.IOCounters;

  std::vector<DetailGroup> groups;
  // The groups read as a table: one line a group, one line a value.
  // clang-format off
  groups.push_back({L"常规", -1, true, false,
                    {{L"PID", std::to_wstring(r.PID)},
                     {L"会话", std::to_wstring(r.Session)},
                     {L"父进程", std::to_wstring(r.PPID)},
                     {L"名称", r.Name},
                     {L"优先级", std::to_wstring(r.Priority)}}});
  groups.push_back({L"映像", -1, true, false,
                    {{L"用户名", r.Username},
                     {L"域", r.Domain},
                     {L"文件名", r.ImageName},
                     {L"命令行", r.CommandLine},
                     {L"创建", DateTimeToStrDef(L"", r.CreationTime, fs)},
                     {L"类型", open ? (r.Is64bit ? L"64-bit" : L"32-bit") : L""},
                     {L"大小", r.Size > 0 ? FormatThousands(static_cast<uint64_t>(r.Size) / 1024, fs) + L" KB" : L""}}});
  const int performance = static_cast<int>(groups.size());
  groups.push_back({L"性能", -1, true, false,
                    {{L"线程数量", r.ThreadCount >= 1 ? std::to_wstring(r.ThreadCount) : L""},
                     {L"窗口数量", std::to_wstring(r.WinCount), false},
                     {L"句柄数量", std::to_wstring(r.HandleCount)}}});
  groups.push_back({L"CPU 时间", performance, false, true,
                    {{L"总时间", open ? CpuTime(r.CPUTimes.KernelTime + r.CPUTimes.UserTime, fs) : L""},
                     {L"内核时间", open ? CpuTime(r.CPUTimes.KernelTime, fs) : L""},
                     {L"用户时间", open ? CpuTime(r.CPUTimes.UserTime, fs) : L""}}});
  groups.push_back({L"虚拟内存计数", performance, false, true,
                    {{L"工作集", ws(r.WorkingSet)},
                     {L"峰值工作集", ws(r.PeakWorkingSet)},
                     {L"页面文件使用", kb(vm.PagefileUsage)},
                     {L"峰值页面文件使用", kb(vm.PeakPagefileUsage)},
                     {L"虚拟大小", kb(vm.VirtualSize)},
                     {L"峰值虚拟大小", kb(vm.PeakVirtualSize)},
                     {L"配额分页池使用", kb(vm.QuotaPagedPoolUsage)},
                     {L"配额峰值分页池使用", kb(vm.QuotaPeakPagedPoolUsage)},
                     {L"配额非分页池使用", kb(vm.QuotaNonPagedPoolUsage)},
                     {L"配额峰值非分页池使用", kb(vm.QuotaPeakNonPagedPoolUsage)},
                     {L"页面错误计数", count(vm.PageFaultCount)}}});
  groups.push_back({L"IO 计数", performance, false, true,
                    {{L"读取操作计数", count(io.ReadOperationCount)},
                     {L"读取传输计数", count(io.ReadTransferCount)},
                     {L"写入操作计数", count(io.WriteOperationCount)},
                     {L"写入传输计数", count(io.WriteTransferCount)},
                     {L"其它操作计数", count(io.OtherOperationCount)},
                     {L"其它传输计数", count(io.OtherTransferCount)}}});
  // clang-format on
  return groups;
}

}  // namespace vantrel
