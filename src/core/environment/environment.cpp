#include "core/environment/environment.h"

#include <algorithm>

#include "core/text/str_utils.h"
#include "core/text/text_compare.h"

namespace vantrel {

std::vector<EnvironmentRecord> EnvironmentRecords(const std::vector<std::wstring>& lines, const std::wstring& filter) {
  std::vector<EnvironmentRecord> records;
  records.reserve(lines.size());
  for (const std::wstring& line : lines) {
    const size_t eq = line.find(L'=');
    EnvironmentRecord r;
    r.Variable = line.substr(0, eq);
    if (eq != std::wstring::npos) r.Value = line.substr(eq + 1);
    if (!filter.empty() && PosText(filter, r.Variable) != 1) continue;
    records.push_back(std::move(r));
  }
  return records;
}

void SortEnvRecords(std::vector<EnvironmentRecord>& records, const FormatSettings& settings) {
  constexpr int kMaxLen = 25;  // as the list's column sort
  std::vector<std::pair<CellSortKey, EnvironmentRecord>> keyed;
  keyed.reserve(records.size());
  for (EnvironmentRecord& r : records) keyed.emplace_back(MakeCellSortKey(r.Variable, kMaxLen, settings), std::move(r));
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return CompareCellSortKeys(a.first, b.first) < 0; });
  records.clear();
  for (auto& k : keyed) records.push_back(std::move(k.second));
}

std::wstring EnvironmentTabCaption(size_t count) { return L" 环境 (" + std::to_wstring(count) + L") "; }

}  // namespace vantrel
