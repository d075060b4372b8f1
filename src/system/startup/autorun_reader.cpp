#include "system/startup/autorun_reader.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <exception>

#include "core/os/ascii.h"
#include "core/os/registry_text.h"
#include "core/text/str_utils.h"
#include "system/os/file_version.h"
#include "system/security/admin_only_path.h"
#include "system/os/registry.h"
#include "system/raii.h"
#include "system/shell/shell_link.h"
#include "system/text/locale_text.h"

namespace vantrel {
namespace {

constexpr REGSAM kReadAccess = KEY_READ | KEY_WOW64_64KEY;

struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::FindClose(h); }
};

constexpr DWORD kMaxValueBytes = 1u << 20;

struct RegValue {
  std::wstring Name;  // with its real length: it may hold a NUL
  DWORD Type = 0;
  std::vector<BYTE> Data;
};

// The value of that name, when it exists and is at most kMaxValueBytes; otherwise the failing call's error.
LONG ReadValue(HKEY key, const std::wstring& name, RegValue& value) {
  value.Name = name;
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = 0;
    LONG rc = ::RegQueryValueExW(key, name.c_str(), nullptr, &value.Type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return rc;
    if (size > kMaxValueBytes) return ERROR_MORE_DATA;
    value.Data.resize(size);
    rc = ::RegQueryValueExW(key, name.c_str(), nullptr, &value.Type, value.Data.data(), &size);
    if (rc == ERROR_MORE_DATA) continue;  // it grew in between
    if (rc != ERROR_SUCCESS) return rc;
    value.Data.resize(size);
    return ERROR_SUCCESS;
  }
  return ERROR_MORE_DATA;
}

class OpenedKey {
 public:
  bool Open(HKEY root, const std::wstring& path) {
    return ::RegOpenKeyExW(root, path.c_str(), 0, kReadAccess, key_.put()) == ERROR_SUCCESS;
  }
  bool Read(const std::wstring& name, RegValue& value) const {
    return ReadValue(key_.get(), name, value) == ERROR_SUCCESS;
  }
  // Every value with its name's real length and its data as enumerated, never looked up again by a name that a
  // NUL would cut short.
  std::vector<RegValue> Values() const {
    std::vector<RegValue> values;
    DWORD count = 0, maxName = 0, maxData = 0;
    if (::RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxName, &maxData,
                           nullptr, nullptr) != ERROR_SUCCESS)
      return values;
    std::vector<wchar_t> name(maxName + 2);
    std::vector<BYTE> data(std::min<DWORD>(maxData, kMaxValueBytes) + sizeof(wchar_t));
    for (DWORD i = 0; i < count; ++i) {
      DWORD len = static_cast<DWORD>(name.size());
      DWORD size = static_cast<DWORD>(data.size());
      RegValue v;
      if (::RegEnumValueW(key_.get(), i, name.data(), &len, nullptr, &v.Type, data.data(), &size) != ERROR_SUCCESS)
        continue;  // gone, or grown beyond the limit since the count was taken
      v.Name.assign(name.data(), len);
      v.Data.assign(data.begin(), data.begin() + size);
      values.push_back(std::move(v));
    }
    return values;
  }
  std::vector<std::wstring> SubKeys() const {
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD len = static_cast<DWORD>(std::size(name));
      const LONG rc = ::RegEnumKeyExW(key_.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_MORE_DATA) continue;
      if (rc != ERROR_SUCCESS) break;
      names.emplace_back(name, len);
    }
    return names;
  }

 private:
  win::UniqueRegKey key_;
};

bool IsString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }
std::wstring Text(const RegValue& v) { return RegValueBytesToText(kRegSz, v.Data.data(), v.Data.size(), nullptr); }
std::wstring AsText(const RegValue& v) {
  return RegValueBytesToText(v.Type, v.Data.data(), v.Data.size(),
                             [](const std::wstring& s) { return ExpandEnvVars(s, true); });
}

