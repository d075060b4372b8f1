// What a search across every process for a handle or module name finds: the match rule, the record of a result row
// and its cell texts, and the status line of a running or finished search.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// Whether needle occurs anywhere in text, ignoring case; an empty needle matches nothing (a search for nothing
// would list every handle of the system).
bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view needle);

struct FindResult {
  enum Kind { Handle, Module };
  Kind What = Handle;
  uint32_t PID = 0;
  std::wstring ProcessName;
  std::wstring TypeName;  // the handle's type as the handles page shows it; unused for a module
  std::wstring Name;      // the handle's name as the handles page shows it, or the module's full path
  uint64_t Value = 0;     // the handle value, or the module's base address
};

enum FindColumn { fcProcess = 0, fcPID = 1, fcType = 2, fcName = 3, fcValue = 4 };
std::wstring FindResultCellText(const FindResult& result, int column);
// "0x" and at least eight (handle) or sixteen (64-bit base address) lower-case digits.
std::wstring FindValueText(const FindResult& result);

// The status line: "正在搜索... 已完成 3/40 个进程, 找到 5 个结果" while it runs, "搜索完成: 40 个进程, 5 个结果" at
// its end, "搜索已取消: ..." when cancelled.
enum class FindState { Running, Done, Cancelled };
std::wstring FindStatusText(FindState state, size_t processesDone, size_t processesTotal, size_t results);

}  // namespace vantrel
