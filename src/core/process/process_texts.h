// The texts of the process list's cells.
#pragma once

#include <cstdint>
#include <string>

#include "core/process/process_record.h"
#include "core/text/format_settings.h"

namespace vantrel {

enum TProcessColumn : int {
  pcPID, pcSession, pcName, pcType, pcUserName, pcCreated, pcCPUTime, pcWorkingSet, pcFileName,
  kProcessColumnCount
};

// A whole number with the locale's thousands separator ("1,500").
std::wstring FormatThousands(uint64_t value, const TFormatSettings& settings);
// A byte count as whole kilobytes with the locale's thousands separator and " K" ("1,500 K").
std::wstring FormatKilobytes(uint64_t bytes, const TFormatSettings& settings);

// One cell. The CPU time shows for processes that could be opened, and for PID 0 while automatic refresh is off.
std::wstring ProcessCellText(const TProcessRecord& record, int column, const TFormatSettings& settings,
                             bool autoRefresh);

}  // namespace vantrel