class Scanner {
 public:
  Scanner(const AutorunScanOptions& options) : options_(options), list_(options.Filter) {}

  void ScanRegistryRoot(HKEY root, const std::wstring& subRoot, const std::wstring& rootName);
  void ScanStartupFolder(const std::wstring& folder);
  AutorunScan Finish();
  void Log(std::wstring line) { log_.push_back(std::move(line)); }

 private:
  struct ScanPlace {
    HKEY root;
    RegistryRoot rootKind;
    std::wstring rootName;
    std::wstring key;  // below the root
    AutorunPlace place;
    std::wstring PathText() const { return rootName + L"\\" + key; }
  };
  void AddRegistry(const ScanPlace& p, const std::wstring& name, const std::wstring& cmdLine,
                   const std::wstring& regKey, const RegValue* read = nullptr,
                   AutorunLocation location = AutorunLocation::Registry, const std::wstring& groupPath = L"");
  void Add(AutorunRecord entry, const std::wstring& imageName);
  void ScanValues(const ScanPlace& p, const OpenedKey& key, const std::wstring& regKey, bool runOnceEx);
  void ScanBrowserHelpers(const ScanPlace& p, const std::wstring& subRoot);
  void ScanWinlogon(const ScanPlace& p, const OpenedKey& key);
  void ScanNotify(const ScanPlace& p, const OpenedKey& key);
  void ScanBootExecute(const ScanPlace& p, const OpenedKey& key);

  const AutorunScanOptions& options_;
  AutorunListBuilder list_;
  std::vector<std::wstring> log_;
  std::wstring sysDir_ = GetSysDir();
};

