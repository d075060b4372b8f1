#include "core/startup/autorun.h"

#include "core/os/ascii.h"
#include "core/paths/paths.h"
#include "core/text/str_utils.h"

namespace vantrel {

TAutorunListBuilder::TAutorunListBuilder(std::wstring filter) : filter_(std::move(filter)) {
  TAutorunGroup bho;
  bho.Group.Location = arlBHO;
  bho.Group.Path = std::wstring(kBrowserHelperGroup);
  bho.Group.Place = TAutorunPlace::BrowserHelper;
  groups_.push_back(std::move(bho));
}

bool TAutorunListBuilder::Wants(TAutorunLocation location, std::wstring_view name) const {
  if (!filter_.empty() && PosText(filter_, name) != 1) return false;
  if (location == arlBHO)
    for (const TAutorunRecord& e : groups_.front().Entries)
      if (detail::EqualsNoCase(e.Name, name)) return false;
  return true;
}

void TAutorunListBuilder::Add(TAutorunRecord entry) {
  if (!Wants(entry.Location, entry.Name)) return;
  if (entry.Location == arlBHO) {
    groups_.front().Entries.push_back(std::move(entry));
    return;
  }
  if (current_ < 0) {
    TAutorunGroup group;
    group.Group.Location = entry.Location;
    group.Group.Path = entry.Path;
    group.Group.Place = entry.Place;
    group.Group.Root = entry.Root;
    groups_.push_back(std::move(group));
    current_ = static_cast<int>(groups_.size()) - 1;
  }
  groups_[static_cast<size_t>(current_)].Entries.push_back(std::move(entry));
}

size_t AutorunEntryCount(const std::vector<TAutorunGroup>& groups) {
  size_t n = 0;
  for (const TAutorunGroup& g : groups) n += g.Entries.size();
  return n;
}

std::wstring RunOnceExCommandLine(std::wstring_view data) {
  std::wstring s(data);
  if (const size_t p = s.find(L"||"); p != std::wstring::npos) s.erase(p, 2);
  if (const size_t p = s.find(L'|'); p != std::wstring::npos) s[p] = L' ';
  return s;
}

namespace {
std::wstring_view Extension(std::wstring_view fileName) {
  const size_t dot = fileName.find_last_of(L'.');
  const size_t slash = fileName.find_last_of(L"\\/");
  if (dot == std::wstring_view::npos || (slash != std::wstring_view::npos && dot < slash)) return {};
  return fileName.substr(dot);
}
}  // namespace

bool IsSkippedStartupFile(std::wstring_view fileName) {
  const std::wstring_view ext = Extension(fileName);
  return !ext.empty() && detail::FindNoCase(L".ini", ext) != std::wstring_view::npos;
}

bool IsShellLinkFile(std::wstring_view fileName) { return detail::EqualsNoCase(Extension(fileName), L".lnk"); }

std::wstring LinkCommandLine(std::wstring_view target, std::wstring_view arguments) {
  return std::wstring(target) + L" " + std::wstring(arguments);
}

std::wstring WithSystemDirectory(std::wstring_view systemDir, std::wstring_view name, bool onlyWithoutBackslash) {
  if (onlyWithoutBackslash && name.find(L'\\') != std::wstring_view::npos) return std::wstring(name);
  return std::wstring(systemDir) + L"\\" + std::wstring(name);
}

std::wstring EscapedValueName(std::wstring_view rawName) {
  std::wstring shown;
  for (wchar_t c : rawName) {
    if (c == L'\0') shown += L"\\0";
    else shown += c;
  }
  return shown;
}

bool AutorunHasCheckBox(const TAutorunRecord& record, bool isGroup) {
  if (isGroup || record.Location == arlBHO || record.NameUnreachable) return false;
  if (record.Location == arlFolder) return true;
  if (record.Place == TAutorunPlace::WinlogonNotify) return false;
  if (record.Place == TAutorunPlace::Winlogon &&
      (detail::EqualsNoCase(record.Name, L"UserInit") || detail::EqualsNoCase(record.Name, L"Shell")))
    return false;
  return true;
}

std::optional<TAutorunRemoval> AutorunRemovalFor(const TAutorunRecord& record) {
  if (!AutorunHasCheckBox(record, record.Name.empty())) return std::nullopt;
  TAutorunRemoval r;
  r.Location = record.Location;
  r.Name = record.Name;
  if (record.Location == arlFolder) {
    r.File = LongPathForm(record.Path + L"\\" + record.Name);
  } else {
    if (record.Root == TRegistryRoot::None || record.RegKey.empty()) return std::nullopt;
    r.Root = record.Root;
    r.Key = record.RegKey;
    r.Value = record.Name;
  }
  return r;
}

std::wstring AutorunCellText(const TAutorunRecord& record, bool isGroup, int column) {
  if (column == acName) return isGroup ? record.Path : record.Name;
  if (column == acCmdLine && !isGroup) return record.CmdLine;
  return {};
}

std::wstring AutorunDescriptionLine(const TAutorunRecord& record, bool isGroup) {
  if (isGroup) return record.Path;
  return detail::Trim(record.Desc + L" " + record.Version);
}

std::wstring AutorunCompanyLine(const TAutorunRecord& record, bool isGroup) {
  if (isGroup) return {};
  if (record.Company.empty() || PosText(record.Company, record.Copyright) > 0) return record.Copyright;
  if (record.Copyright.empty()) return record.Company;
  return record.Company + L" - " + record.Copyright;
}

std::wstring AutorunDeleteConfirmation(size_t checkedCount) {
  return L"你真的要删除 " + std::to_wstring(checkedCount) + L" 检查自动运行?";
}

std::wstring AutorunRemoveErrorText(const std::wstring& name, const std::wstring& systemMessage) {
  return L"Autorun " + name + L" cannot be removed.\r\n" + systemMessage;
}

std::wstring AutorunsTabCaption(size_t entryCount) { return L" 自动运行 (" + std::to_wstring(entryCount) + L") "; }

}  // namespace vantrel
