// Which paths name a file on a fixed drive of this machine. Any other path (a share, a WebDAV folder, a mapped,
// substituted or removable drive, a device or a relative name) may be chosen by someone else, reach the network
// with the administrator's credentials or hang on a dead server: no file of it is ever opened for its facts.
#pragma once

#include <functional>
#include <string_view>

namespace vantrel {

enum class DriveKind { Fixed, Remote, Removable, CdRom, RamDisk, Substituted, Missing };
using DriveKindFn = std::function<DriveKind(wchar_t letter)>;

// The drive letter (upper case) of a full path on a drive: "C:\..." or "C:/...", and the same behind "\\?\" or
// "\??\"; 0 for UNC, device, volume-GUID and relative forms.
wchar_t FullPathDriveLetter(std::wstring_view path);
// A full path on a drive that driveKind reports as fixed.
bool IsLocalFixedPath(std::wstring_view path, const DriveKindFn& driveKind);

}  // namespace vantrel
