// The activity log's lines: one line per caught error, no time stamps or levels, bounded so that a
// lasting error under automatic refresh cannot grow it without end.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

namespace vantrel {

class ActivityLog {
 public:
  static constexpr size_t kMaxLines = 5000;

  // Appends a line; returns how many of the oldest lines were dropped to stay within kMaxLines.
  size_t Write(const std::wstring& text);
  void Clear();

  size_t LineCount() const { return lines_.size(); }
  const std::deque<std::wstring>& Lines() const { return lines_; }
  // " 日志 (n) " once something was written, " Log " after clearing, " 日志 " at start.
  const std::wstring& Caption() const { return caption_; }

 private:
  std::deque<std::wstring> lines_;
  std::wstring caption_ = L" 日志 ";
};

// "RefreshServices: <message>": a refresher's name, a colon and the message of the error it caught.
std::wstring LogLine(const std::wstring& where, const std::wstring& message);

}  // namespace vantrel
