#include "core/shell/activity_log.h"

namespace vantrel {

size_t ActivityLog::Write(const std::wstring& text) {
  // A text with line breaks would count as several lines in the control; keep one entry one line.
  std::wstring line = text;
  while (!line.empty() && (line.back() == L'\r' || line.back() == L'\n')) line.pop_back();
  for (wchar_t& c : line) {
    if (c == L'\r' || c == L'\n') c = L' ';
  }
  lines_.push_back(std::move(line));
  size_t dropped = 0;
  while (lines_.size() > kMaxLines) {
    lines_.pop_front();
    ++dropped;
  }
  caption_ = L" 日志 (" + std::to_wstring(lines_.size()) + L") ";
  return dropped;
}

void ActivityLog::Clear() {
  lines_.clear();
  caption_ = L" Log ";
}

std::wstring LogLine(const std::wstring& where, const std::wstring& message) { return where + L": " + message; }

}  // namespace vantrel
