// The environment page's rows: one record per variable of the program's own environment.
#pragma once

#include <string>
#include <vector>

#include "core/text/format_settings.h"

namespace vantrel {

struct EnvironmentRecord {
  std::wstring Variable;
  std::wstring Value;  // everything after the first equals sign
};

// Records of NAME=value lines in their order; with a filter, only names beginning with it (any case).
std::vector<EnvironmentRecord> EnvironmentRecords(const std::vector<std::wstring>& lines, const std::wstring& filter);
// The order the list starts in: by Variable, as a list column sorts (stable).
void SortEnvRecords(std::vector<EnvironmentRecord>& records, const FormatSettings& settings);
// " 环境 (%d) "
std::wstring EnvironmentTabCaption(size_t count);

}  // namespace vantrel
