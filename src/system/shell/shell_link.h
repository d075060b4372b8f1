// Reading a shell link (".lnk") without any user interface.
#pragma once

#include <windows.h>

#include <string>

#include "core/paths/shell_link.h"

namespace vantrel {

// How long Resolve may search for a moved target.
inline constexpr WORD kShellLinkResolveTimeoutMs = 500;

// Clears the record and fills it from the link. The result is the HRESULT of the last step attempted (negative:
// failure). A failed load or Resolve leaves the record empty; a field whose call fails stays empty. The target's
// " (x86)" form is dropped only when the target does not exist and the native form does. Initialises COM for the
// thread when needed (a thread already in either apartment is used as it is).
HRESULT ResolveShellLink(const std::wstring& linkFile, ShellLinkRecord& record);

}  // namespace vantrel
