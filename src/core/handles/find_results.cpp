#include "core/handles/find_results.h"

#include <algorithm>
#include <cwctype>

#include "core/handles/handle_records.h"

namespace vantrel {
namespace {

wchar_t Fold(wchar_t c) { return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c))); }

std::wstring HexText(uint64_t value, int minDigits) {
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring digits;
  do {
    digits.insert(digits.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  if (static_cast<int>(digits.size()) < minDigits) digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), L'0');
  return L"0x" + digits;
}

}  // namespace

bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view needle) {
  if (needle.empty() || needle.size() > text.size()) return false;
  const auto equal = [](wchar_t a, wchar_t b) { return Fold(a) == Fold(b); };
  return std::search(text.begin(), text.end(), needle.begin(), needle.end(), equal) != text.end();
}

std::wstring FindValueText(const FindResult& result) {
  if (result.What == FindResult::Handle) return HandleValueText(result.Value);
  return HexText(result.Value, result.Value > 0xFFFFFFFFu ? 16 : 8);
}

std::wstring FindResultCellText(const FindResult& result, int column) {
  switch (column) {
    case fcProcess: return result.ProcessName;
    case fcPID: return std::to_wstring(result.PID);
    case fcType: return result.What == FindResult::Module ? L"DLL" : result.TypeName;
    case fcName: return result.Name;
    case fcValue: return FindValueText(result);
    default: return {};
  }
}

std::wstring FindStatusText(FindState state, size_t processesDone, size_t processesTotal, size_t results) {
  const std::wstring found = std::to_wstring(results) + L" 个结果";
  switch (state) {
    case FindState::Running:
      return L"正在搜索... 已完成 " + std::to_wstring(processesDone) + L"/" + std::to_wstring(processesTotal) +
             L" 个进程, 找到 " + found;
    case FindState::Done:
      return L"搜索完成: " + std::to_wstring(processesTotal) + L" 个进程, " + found;
    case FindState::Cancelled:
      return L"搜索已取消: 已完成 " + std::to_wstring(processesDone) + L"/" + std::to_wstring(processesTotal) +
             L" 个进程, " + found;
  }
  return {};
}

}  // namespace vantrel
