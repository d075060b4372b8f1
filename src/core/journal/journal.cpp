#include "core/journal/journal.h"

#include <array>

namespace vantrel {

namespace {

constexpr std::array<const wchar_t*, 9> kEventTexts = {
    L"Console connect", L"Console disconnect", L"Remote connect", L"Remote disconnect",     L"Session logon",
    L"Session logoff",  L"Session lock",       L"Session unlock", L"Session remote control"};

}  // namespace

std::wstring SessionEventText(uint32_t code) {
  if (code >= 1 && code <= kEventTexts.size()) return kEventTexts[code - 1];
  return {};
}

std::wstring ComposeSessionUser(std::wstring_view clientName, std::wstring_view userName) {
  if (clientName.empty()) return std::wstring(userName);
  return std::wstring(clientName) + L"\\" + std::wstring(userName);
}

bool JournalUserFromSessions(const SessionRecords& sessions, uint32_t sessionId, std::wstring& user) {
  for (const SessionRecord& s : sessions) {
    if (s.ID != sessionId) continue;
    user = ComposeSessionUser(s.ClientName, s.Username);
    return true;
  }
  return false;
}

std::wstring JournalCellText(const SessionJournalRecord& r, int column, const FormatSettings& settings) {
  switch (column) {
    case Index(JournalColumn::Timestamp):
      return FormatDateTime(settings.ShortDateFormat + L" " + settings.LongTimeFormat, r.Timestamp, settings);
    case Index(JournalColumn::Session): return std::to_wstring(r.Session);
    case Index(JournalColumn::Type): return r.SesType;
    case Index(JournalColumn::Name): return r.Username;
    case Index(JournalColumn::Event): return r.Event;
    default: return {};
  }
}

std::wstring JournalCaption(size_t count) { return L"Journal (" + std::to_wstring(count) + L")"; }

std::wstring JournalProposedFileName(std::wstring_view machineName) {
  return std::wstring(machineName) + L"_SessionJournal.csv";
}

}  // namespace vantrel
