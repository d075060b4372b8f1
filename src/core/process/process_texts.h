// The texts of the process list's cells.
#pragma once

#include "core/base/enum_index.h"
#include <cstdint>
#include <string>

#include "core/process/process_record.h"
#include "core/text/format_settings.h"

namespace vantrel {

enum class ProcessColumn : int { PID, Session, Name, Type, UserName, Created, CPUTime, WorkingSet, FileName };
inline constexpr int kProcessColumnCount = 9;

// A whole number with the locale's thousands separator ("1,500").
std::wstring FormatThousands(uint64_t value, const FormatSettings& settings);
// A byte count as whole kilobytes with the locale's thousands separator and " K" ("1,500 K").
std::wstring FormatKilobytes(uint64_t bytes, const FormatSettings& settings);

// One cell. The CPU time shows for processes that could be opened, and for PID 0 while automatic refresh is off.
std::wstring ProcessCellText(const ProcessRecord& record, int column, const FormatSettings& settings, bool autoRefresh);

}  // namespace vantrel
