#include "core/process/process_texts.h"

#include "core/text/date_time.h"

namespace vantrel {

std::wstring FormatThousands(uint64_t value, const TFormatSettings& settings) {
  const std::wstring digits = std::to_wstring(value);
  std::wstring text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0 && settings.ThousandSeparator != L'\0') text += settings.ThousandSeparator;
    text += digits[i];
  }
  return text;
}

std::wstring FormatKilobytes(uint64_t bytes, const TFormatSettings& settings) {
  return FormatThousands(bytes / 1024, settings) + L" K";
}

std::wstring ProcessCellText(const TProcessRecord& r, int column, const TFormatSettings& settings, bool autoRefresh) {
  switch (column) {
    case pcPID: return std::to_wstring(r.PID);
    case pcSession: return std::to_wstring(r.Session);
    case pcName: return r.Name;
    case pcType: return r.IsAccesible ? (r.Is64bit ? L"64-bit" : L"32-bit") : L"";
    case pcUserName: return r.Username;
    case pcCreated: return DateTimeToStrDef(L"", r.CreationTime, settings);
    case pcCPUTime:
      if (!r.IsAccesible && !(r.PID == 0 && !autoRefresh)) return L"";
      return FormatSeconds(static_cast<double>(r.CPUTimes.KernelTime + r.CPUTimes.UserTime) / 10'000'000.0, true,
                           false, true, settings);
    case pcWorkingSet: return r.WorkingSet == 0 ? L"" : FormatKilobytes(r.WorkingSet, settings);
    case pcFileName: return r.ImageName;
    default: return L"";
  }
}

}  // namespace vantrel
