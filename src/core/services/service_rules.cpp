#include "core/services/service_rules.h"

#include <array>

#include "core/os/ascii.h"
#include "core/text/str_utils.h"

namespace vantrel {

namespace {

constexpr std::array<const wchar_t*, 5> kStartUpTexts = {L"Boot", L"System", L"Automatic", L"Manual", L"Disabled"};
constexpr std::array<const wchar_t*, 7> kStatusTexts = {L"Stopped",          L"Start/Pending", L"Stop/Pending",
                                                        L"Started",          L"Continue/Pending",
                                                        L"Pause/Pending",    L"Paused"};

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

std::wstring ServiceCellText(const TServiceRecord& r, int column) {
  switch (column) {
    case scName: return r.DisplayName;
    case scStatus: return ServiceStatusText(r.Status);
    case scStartUp: return ServiceStartUpText(r.StartUp);
    case scLogOn: return ServiceLogOnText(r.ObjectName);
    case scCmdLine: return r.CmdLine;
    default: return {};
  }
}

bool ServicePassesFilter(std::wstring_view displayName, std::wstring_view filter) {
  return filter.empty() || PosText(filter, displayName) == 1;
}

uint32_t ServiceRowColour(const TServiceRecord& r) {
  if (r.StartUp == sstDisabled) return kServiceDisabledColour;
  if (r.Status == ssRunning) return kServiceRunningColour;
  return kServiceDefaultColour;
}

std::wstring ServiceDescriptionLine(const TServiceRecord& r) { return detail::Trim(r.Desc + L" " + r.Version); }

std::wstring ServiceCompanyLine(const TServiceRecord& r) {
  if (r.Company.empty() || PosText(r.Company, r.Copyright) > 0) return r.Copyright;
  if (r.Copyright.empty()) return r.Company;
  return r.Company + L" - " + r.Copyright;
}

TServiceAction ServiceControlAction(int32_t status) {
  switch (status) {
    case ssStopped:
    case ssPaused: return TServiceAction::StartOrContinue;
    case ssRunning: return TServiceAction::Stop;
    default: return TServiceAction::None;
  }
}

TServiceButtons ServiceButtonState(const TServiceRecord* focused, bool pageActive, std::wstring_view currentCaption) {
  TServiceButtons b;
  b.ManagerVisible = pageActive;
  b.ControlCaption = currentCaption;
  if (!focused) return b;
  b.ControlVisible = b.UninstallVisible = pageActive;
  b.ControlEnabled = focused->StartUp != sstDisabled && ServiceControlAction(focused->Status) != TServiceAction::None;
  b.UninstallEnabled = focused->Status == ssStopped;
  switch (focused->Status) {
    case ssStopped: b.ControlCaption = kServiceStartCaption; break;
    case ssRunning: b.ControlCaption = kServiceStopCaption; break;
    case ssPaused: b.ControlCaption = kServiceResumeCaption; break;
    default: break;
  }
  return b;
}

TServiceTarget MakeServiceTarget(const TServiceRecord& record, std::wstring_view caption) {
  return TServiceTarget{record.Name, record.Status, std::wstring(caption)};
}

std::wstring ServiceControlConfirmText(const TServiceTarget& t) {
  return Fill(L"难道你真的想 %s 服务 %s?", {t.Caption, t.Name});
}

std::wstring ServiceUninstallConfirmText(const TServiceTarget& t) { return Fill(L"你真的要卸载 %s 服务?", {t.Name}); }

std::wstring ServiceStartErrorText(std::wstring_view name, std::wstring_view message) {
  return Fill(L"Service %s cannot be started.\r\n%s", {name, message});
}

std::wstring ServiceStopErrorText(std::wstring_view name, std::wstring_view message) {
  return Fill(L"Service %s cannot be stopped.\r\n%s", {name, message});
}

std::wstring ServiceControlErrorText(const TServiceTarget& t, std::wstring_view message) {
  return ServiceControlAction(t.Status) == TServiceAction::Stop ? ServiceStopErrorText(t.Name, message)
                                                                : ServiceStartErrorText(t.Name, message);
}

std::wstring ServicesCaption(size_t count) { return L" 服务 (" + std::to_wstring(count) + L") "; }

int FindServiceIndex(const TServiceRecords& records, std::wstring_view name) {
  for (size_t i = 0; i < records.size(); ++i)
    if (detail::EqualsNoCase(records[i].Name, name)) return static_cast<int>(i);
  return -1;
}

}  // namespace vantrel
