// What the performance page shows the user, in one place.
#pragma once

namespace vantrel::app::performance_texts {

constexpr wchar_t kCpuHistory[] = L" CPU 历史记录 ";
constexpr wchar_t kUsageTab[] = L" 使用情况 ";
constexpr wchar_t kSpeedTab[] = L" 速度 ";
constexpr wchar_t kMemoryHistory[] = L" 内存使用历史记录 ";
constexpr wchar_t kSystemInformation[] = L" 系统信息 ";
constexpr wchar_t kNotAvailable[] = L"<n/a>";
constexpr wchar_t kUnknownPercent[] = L"? %";
// The memory lines: total and available physical memory, total and available page file.
constexpr const wchar_t* kMemoryLines[] = {L"总物理内存: ", L"可用物理内存: ", L"总页面文件: ", L"可用页面文件: "};
constexpr wchar_t kMegabytes[] = L" MB";
constexpr wchar_t kUptime[] = L"运行时间: ";

}  // namespace vantrel::app::performance_texts
