#include "core/services/service_rules.h"

#include <array>

#include "core/os/ascii.h"
#include "core/text/str_utils.h"

namespace vantrel {

namespace {

constexpr std::array<const wchar_t*, 5> kStartUpTexts = {L"Boot", L"System", L"Automatic", L"Manual", L"Disabled"};
constexpr std::array<const wchar_t*, 7> kStatusTexts = {
    L"Stopped", L"Start/Pending", L"Stop/Pending", L"Started", L"Continue/Pending", L"Pause/Pending", L"Paused"};

std::wstring Fill(std::wstring_view pattern, std::initializer_list<std::wstring_view> args) {
  std::wstring out;
  auto arg = args.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == L'%' && i + 1 < pattern.size() && pattern[i + 1] == L's' && arg != args.end()) {
      out += *arg++;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace

std::wstring ServiceStartUpText(int32_t startUp) {
  if (startUp >= 0 && static_cast<size_t>(startUp) < kStartUpTexts.size()) return kStartUpTexts[startUp];
  return std::to_wstring(startUp);
}

std::wstring ServiceStatusText(int32_t status) {
  if (status >= 1 && static_cast<size_t>(status) <= kStatusTexts.size()) return kStatusTexts[status - 1];
  return std::to_wstring(status);
}

std::wstring ServiceLogOnText(std::wstring_view objectName) {
  const size_t cut = objectName.find_last_of(L"\\:");
  return CapitalizeFirst(cut == std::wstring_view::npos ? objectName : objectName.substr(cut + 1));
}

std::wstring JoinServiceDependencies(std::wstring_view multiString) {
  std::wstring out;
  size_t start = 0;
  while (start < multiString.size()) {
    size_t end = multiString.find(L'\0', start);
    if (end == std::wstring_view::npos) end = multiString.size();
    if (end == start) break;  // the empty name ends the list
    if (!out.empty()) out += L',';
    out.append(multiString.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

std::wstring ServiceCellText(const ServiceRecord& r, int column) {
  switch (column) {
    case Index(ServiceColumn::Name): return r.DisplayName;
    case Index(ServiceColumn::Status): return ServiceStatusText(r.Status);
    case Index(ServiceColumn::StartUp): return ServiceStartUpText(r.StartUp);
    case Index(ServiceColumn::LogOn): return ServiceLogOnText(r.ObjectName);
    case Index(ServiceColumn::CmdLine): return r.CmdLine;
    default: return {};
  }
}

bool ServicePassesFilter(std::wstring_view displayName, std::wstring_view filter) {
  return filter.empty() || PosText(filter, displayName) == 1;
}

uint32_t ServiceRowColour(const ServiceRecord& r) {
  if (r.StartUp == Index(ServiceStartType::Disabled)) return kServiceDisabledColour;
  if (r.Status == Index(ServiceState::Running)) return kServiceRunningColour;
  return kServiceDefaultColour;
}

std::wstring ServiceDescriptionLine(const ServiceRecord& r) { return detail::Trim(r.Desc + L" " + r.Version); }

std::wstring ServiceCompanyLine(const ServiceRecord& r) {
  if (r.Company.empty() || PosText(r.Company, r.Copyright) > 0) return r.Copyright;
  if (r.Copyright.empty()) return r.Company;
  return r.Company + L" - " + r.Copyright;
}

ServiceAction ServiceControlAction(int32_t status) {
  switch (status) {
    case Index(ServiceState::Stopped):
    case Index(ServiceState::Paused): return ServiceAction::StartOrContinue;
    case Index(ServiceState::Running): return ServiceAction::Stop;
    default: return ServiceAction::None;
  }
}

ServiceButtons ServiceButtonState(const ServiceRecord* focused, bool pageActive, std::wstring_view currentCaption) {
  ServiceButtons b;
  b.ManagerVisible = pageActive;
  b.ControlCaption = currentCaption;
  if (!focused) return b;
  b.ControlVisible = b.UninstallVisible = pageActive;
  b.ControlEnabled = focused->StartUp != Index(ServiceStartType::Disabled) &&
                     ServiceControlAction(focused->Status) != ServiceAction::None;
  b.UninstallEnabled = focused->Status == Index(ServiceState::Stopped);
  switch (focused->Status) {
    case Index(ServiceState::Stopped): b.ControlCaption = kServiceStartCaption; break;
    case Index(ServiceState::Running): b.ControlCaption = kServiceStopCaption; break;
    case Index(ServiceState::Paused): b.ControlCaption = kServiceResumeCaption; break;
    default: break;
  }
  return b;
}

ServiceTarget MakeServiceTarget(const ServiceRecord& record, std::wstring_view caption) {
  return ServiceTarget{record.Name, record.Status, std::wstring(caption)};
}

std::wstring ServiceControlConfirmText(const ServiceTarget& t) {
  return Fill(L"难道你真的想 %s 服务 %s?", {t.Caption, t.Name});
}

std::wstring ServiceUninstallConfirmText(const ServiceTarget& t) { return Fill(L"你真的要卸载 %s 服务?", {t.Name}); }

std::wstring ServiceStartErrorText(std::wstring_view name, std::wstring_view message) {
  return Fill(L"Service %s cannot be started.\r\n%s", {name, message});
}

std::wstring ServiceStopErrorText(std::wstring_view name, std::wstring_view message) {
  return Fill(L"Service %s cannot be stopped.\r\n%s", {name, message});
}

std::wstring ServiceControlErrorText(const ServiceTarget& t, std::wstring_view message) {
  return ServiceControlAction(t.Status) == ServiceAction::Stop ? ServiceStopErrorText(t.Name, message)
                                                               : ServiceStartErrorText(t.Name, message);
}

std::wstring ServicesCaption(size_t count) { return L" 服务 (" + std::to_wstring(count) + L") "; }

int FindServiceIndex(const ServiceRecords& records, std::wstring_view name) {
  for (size_t i = 0; i < records.size(); ++i)
    if (detail::EqualsNoCase(records[i].Name, name)) return static_cast<int>(i);
  return -1;
}

}  // namespace vantrel
