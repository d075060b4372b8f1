// What a shell link (".lnk") points to, and the fix-up of its target path.
#pragma once

#include <cstdint>
#include <string>

#include "core/paths/paths.h"

namespace vantrel {

struct ShellLinkRecord {
  std::wstring Name;  // the description
  std::wstring Target;
  std::wstring Arguments;
  std::wstring WorkingDirectory;
  std::wstring IconFile;
  int32_t IconIndex = 0;
  int32_t ShowCmd = 0;
};

// A 32-bit process is given program-files paths under the 32-bit folder: a target that does not exist, holds
// " (x86)" and exists without its first occurrence (any case) is returned in that form; otherwise unchanged.
std::wstring FixLinkTargetX86(const std::wstring& target, const FileExistsFn& exists);

}  // namespace vantrel
