// Startup entries: the record of a row, the rules of the list (groups, filter, check boxes, removal) and its texts.
#pragma once

#include "core/base/enum_index.h"
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

enum class AutorunLocation : uint8_t { Registry = 0, Folder = 1, BrowserHelper = 2 };

// Where a registry entry was found; decides its check box and how it is removed.
enum class AutorunPlace : uint8_t {
  None,
  BrowserHelper,
  Run,
  RunOnce,
  RunOnceEx,
  RunServices,
  RunServicesOnce,
  Winlogon,
  WinlogonNotify,
  AppInitDlls,
  BootExecute,
  StartupFolder
};
enum class RegistryRoot : uint8_t { None, LocalMachine, CurrentUser };

struct AutorunRecord {
  AutorunLocation Location = AutorunLocation::Registry;
  std::wstring Path;  // the place: "HKLM\<key path>", a folder, or "Browser Helper Objects"
  std::wstring Name;  // empty for group rows
  std::wstring ImageName;
  std::wstring CmdLine;
  std::wstring Desc;
  std::wstring Company;
  std::wstring Version;
  std::wstring Copyright;
  int64_t Size = 0;
  int32_t ImageIndex = 0;
  // Not shown: where the entry really lives (for RunOnceEx the subkey below the key named in Path). The registry
  // key path is read and written in the 64-bit view; "Software\Wow6432Node\..." is the 32-bit view's key.
  AutorunPlace Place = AutorunPlace::None;
  RegistryRoot Root = RegistryRoot::None;
  std::wstring RegKey;
  // What the entry was when read, compared again just before it is removed: the value's type and data, or the
  // file's size and last-write time.
  uint32_t ReadType = 0;
  std::vector<uint8_t> ReadData;
  uint64_t ReadFileSize = 0;
  uint64_t ReadWriteTime = 0;
  // The value's name holds a NUL: Name shows it escaped, and no call taking a name could reach the value.
  bool NameUnreachable = false;
};

inline constexpr std::wstring_view kBrowserHelperGroup = L"Browser Helper Objects";

struct AutorunGroup {
  AutorunRecord Group;  // Location and Path only
  std::vector<AutorunRecord> Entries;
};

// Collects the rows of one refresh the way the list adds them: the browser-helper group first and always, one
// group per place created by its first entry, browser helper objects in the one group and de-duplicated by name
// (the first wins), and the name filter (names beginning with it, any case).
class AutorunListBuilder {
 public:
  explicit AutorunListBuilder(std::wstring filter);
  // The next entries belong to a new place: its group is created by its first entry.
  void BeginPlace() { current_ = -1; }
  // False when the entry would not be added (filtered out, or a browser helper object of a listed name); the
  // reader asks first so that it reads version information only for rows that will be shown.
  bool Wants(AutorunLocation location, std::wstring_view name) const;
  // Adds the entry (Location, Path, Name, CmdLine, ... filled) when Wants says so.
  void Add(AutorunRecord entry);
  const std::vector<AutorunGroup>& Groups() const { return groups_; }
  std::vector<AutorunGroup> Take() { return std::move(groups_); }

 private:
  std::wstring filter_;
  std::vector<AutorunGroup> groups_;
  int current_ = -1;
};

size_t AutorunEntryCount(const std::vector<AutorunGroup>& groups);

// The RunOnceEx command line: the first "||" removed, then the first "|" turned into a blank.
std::wstring RunOnceExCommandLine(std::wstring_view data);
// A startup-folder file that is not listed: its extension (from the last dot) occurs within ".ini", any case.
bool IsSkippedStartupFile(std::wstring_view fileName);
bool IsShellLinkFile(std::wstring_view fileName);
// A shortcut's command line: the target, a blank and the arguments (the blank also when there are none).
std::wstring LinkCommandLine(std::wstring_view target, std::wstring_view arguments);
// "<system dir>\<name>" when the name holds no backslash (Winlogon Notify, GinaDLL use this rule differently:
// GinaDLL always gets the prefix).
std::wstring WithSystemDirectory(std::wstring_view systemDir, std::wstring_view name, bool onlyWithoutBackslash);

// A registry value's name as read with its real length: a NUL inside is shown as "\0", so that the row does not
// pass for the value named by the part before it.
std::wstring EscapedValueName(std::wstring_view rawName);
inline bool HasEmbeddedNul(std::wstring_view rawName) { return rawName.find(L'\0') != std::wstring_view::npos; }

// Registry and folder entries get a check box, except Winlogon UserInit and Shell (without them nobody can log on)
// and Winlogon Notify entries (removal would mean deleting a whole subkey) and values whose name holds a NUL.
// Groups and browser helpers get none.
bool AutorunHasCheckBox(const AutorunRecord& record, bool isGroup);

struct AutorunRemoval {
  AutorunLocation Location = AutorunLocation::Registry;
  RegistryRoot Root = RegistryRoot::None;
  std::wstring Key;    // registry: the key holding the value
  std::wstring Value;  // registry: the value name
  std::wstring File;   // folder: the file, in the "\\?\" form that keeps a trailing blank or dot
  std::wstring Name;   // for the error box
};
// What removing this entry deletes; nothing for rows without a check box.
std::optional<AutorunRemoval> AutorunRemovalFor(const AutorunRecord& record);

enum class AutorunColumn : int { Name, CmdLine };
inline constexpr int kAutorunColumnCount = 2;
std::wstring AutorunCellText(const AutorunRecord& record, bool isGroup, int column);
inline constexpr uint32_t kAutorunGroupColor = 0xF0CAA6;  // RGB 166,202,240, red in the low byte
inline constexpr uint32_t kAutorunPanelColor = 0xE9E9E9;  // RGB 233,233,233
// The panel's bold line: Desc and Version (trimmed) for an entry, Path for a group.
std::wstring AutorunDescriptionLine(const AutorunRecord& record, bool isGroup);
// The company line, as for services; empty for a group.
std::wstring AutorunCompanyLine(const AutorunRecord& record, bool isGroup);
// "你真的要删除 %d 检查自动运行?"
std::wstring AutorunDeleteConfirmation(size_t checkedCount);
// "Autorun %s cannot be removed.\r\n%s"
std::wstring AutorunRemoveErrorText(const std::wstring& name, const std::wstring& systemMessage);
// The reason given when the entry is no longer what the list showed, so nothing was deleted.
inline constexpr wchar_t kAutorunChangedReason[] =
    L"The entry was changed after the list was read; nothing was deleted. Refresh the list to see it as it is now.";
// " 自动运行 (%d) "
std::wstring AutorunsTabCaption(size_t entryCount);

}  // namespace vantrel
