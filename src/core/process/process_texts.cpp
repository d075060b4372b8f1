#include "core/process/process_texts.h"

#include "core/text/date_time.h"

namespace vantrel {

std::wstring FormatThousands(uint64_t value, const FormatSettings& settings) {
  const std::wstring digits = std::to_wstring(value);
  std::wstring text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0 && settings.ThousandSeparator != L'\0')
      text += settings.ThousandSeparator;
    text += digits[i];
  }
  return text;
}

std::wstring FormatKilobytes(uint64_t bytes, const FormatSettings& settings) {
  return FormatThousands(bytes / 1024, settings) + L" K";
}

std::wstring ProcessCellText(const ProcessRecord& r, int column, const FormatSettings& settings, bool autoRefresh) {
  switch (column) {
    case Index(ProcessColumn::PID): return std::to_wstring(r.PID);
    case Index(ProcessColumn::Session): return std::to_wstring(r.Session);
    case Index(ProcessColumn::Name): return r.Name;
    case Index(ProcessColumn::Type): return r.IsAccessible ? (r.Is64bit ? L"64-bit" : L"32-bit") : L"";
    case Index(ProcessColumn::UserName): return r.Username;
    case Index(ProcessColumn::Created): return DateTimeToStrDef(L"", r.CreationTime, settings);
    case Index(ProcessColumn::CPUTime):
      if (!r.IsAccessible && !(r.PID == 0 && !autoRefresh)) return L"";
      return FormatSeconds(static_cast<double>(r.CPUTimes.KernelTime + r.CPUTimes.UserTime) / 10'000'000.0, true, false,
                           true, settings);
    case Index(ProcessColumn::WorkingSet): return r.WorkingSet == 0 ? L"" : FormatKilobytes(r.WorkingSet, settings);
    case Index(ProcessColumn::FileName): return r.ImageName;
    default: return L"";
  }
}

}  // namespace vantrel
