// The extended-length form of a path, under which the file calls take names of any length.
#pragma once

#include <string>

namespace vantrel {

// "C:\x" becomes "\\?\C:\x" and "\\server\share\x" becomes "\\?\UNC\server\share\x"; a path already in that form
// or a device path ("\\.\") stays as it is. Forward slashes become backslashes, since the extended form takes
// names literally. Empty for a path that is not full (relative, or relative to a drive's current folder: "C:x").
std::wstring ExtendedLengthPath(const std::wstring& fullPath);

}  // namespace vantrel
