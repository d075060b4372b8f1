// Path and command-line routines that need no system calls; the environment, the drive map and "does this file
// exist" come in from the caller.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

using FileExistsFn = std::function<bool(const std::wstring&)>;

// A command line is looked at up to the longest one a process can be given; any value may hold more.
inline constexpr size_t kMaxCommandLineChars = 32767;
// File probes one command line may cost at most, the " (x86)" fallback's included: a hostile value must cost the
// same as an ordinary one.
inline constexpr int kMaxCommandLineProbes = 64;
// The longest element of a path a file system accepts; a candidate with a longer one names no file.
inline constexpr size_t kMaxPathElementChars = 255;

// S without its first and last character when it is longer than one character and both are Quote.
std::wstring Dequote(std::wstring_view s, wchar_t quote);

// The lines NAME=value of an environment block (NUL-separated entries ending with an empty one, or the end of the
// view); entries that begin with "=" (per-drive directories) are skipped.
std::vector<std::wstring> ParseEnvironmentBlock(std::wstring_view block);

// S with environment variables replaced: "%NAME%" (any case) by its value, and with expandBackslashForm also
// "\NAME" ("\SystemRoot\System32\..."). Each variable at most once, in list order. When a replaced path does not
// exist but its form without " (x86)" does, that form is taken (within kMaxCommandLineProbes probes).
std::wstring ExpandEnvVars(std::wstring_view s, bool expandBackslashForm, const std::vector<std::wstring>& env,
                           const FileExistsFn& exists);

// Tokens of a comma-text: double quotes group (a doubled quote inside is one quote), blanks and commas separate.
std::vector<std::wstring> SplitCommaText(std::wstring_view s);

// The shortest leading run of tokens of a command line that names an existing file; all tokens joined by blanks
// when none does; empty for a line without tokens. Only the first kMaxCommandLineChars characters count, and the
// search stops after kMaxCommandLineProbes probes or once the run can no longer name a file (an element too long).
std::wstring ExtractFileFromCommandLine(std::wstring_view commandLine, const std::vector<std::wstring>& env,
                                        const FileExistsFn& exists);

struct DriveQueryData {
  std::wstring DiskLabel;     // "c:"
  std::wstring DiskDosQuery;  // "\Device\HarddiskVolume2", empty when the letter is unused
  int DosQueryLen = 0;
};
using DriveLetterMap = std::array<DriveQueryData, 26>;

// The drive form of a kernel device path by the map: "\Device\HarddiskVolume2\x" -> "c:\x" when volume 2 is c:,
// and "\??\C:\x" (the form Wine gives) -> "C:\x". A device name matches only as a whole path element. The path
// unchanged when nothing matches.
std::wstring DevicePathToDosPrefix(std::wstring_view nativePath, const DriveLetterMap& driveMap);

// The "\\?\" form of a full path, which the system takes as it is: a trailing blank or dot stays part of the
// name. "\\server\share\x" becomes "\\?\UNC\server\share\x"; a path already in that form is unchanged.
std::wstring LongPathForm(std::wstring_view fullPath);

// "<windows dir>;<system dir>;"
std::wstring SearchPathText(std::wstring_view winDir, std::wstring_view sysDir);

}  // namespace vantrel
