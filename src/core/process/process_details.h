// What the details panel shows for a process: the header strip's two lines and the inspector's groups.
#pragma once

#include <string>
#include <vector>

#include "core/process/process_record.h"
#include "core/text/format_settings.h"

namespace vantrel {

struct TDetailItem {
  std::wstring Caption;
  std::wstring Value;
  bool Visible = true;
};

struct TDetailGroup {
  std::wstring Caption;
  int Parent = -1;        // index of the group it sits in, or -1 at the top
  bool Expanded = true;
  bool Shaded = false;    // drawn on the light grey of the sub-groups
  std::vector<TDetailItem> Items;
};

// Description and version, trimmed.
std::wstring ProcessDescriptionLine(const TProcessRecord& record);
// The company, unless the copyright already names it; then the copyright alone.
std::wstring ProcessCompanyLine(const TProcessRecord& record);
// The inspector's groups and items, in display order.
std::vector<TDetailGroup> ProcessDetailGroups(const TProcessRecord& record, const TFormatSettings& settings);

}  // namespace vantrel