void Scanner::Add(AutorunRecord entry, const std::wstring& imageName) {
  if (!list_.Wants(entry.Location, entry.Name)) return;
  entry.ImageName = imageName.empty() ? ExtractFileFromCommandLine(entry.CmdLine) : imageName;
  entry.ImageIndex = options_.AppIcon;
  // A share's file may belong to a stranger or hang on a dead server: its text only.
  if (options_.ReadFileDetails && IsLocalFixedPath(entry.ImageName)) {
    SHFILEINFOW info{};
    if (::SHGetFileInfoW(entry.ImageName.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
      entry.ImageIndex = info.iIcon;
    VersionInfo version;
    if (GetFileVerInfo(entry.ImageName, version)) {
      entry.Desc = version.Description;
      entry.Company = version.CompanyName;
      entry.Version = version.FileVersion;
      entry.Copyright = version.Copyright;
    }
    entry.Size = std::max<int64_t>(0, GetFileSize(entry.ImageName));
  }
  list_.Add(std::move(entry));
}

void Scanner::AddRegistry(const ScanPlace& p, const std::wstring& name, const std::wstring& cmdLine,
                          const std::wstring& regKey, const RegValue* read, AutorunLocation location,
                          const std::wstring& groupPath) {
  AutorunRecord e;
  e.Location = location;
  e.Path = groupPath.empty() ? p.PathText() : groupPath;
  e.Name = EscapedValueName(name);
  e.NameUnreachable = HasEmbeddedNul(name);
  if (read) {
    e.ReadType = read->Type;
    e.ReadData.assign(read->Data.begin(), read->Data.end());
  }
  e.CmdLine = cmdLine;
  e.Place = p.place;
  e.Root = p.rootKind;
  e.RegKey = regKey;
  Add(std::move(e), L"");
}

void Scanner::ScanValues(const ScanPlace& p, const OpenedKey& key, const std::wstring& regKey, bool runOnceEx) {
  for (const RegValue& v : key.Values()) {
    if (IsBlank(v.Name) || !IsString(v.Type)) continue;
    const std::wstring data = Text(v);
    AddRegistry(p, v.Name, runOnceEx ? RunOnceExCommandLine(data) : data, regKey, &v);
  }
}

void Scanner::ScanBrowserHelpers(const ScanPlace& p, const std::wstring& subRoot) {
  OpenedKey key;
  if (!key.Open(p.root, p.key)) return;
  for (const std::wstring& id : key.SubKeys()) {
    OpenedKey classKey, server;
    const std::wstring classPath = subRoot + L"\\Classes\\CLSID\\" + id;
    if (!classKey.Open(p.root, classPath) || !server.Open(p.root, classPath + L"\\InprocServer32")) continue;
    RegValue serverValue, className;
    if (!server.Read(L"", serverValue) || serverValue.Type != REG_SZ) continue;
    std::wstring name = id;
    if (classKey.Read(L"", className) && className.Type == REG_SZ && !Text(className).empty()) name = Text(className);
    AddRegistry(p, name, Text(serverValue), p.key + L"\\" + id, nullptr, AutorunLocation::BrowserHelper,
                std::wstring(kBrowserHelperGroup));
  }
}

void Scanner::ScanWinlogon(const ScanPlace& p, const OpenedKey& key) {
  for (const wchar_t* name : {L"UserInit", L"Shell", L"GinaDLL"}) {
    RegValue v;
    if (!key.Read(name, v) || v.Type != REG_SZ) continue;
    const std::wstring data = Text(v);
    AddRegistry(p, name, std::wstring(name) == L"GinaDLL" ? WithSystemDirectory(sysDir_, data, false) : data, p.key,
                &v);
  }
}

void Scanner::ScanNotify(const ScanPlace& p, const OpenedKey& key) {
  for (const std::wstring& sub : key.SubKeys()) {
    OpenedKey notify;
    RegValue dll;
    if (!notify.Open(p.root, p.key + L"\\" + sub) || !notify.Read(L"DLLName", dll)) continue;
    AddRegistry(p, sub, WithSystemDirectory(sysDir_, AsText(dll), true), p.key + L"\\" + sub);
  }
}

void Scanner::ScanBootExecute(const ScanPlace& p, const OpenedKey& key) {
  RegValue v;
  if (!key.Read(L"BootExecute", v)) return;
  if (v.Type != REG_MULTI_SZ && v.Type != REG_BINARY && v.Type != REG_SZ) return;
  const std::wstring first = Text(v);  // a multi-string's or binary value's first string
  if (IsBlank(first)) return;
  AddRegistry(p, L"BootExecute", first, p.key, &v);
}

void Scanner::ScanRegistryRoot(HKEY root, const std::wstring& subRoot, const std::wstring& rootName) {
  const RegistryRoot kind = root == HKEY_CURRENT_USER ? RegistryRoot::CurrentUser : RegistryRoot::LocalMachine;
  const std::wstring cv = subRoot + L"\\Microsoft\\Windows\\CurrentVersion";
  const std::wstring nt = subRoot + L"\\Microsoft\\Windows NT\\CurrentVersion";
  auto place = [&](const std::wstring& key, AutorunPlace what) { return ScanPlace{root, kind, rootName, key, what}; };

  list_.BeginPlace();
  ScanBrowserHelpers(place(cv + L"\\Explorer\\Browser Helper Objects", AutorunPlace::BrowserHelper), subRoot);

  const std::pair<const wchar_t*, AutorunPlace> runKeys[] = {{L"\\Run", AutorunPlace::Run},
                                                             {L"\\RunOnce", AutorunPlace::RunOnce},
                                                             {L"\\RunOnceEx", AutorunPlace::RunOnceEx},
                                                             {L"\\RunServices", AutorunPlace::RunServices},
                                                             {L"\\RunServicesOnce", AutorunPlace::RunServicesOnce}};
  for (const auto& [suffix, what] : runKeys) {
    list_.BeginPlace();
    const ScanPlace p = place(cv + suffix, what);
    OpenedKey key;
    if (!key.Open(root, p.key)) continue;
    if (what != AutorunPlace::RunOnceEx) {
      ScanValues(p, key, p.key, false);
      continue;
    }
    for (const std::wstring& sub : key.SubKeys()) {
      if (detail::EqualsNoCase(sub, L"Depend")) continue;
      OpenedKey subKey;
      if (subKey.Open(root, p.key + L"\\" + sub)) ScanValues(p, subKey, p.key + L"\\" + sub, true);
    }
  }

  const std::pair<std::wstring, AutorunPlace> others[] = {
      {nt + L"\\Winlogon", AutorunPlace::Winlogon},
      {nt + L"\\Winlogon\\Notify", AutorunPlace::WinlogonNotify},
      {nt + L"\\Windows", AutorunPlace::AppInitDlls},
      {subRoot + L"\\CurrentControlSet\\Control\\Session Manager", AutorunPlace::BootExecute}};
  for (const auto& [path, what] : others) {
    list_.BeginPlace();
    const ScanPlace p = place(path, what);
    OpenedKey key;
    if (!key.Open(root, p.key)) continue;
    if (what == AutorunPlace::Winlogon) ScanWinlogon(p, key);
    if (what == AutorunPlace::WinlogonNotify) ScanNotify(p, key);
    if (what == AutorunPlace::BootExecute) ScanBootExecute(p, key);
    if (what == AutorunPlace::AppInitDlls) {
      RegValue v;
      if (key.Read(L"AppInit_DLLs", v) && !AsText(v).empty()) AddRegistry(p, L"AppInit_DLLs", AsText(v), p.key, &v);
    }
  }
}

void Scanner::ScanStartupFolder(const std::wstring& folder) {
  list_.BeginPlace();
  if (folder.empty()) return;
  WIN32_FIND_DATAW found;
  win::Unique<HANDLE, FindTraits> find(::FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!find) return;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) continue;
    const std::wstring file = found.cFileName;
    AutorunRecord e;
    e.Location = AutorunLocation::Folder;
    e.Path = folder;
    e.Name = file;
    e.Place = AutorunPlace::StartupFolder;
    e.ReadFileSize = (uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
    e.ReadWriteTime = (uint64_t{found.ftLastWriteTime.dwHighDateTime} << 32) | found.ftLastWriteTime.dwLowDateTime;
    std::wstring image;
    if (IsShellLinkFile(file)) {
      if (!list_.Wants(AutorunLocation::Folder, file)) continue;
      ShellLinkRecord link;
      try {
        ResolveShellLink(folder + L"\\" + file, link);
      } catch (const std::exception& ex) {
        Log(L"ResolveLink[" + folder + L"\\" + file + L"]: " + ExceptionMessage(ex));
      }
      e.CmdLine = LinkCommandLine(link.Target, link.Arguments);
      image = link.Target;
    } else {
      if (IsSkippedStartupFile(file)) continue;
      e.CmdLine = file;
      image = folder + L"\\" + file;
    }
    Add(std::move(e), image);
  } while (::FindNextFileW(find.get(), &found));
}

AutorunScan Scanner::Finish() {
  AutorunScan scan;
  scan.Groups = list_.Take();
  for (AutorunGroup& g : scan.Groups) {
    if (g.Group.Location == AutorunLocation::BrowserHelper) {
      g.Group.ImageIndex = options_.BrowserIcon;
    } else if (g.Group.Location == AutorunLocation::Registry) {
      g.Group.ImageIndex = options_.RegistryIcon;
    } else {
      SHFILEINFOW info{};
      g.Group.ImageIndex =
          ::SHGetFileInfoW(g.Group.Path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON)
              ? info.iIcon
              : options_.AppIcon;
    }
  }
  scan.LogLines = std::move(log_);
  return scan;
}

}  // namespace

