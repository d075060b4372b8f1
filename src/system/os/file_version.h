// Files and paths: version resources, sizes, the Windows folders, environment expansion, command lines, device paths.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/paths/paths.h"
#include "core/version/version_info.h"

namespace vantrel {

// Clears Info, sets FileName and fills the rest from the file's version resource; false when it has none.
bool GetFileVerInfo(const std::wstring& fileName, VersionInfo& info);
// The Version text of the resource, or empty.
std::wstring GetFileVersion(const std::wstring& fileName);
// Size of the first directory entry matching fileName (wildcards allowed), or -1.
int64_t GetFileSize(const std::wstring& fileName);
bool FileExists(const std::wstring& fileName);

std::wstring GetWinDir();
std::wstring GetSysDir();
// "<windows dir>;<system dir>;"
std::wstring GetSearchPath();
// File-system path of a shell folder (CSIDL), or empty.
std::wstring GetSpecialFolder(HWND owner, int folder);

// The process's environment as NAME=value lines (whole block; "=C:" style entries skipped).
std::vector<std::wstring> GetEnvironmentList();
// S with environment variables of this process replaced.
std::wstring ExpandEnvVars(const std::wstring& s, bool expandBackslashForm);
// The file behind a command line, by this process's environment and the file system.
std::wstring ExtractFileFromCommandLine(const std::wstring& commandLine);
// FileExists for paths on a local fixed drive; a share or a device is never probed (false).
bool LocalFileExists(const std::wstring& fileName);

// Drive letters a..z and their device names, read now.
DriveLetterMap BuildDriveMap();
// A kernel device path as a drive path by the map taken at start-up, or the path unchanged.
std::wstring DevicePathToDosPath(const std::wstring& nativePath);
std::wstring DevicePathToDosPath(const std::wstring& nativePath, const DriveLetterMap& driveMap);

// Starts Program with Parameters (show state when showCmd >= 0), waits up to 2 s for it; false when it cannot start.
bool RunProgram(const std::wstring& program, const std::wstring& parameters, int showCmd);

}  // namespace vantrel
