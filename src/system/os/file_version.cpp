#include "system/os/file_version.h"
#include "system/security/admin_only_path.h"

#include <shlobj.h>

#include "core/os/ascii.h"
#include "system/os/system_facts.h"
#include "system/raii.h"

namespace vantrel {
namespace {

struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::FindClose(h); }
};
using UniqueFind = win::Unique<HANDLE, FindTraits>;

struct EnvBlockTraits {
  static wchar_t* Invalid() { return nullptr; }
  static void Close(wchar_t* p) { ::FreeEnvironmentStringsW(p); }
};

struct PidlTraits {
  static LPITEMIDLIST Invalid() { return nullptr; }
  static void Close(LPITEMIDLIST p) { ::CoTaskMemFree(p); }
};

std::wstring ParentDirectory(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace

bool GetFileVerInfo(const std::wstring& fileName, VersionInfo& info) {
  info = VersionInfo{};
  info.FileName = fileName;
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(fileName.c_str(), &handle);
  if (size == 0) return false;
  std::vector<uint8_t> buffer(size);
  if (!::GetFileVersionInfoW(fileName.c_str(), 0, size, buffer.data())) return false;
  return ParseVersionResource(buffer.data(), buffer.size(), info);
}

std::wstring GetFileVersion(const std::wstring& fileName) {
  VersionInfo info;
  return GetFileVerInfo(fileName, info) ? info.Version : std::wstring();
}

int64_t GetFileSize(const std::wstring& fileName) {
  WIN32_FIND_DATAW data;
  UniqueFind find(::FindFirstFileW(fileName.c_str(), &data));
  if (!find) return -1;
  return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

bool FileExists(const std::wstring& fileName) {
  if (fileName.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(fileName.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring GetWinDir() {
  wchar_t buf[MAX_PATH];
  const UINT n = ::GetWindowsDirectoryW(buf, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

std::wstring GetSysDir() {
  wchar_t buf[MAX_PATH];
  const UINT n = ::GetSystemDirectoryW(buf, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

std::wstring GetSearchPath() { return SearchPathText(GetWinDir(), GetSysDir()); }

std::wstring GetSpecialFolder(HWND owner, int folder) {
  win::Unique<LPITEMIDLIST, PidlTraits> pidl;
  if (FAILED(::SHGetSpecialFolderLocation(owner, folder, pidl.put()))) return {};
  wchar_t path[MAX_PATH] = {};
  if (!::SHGetPathFromIDListW(pidl.get(), path)) return {};
  return path;
}

std::vector<std::wstring> GetEnvironmentList() {
  win::Unique<wchar_t*, EnvBlockTraits> block(::GetEnvironmentStringsW());
  if (!block) return {};
  // The block ends with an empty entry: find it to know its length.
  const wchar_t* p = block.get();
  size_t length = 0;
  while (p[length] != L'\0' || p[length + 1] != L'\0') ++length;
  return ParseEnvironmentBlock(std::wstring_view(p, length + 1));
}

std::wstring ExpandEnvVars(const std::wstring& s, bool expandBackslashForm) {
  return ExpandEnvVars(s, expandBackslashForm, GetEnvironmentList(), FileExists);
}

bool LocalFileExists(const std::wstring& fileName) { return IsLocalFixedPath(fileName) && FileExists(fileName); }

std::wstring ExtractFileFromCommandLine(const std::wstring& commandLine) {
  return ExtractFileFromCommandLine(commandLine, GetEnvironmentList(), LocalFileExists);
}

DriveLetterMap BuildDriveMap() {
  DriveLetterMap map;
  for (int i = 0; i < 26; ++i) {
    DriveQueryData& d = map[static_cast<size_t>(i)];
    d.DiskLabel = std::wstring(1, static_cast<wchar_t>(L'a' + i)) + L":";
    wchar_t buf[128] = {};
    const std::wstring upper = std::wstring(1, static_cast<wchar_t>(L'A' + i)) + L":";
    if (::QueryDosDeviceW(upper.c_str(), buf, 127) > 0) {
      buf[127] = L'\0';
      d.DiskDosQuery = buf;  // up to the first NUL
    }
    d.DosQueryLen = static_cast<int>(d.DiskDosQuery.size());
  }
  return map;
}

std::wstring DevicePathToDosPath(const std::wstring& nativePath) {
  return DevicePathToDosPath(nativePath, SystemFacts().DriveMap);
}

std::wstring DevicePathToDosPath(const std::wstring& nativePath, const DriveLetterMap& driveMap) {
  const std::wstring converted = DevicePathToDosPrefix(nativePath, driveMap);
  std::wstring buf(MAX_PATH, L'\0');
  DWORD n = ::GetLongPathNameW(converted.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
  if (n >= buf.size() && n <= 32767) {  // did not fit: once more with the size asked for
    buf.assign(n, L'\0');
    n = ::GetLongPathNameW(converted.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
  }
  if (n == 0 || n >= buf.size()) return nativePath;
  buf.resize(n);
  buf = detail::Trim(buf);
  return buf.size() > 2 ? buf : nativePath;
}

bool RunProgram(const std::wstring& program, const std::wstring& parameters, int showCmd) {
  std::wstring commandLine = detail::Trim(program + L" " + parameters);
  const std::wstring directory = ParentDirectory(program);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (showCmd >= 0) {
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(showCmd);
  }
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &si, &pi))
    return false;
  win::UniqueHandle process(pi.hProcess), thread(pi.hThread);
  ::WaitForSingleObject(process.get(), 2000);
  return true;
}

}  // namespace vantrel
