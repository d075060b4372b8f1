#include "core/paths/shell_link.h"

#include "core/os/ascii.h"

namespace vantrel {

std::wstring FixLinkTargetX86(const std::wstring& target, const FileExistsFn& exists) {
  if (target.find(L" (x86)") == std::wstring::npos || exists(target)) return target;
  std::wstring stripped = target;
  stripped.erase(detail::FindNoCase(stripped, L" (x86)"), 6);
  return exists(stripped) ? stripped : target;
}

}  // namespace vantrel
