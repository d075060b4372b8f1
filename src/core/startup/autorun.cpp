#include "core/startup/autorun.h"

#include "core/os/ascii.h"
#include "core/paths/paths.h"
#include "core/text/str_utils.h"

namespace vantrel {

AutorunListBuilder::AutorunListBuilder(std::wstring filter) : filter_(std::move(filter)) {
  AutorunGroup bho;
  bho.Group.Location = AutorunLocation::BrowserHelper;
  bho.Group.Path = std::wstring(kBrowserHelperGroup);
  bho.Group.Place = AutorunPlace::BrowserHelper;
  groups_.push_back(std::move(bho));
}

bool AutorunListBuilder::Wants(AutorunLocation location, std::wstring_view name) const {
  if (!filter_.empty() && PosText(filter_, name) != 1) return false;
  if (location == AutorunLocation::BrowserHelper)
    for (const AutorunRecord& e : groups_.front().Entries)
      if (detail::EqualsNoCase(e.Name, name)) return false;
  return true;
}

void AutorunListBuilder::Add(AutorunRecord entry) {
  if (!Wants(entry.Location, entry.Name)) return;
  if (entry.Location == AutorunLocation::BrowserHelper) {
    groups_.front().Entries.push_back(std::move(entry));
    return;
  }
  if (current_ < 0) {
    AutorunGroup group;
    group.Group.Location = entry.Location;
    group.Group.Path = entry.Path;
    group.Group.Place = entry.Place;
    group.Group.Root = entry.Root;
    groups_.push_back(std::move(group));
    current_ = static_cast<int>(groups_.size()) - 1;
  }
  groups_[static_cast<size_t>(current_)].Entries.push_back(std::move(entry));
}

size_t AutorunEntryCount(const std::vector<AutorunGroup>& groups) {
  size_t n = 0;
  for (const AutorunGroup& g : groups) n += g.Entries.size();
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

bool AutorunHasCheckBox(const AutorunRecord& record, bool isGroup) {
  if (isGroup || record.Location == AutorunLocation::BrowserHelper || record.NameUnreachable) return false;
  if (record.Location == AutorunLocation::Folder) return true;
  if (record.Place == AutorunPlace::WinlogonNotify) return false;
  if (record.Place == AutorunPlace::Winlogon &&
      (detail::EqualsNoCase(record.Name, L"UserInit") || detail::EqualsNoCase(record.Name, L"Shell")))
    return false;
  return true;
}

std::optional<AutorunRemoval> AutorunRemovalFor(const AutorunRecord& record) {
  if (!AutorunHasCheckBox(record, record.Name.empty())) return std::nullopt;
  AutorunRemoval r;
  r.Location = record.Location;
  r.Name = record.Name;
  if (record.Location == AutorunLocation::Folder) {
    r.File = LongPathForm(record.Path + L"\\" + record.Name);
  } else {
    if (record.Root == RegistryRoot::None || record.RegKey.empty()) return std::nullopt;
    r.Root = record.Root;
    r.Key = record.RegKey;
    r.Value = record.Name;
  }
  return r;
}

std::wstring AutorunCellText(const AutorunRecord& record, bool isGroup, int column) {
  if (column == Index(AutorunColumn::Name)) return isGroup ? record.Path : record.Name;
  if (column == Index(AutorunColumn::CmdLine) && !isGroup) return record.CmdLine;
  return {};
}

std::wstring AutorunDescriptionLine(const AutorunRecord& record, bool isGroup) {
  if (isGroup) return record.Path;
  return detail::Trim(record.Desc + L" " + record.Version);
}

std::wstring AutorunCompanyLine(const AutorunRecord& record, bool isGroup) {
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
