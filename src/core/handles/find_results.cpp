#include "core/handles/find_results.h"

#include <algorithm>

#include "core/handles/handle_records.h"

namespace vantrel {
namespace {

// Upper case by the character alone, whatever the C library's locale (which folds only ASCII by default): ASCII,
// Latin-1, Latin Extended-A, Greek and Cyrillic, the letters file and key names hold in practice.
wchar_t Fold(wchar_t c) {
  const unsigned u = static_cast<unsigned>(c);
  if (u >= L'a' && u <= L'z') return static_cast<wchar_t>(u - 0x20);
  if (u < 0x80) return c;
  if ((u >= 0xE0 && u <= 0xFE && u != 0xF7) || (u >= 0x3B1 && u <= 0x3CB && u != 0x3C2) || (u >= 0x430 && u <= 0x44F))
    return static_cast<wchar_t>(u - 0x20);
  if (u >= 0x450 && u <= 0x45F) return static_cast<wchar_t>(u - 0x50);
  if (u >= 0x100 && u <= 0x17F && u != 0x130 && u != 0x131 && u != 0x138 && u != 0x149 && u != 0x17F) {
    // Pairs: upper case even up to U+0137, odd from U+0139 to U+0148 and from U+0179, even again in between.
    const bool oddUpper = (u >= 0x139 && u <= 0x148) || u >= 0x179;
    const bool isLower = oddUpper ? (u % 2 == 0) : (u % 2 == 1);
    return static_cast<wchar_t>(isLower ? u - 1 : u);
  }
  return c;
}

std::wstring HexText(uint64_t value, int minDigits) {
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring digits;
  do {
    digits.insert(digits.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  if (static_cast<int>(digits.size()) < minDigits)
    digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), L'0');
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
    case FindState::Done: return L"搜索完成: " + std::to_wstring(processesTotal) + L" 个进程, " + found;
    case FindState::Cancelled:
      return L"搜索已取消: 已完成 " + std::to_wstring(processesDone) + L"/" + std::to_wstring(processesTotal) +
             L" 个进程, " + found;
  }
  return {};
}

}  // namespace vantrel
