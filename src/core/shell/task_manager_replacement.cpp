#include "core/shell/task_manager_replacement.h"

#include "core/text/char_fold.h"
#include "core/text/str_utils.h"

namespace vantrel {

std::wstring ReplacementDebuggerValue(std::wstring_view exePath) { return QuoteText(exePath, L'"'); }

bool IsReplacementOf(std::wstring_view replacement, std::wstring_view exePath) {
  if (replacement.size() != exePath.size()) return false;
  for (size_t i = 0; i < exePath.size(); ++i)
    if (text_detail::FoldSimple(replacement[i]) != text_detail::FoldSimple(exePath[i])) return false;
  return true;
}

}  // namespace vantrel
