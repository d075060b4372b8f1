// The session journal: one entry per session change the system reports, kept in memory.
#pragma once

#include "core/base/enum_index.h"
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/sessions/session_record.h"
#include "core/text/date_time.h"
#include "core/text/format_settings.h"

namespace vantrel {

struct SessionJournalRecord {
  DateTime Timestamp = 0;  // local time the notification was handled
  int32_t Session = 0;
  std::wstring SesType;  // the kind of session the program itself runs in
  std::wstring Username;
  std::wstring Event;
};

using SessionJournalRecords = std::vector<SessionJournalRecord>;

// "Console connect" .. "Session remote control" for the codes 1..9; empty for any other code.
std::wstring SessionEventText(uint32_t code);

// "client\user", or the user alone when there is no client name.
std::wstring ComposeSessionUser(std::wstring_view clientName, std::wstring_view userName);
// The user of a session as the list showed it; false when the list has no row for the session (so that a logoff
// is attributed to whoever was listed before the session ended).
bool JournalUserFromSessions(const SessionRecords& sessions, uint32_t sessionId, std::wstring& user);

enum class JournalColumn : int { Timestamp, Session, Type, Name, Event };
inline constexpr int kJournalColumnCount = 5;
struct JournalColumnInfo {
  const wchar_t* Caption;
  int Width;  // 0: the list's default width
  bool RightAlign;
};
inline constexpr JournalColumnInfo kJournalColumns[kJournalColumnCount] = {
    {L"时间戳", 120, false}, {L"会话", 0, true}, {L"类型", 75, false}, {L"名称", 150, false}, {L"事件", 406, false}};

// The timestamp as the locale's short date, a blank and its long time.
std::wstring JournalCellText(const SessionJournalRecord& record, int column, const FormatSettings& settings);

inline constexpr wchar_t kJournalInitialCaption[] = L"日志";
inline constexpr wchar_t kJournalClearCaption[] = L"清除";
inline constexpr wchar_t kJournalSaveCaption[] = L"保存...";
inline constexpr wchar_t kJournalClearConfirmText[] = L"你真的要清除日志信息?";
inline constexpr wchar_t kJournalSaveFilter[] = L"文本文件|*.csv;*.txt";
// "Journal (n)".
std::wstring JournalCaption(size_t count);
// "<MACHINE>_SessionJournal.csv".
std::wstring JournalProposedFileName(std::wstring_view machineName);

}  // namespace vantrel
