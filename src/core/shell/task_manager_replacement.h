// The rule of the task-manager replacement switch: what the "Debugger" value holds, and when it names us.
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// The value written: the executable's full path in double quotes (a path already starting with one unchanged).
std::wstring ReplacementDebuggerValue(std::wstring_view exePath);
// The check mark: the value read (one pair of enclosing quotes already dropped) equals our path, in any case.
bool IsReplacementOf(std::wstring_view replacement, std::wstring_view exePath);

}  // namespace vantrel
