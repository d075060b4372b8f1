// Version resources, sizes, folders, environment, command lines and device paths on the prefix's files.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "os_test_print.h"
#include "system/os/file_version.h"
#include "system/os/system_facts.h"
#include "system/raii.h"

namespace vantrel {
namespace {

std::wstring Query(const std::vector<BYTE>& data, const std::wstring& table, const wchar_t* key) {
  wchar_t* text = nullptr;
  UINT len = 0;
  const std::wstring path = L"\\StringFileInfo\\" + table + L"\\" + key;
  if (!::VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&text), &len) || !text) return {};
  return text;
}

// This Wine's explorer.exe carries a version resource (its notepad.exe has none: see the next test).
TEST(FileVersion, AgreesWithTheSystemsReader) {
  const std::wstring exe = GetWinDir() + L"\\explorer.exe";
  VersionInfo info;
  ASSERT_TRUE(GetFileVerInfo(exe, info));
  DWORD handle = 0;
  std::vector<BYTE> data(::GetFileVersionInfoSizeW(exe.c_str(), &handle));
  ASSERT_TRUE(::GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
  WORD* translation = nullptr;
  ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &len));
  wchar_t table[9];
  swprintf(table, 9, L"%04X%04X", translation[0], translation[1]);

  EXPECT_EQ(info.FileName, exe);
  EXPECT_EQ(info.Major, HIWORD(fixed->dwFileVersionMS));
  EXPECT_EQ(info.Build, LOWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(info.ProductMinor, LOWORD(fixed->dwProductVersionMS));
  EXPECT_FALSE(info.FileVersion.empty());
  EXPECT_EQ(info.FileVersion, Query(data, table, L"FileVersion"));
  EXPECT_EQ(info.CompanyName, Query(data, table, L"CompanyName"));
  EXPECT_EQ(info.Description, Query(data, table, L"FileDescription"));
  EXPECT_EQ(info.ProductName, Query(data, table, L"ProductName"));
  EXPECT_EQ(info.Copyright, Query(data, table, L"LegalCopyright"));
  EXPECT_EQ(info.OriginalFilename, Query(data, table, L"OriginalFilename"));
  PrintLine(L"explorer.exe: " + info.Version + L" | " + info.FileVersion + L" | " + info.CompanyName + L" | " +
            info.Description + L" | " + info.Copyright);
  EXPECT_EQ(GetFileVersion(exe), info.Version);
}

