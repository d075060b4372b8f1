// What the details panel shows for a process: the header strip's two lines and the inspector's groups.
#pragma once

#include <string>
#include <vector>

#include "core/process/process_record.h"
#include "core/text/format_settings.h"

namespace vantrel {

struct DetailItem {
  std::wstring Caption;
  std::wstring Value;
  bool Visible = true;
};

struct DetailGroup {
  std::wstring Caption;
  int Parent = -1;  // index of the group it sits in, or -1 at the top
  bool Expanded = true;
  bool Shaded = false;  // drawn on the light grey of the sub-groups
  std::vector<DetailItem> Items;
};

// Description and version, trimmed.
std::wstring ProcessDescriptionLine(const ProcessRecord& record);
// The company, unless the copyright already names it; then the copyright alone.
std::wstring ProcessCompanyLine(const ProcessRecord& record);
// The inspector's groups and items, in display order.
std::vector<DetailGroup> ProcessDetailGroups(const ProcessRecord& record, const FormatSettings& settings);

}  // namespace vantrel