AutorunScan ReadAutoruns(const AutorunScanOptions& options) {
  // The shell's icons and links want COM on the calling thread, which is a worker of its own.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  struct ComRelease {
    HRESULT hr;
    ~ComRelease() {
      if (SUCCEEDED(hr)) ::CoUninitialize();
    }
  } release{com};
  Scanner scanner(options);
  auto guarded = [&](const wchar_t* label, auto&& scan) {
    try {
      scan();
    } catch (const std::exception& ex) {
      scanner.Log(L"RefreshAutoruns[" + std::wstring(label) + L"]: " + ExceptionMessage(ex));
    }
  };
  guarded(L"HKLM\\System", [&] { scanner.ScanRegistryRoot(HKEY_LOCAL_MACHINE, L"System", L"HKLM"); });
  guarded(L"HKLM\\Software", [&] { scanner.ScanRegistryRoot(HKEY_LOCAL_MACHINE, L"Software", L"HKLM"); });
  guarded(L"HKLM\\Software\\Wow6432Node",
          [&] { scanner.ScanRegistryRoot(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node", L"HKLM"); });
  guarded(L"HKCU\\Software", [&] { scanner.ScanRegistryRoot(HKEY_CURRENT_USER, L"Software", L"HKCU"); });
  guarded(L"CSIDL_COMMON_STARTUP",
          [&] { scanner.ScanStartupFolder(GetSpecialFolder(::GetDesktopWindow(), CSIDL_COMMON_STARTUP)); });
  guarded(L"CSIDL_STARTUP", [&] { scanner.ScanStartupFolder(GetSpecialFolder(::GetDesktopWindow(), CSIDL_STARTUP)); });
  return scanner.Finish();
}

namespace {

// Deletes the value only when it still holds what the list showed.
void RemoveValue(const AutorunRecord& entry, const AutorunRemoval& removal, AutorunRemovalOutcome& out) {
  const HKEY root = removal.Root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  win::UniqueRegKey key;
  LONG rc = ::RegOpenKeyExW(root, removal.Key.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY, key.put());
  RegValue now;
  if (rc == ERROR_SUCCESS) rc = ReadValue(key.get(), removal.Value, now);
  if (rc == ERROR_SUCCESS && (now.Type != entry.ReadType || now.Data != entry.ReadData)) {
    out.Changed = true;
    return;
  }
  if (rc == ERROR_SUCCESS) rc = ::RegDeleteValueW(key.get(), removal.Value.c_str());
  out.Ok = rc == ERROR_SUCCESS;
  out.Error = static_cast<DWORD>(rc);
}

// Opens the file itself (never through a link), compares it with what the list showed and deletes it through the
// same handle, so that no other file can take its place in between.
void RemoveFile(const AutorunRecord& entry, const AutorunRemoval& removal, AutorunRemovalOutcome& out) {
  win::UniqueFileHandle file(::CreateFileW(removal.File.c_str(), DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                                           nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) {
    out.Error = ::GetLastError();
    return;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file.get(), &info)) {
    out.Error = ::GetLastError();
    return;
  }
  const uint64_t size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  const uint64_t written = (uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) | info.ftLastWriteTime.dwLowDateTime;
  if (size != entry.ReadFileSize || written != entry.ReadWriteTime) {
    out.Changed = true;
    return;
  }
  FILE_DISPOSITION_INFO dispose{TRUE};
  out.Ok = ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &dispose, sizeof dispose) != FALSE;
  if (!out.Ok) out.Error = ::GetLastError();
}

}  // namespace

std::vector<AutorunRemovalOutcome> RemoveAutoruns(const std::vector<AutorunRecord>& entries) {
  std::vector<AutorunRemovalOutcome> outcomes;
  for (const AutorunRecord& entry : entries) {
    AutorunRemovalOutcome out;
    out.Name = entry.Name;
    const std::optional<AutorunRemoval> removal = AutorunRemovalFor(entry);
    if (!removal) out.Error = ERROR_ACCESS_DENIED;
    else if (removal->Location == AutorunLocation::Folder) RemoveFile(entry, *removal, out);
    else RemoveValue(entry, *removal, out);
    outcomes.push_back(std::move(out));
  }
  return outcomes;
}

}  // namespace vantrel