TEST(FileVersion, MissingFileOrResource) {
  VersionInfo info;
  info.CompanyName = L"stale";
  EXPECT_FALSE(GetFileVerInfo(L"C:\\no\\such\\file.exe", info));
  EXPECT_EQ(info.FileName, L"C:\\no\\such\\file.exe");
  EXPECT_TRUE(info.CompanyName.empty());
  EXPECT_EQ(GetFileVersion(GetWinDir() + L"\\win.ini"), L"");
  // A real executable without a version resource.
  const std::wstring notepad = GetSysDir() + L"\\notepad.exe";
  ASSERT_NE(::GetFileAttributesW(notepad.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(GetFileVerInfo(notepad, info));
  EXPECT_EQ(info.FileName, notepad);
  EXPECT_TRUE(info.Version.empty());
}

TEST(Files, SizeFoldersAndSearchPath) {
  const std::wstring notepad = GetSysDir() + L"\\notepad.exe";
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  ASSERT_TRUE(::GetFileAttributesExW(notepad.c_str(), GetFileExInfoStandard, &attributes));
  EXPECT_EQ(GetFileSize(notepad), static_cast<int64_t>(attributes.nFileSizeLow));
  EXPECT_EQ(GetFileSize(GetSysDir() + L"\\notepad.ex?"), static_cast<int64_t>(attributes.nFileSizeLow));
  EXPECT_EQ(GetFileSize(L"C:\\no\\such\\file.exe"), -1);

  const std::wstring win = GetWinDir(), sys = GetSysDir();
  ASSERT_FALSE(win.empty());
  EXPECT_NE(win.back(), L'\\');
  EXPECT_EQ(GetSearchPath(), win + L";" + sys + L";");
  const std::wstring programs = GetSpecialFolder(::GetDesktopWindow(), CSIDL_PROGRAM_FILES);
  EXPECT_FALSE(programs.empty());
  EXPECT_NE(::GetFileAttributesW(programs.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Environment, WholeBlockAndExpansion) {
  const std::wstring big(6000, L'v');
  ASSERT_TRUE(::SetEnvironmentVariableW(L"AAA_VANTREL_BIG", big.c_str()));
  ASSERT_TRUE(::SetEnvironmentVariableW(L"ZZZ_VANTREL_LAST", L"C:\\last"));
  const auto list = GetEnvironmentList();
  bool bigSeen = false, lastSeen = false;
  for (const auto& line : list) {
    bigSeen |= line == L"AAA_VANTREL_BIG=" + big;
    lastSeen |= line == L"ZZZ_VANTREL_LAST=C:\\last";
    EXPECT_NE(line.front(), L'=');
  }
  EXPECT_TRUE(bigSeen);
  EXPECT_TRUE(lastSeen);  // listed although it comes after more than 4,096 characters
  EXPECT_EQ(ExpandEnvVars(L"%zzz_vantrel_last%\\x.exe", false), L"C:\\last\\x.exe");
  EXPECT_EQ(ExpandEnvVars(L"\\SystemRoot\\system32\\notepad.exe", true), GetWinDir() + L"\\system32\\notepad.exe");
  ::SetEnvironmentVariableW(L"AAA_VANTREL_BIG", nullptr);
  ::SetEnvironmentVariableW(L"ZZZ_VANTREL_LAST", nullptr);
}

TEST(CommandLine, FileBehindACommandLine) {
  wchar_t temp[MAX_PATH];
  ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring dir = std::wstring(temp) + L"vantrel sys dir";
  ::CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring app = dir + L"\\my app.exe";
  { win::UniqueFileHandle f(::CreateFileW(app.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)); }
  EXPECT_EQ(ExtractFileFromCommandLine(app + L" -k x"), app);
  EXPECT_EQ(ExtractFileFromCommandLine(L"\"" + app + L"\" /s"), app);
  EXPECT_EQ(ExtractFileFromCommandLine(L"%SystemRoot%\\system32\\notepad.exe C:\\a.txt"),
            GetWinDir() + L"\\system32\\notepad.exe");
  ::DeleteFileW(app.c_str());
  ::RemoveDirectoryW(dir.c_str());
  EXPECT_EQ(ExtractFileFromCommandLine(app + L" -k"), app + L" -k");
}

TEST(DevicePath, ConvertsTheDevicePathOfAFile) {
  const DriveLetterMap& map = SystemFacts().DriveMap;
  EXPECT_EQ(map[2].DiskLabel, L"c:");
  EXPECT_EQ(map[2].DiskDosQuery.rfind(L"\\Device\\", 0), 0u) << map[2].DiskDosQuery;
  EXPECT_EQ(map[2].DosQueryLen, static_cast<int>(map[2].DiskDosQuery.size()));

  const std::wstring file = GetWinDir() + L"\\win.ini";
  win::UniqueFileHandle h(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(h);
  wchar_t device[MAX_PATH];
  ASSERT_GT(::GetFinalPathNameByHandleW(h.get(), device, MAX_PATH, VOLUME_NAME_NT), 0u);
  PrintLine(std::wstring(L"device path: ") + device);
  const std::wstring converted = DevicePathToDosPath(device);
  EXPECT_EQ(::CompareStringOrdinal(converted.c_str(), -1, file.c_str(), -1, TRUE), CSTR_EQUAL) << converted;
  // The object-manager form that this platform's handle queries give.
  const std::wstring dosDevice = L"\\??\\" + file;
  EXPECT_EQ(::CompareStringOrdinal(DevicePathToDosPath(dosDevice).c_str(), -1, file.c_str(), -1, TRUE), CSTR_EQUAL);
  // A file that no longer exists keeps its device form.
  const std::wstring gone = map[2].DiskDosQuery + L"\\no\\such\\file.txt";
  EXPECT_EQ(DevicePathToDosPath(gone), gone);
}

TEST(RunProgram, StartsAndWaitsBriefly) {
  wchar_t path[MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring child(path, n);
  child = child.substr(0, child.find_last_of(L'\\')) + L"\\sys_facts_child.exe";
  EXPECT_TRUE(RunProgram(child, L"--exit", SW_HIDE));
  EXPECT_FALSE(RunProgram(L"C:\\no\\such\\program.exe", L"", -1));
}

}  // namespace
}  // namespace vantrel
