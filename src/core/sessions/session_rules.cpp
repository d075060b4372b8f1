#include "core/sessions/session_rules.h"

#include <array>

#include "core/os/ascii.h"
#include "core/text/str_utils.h"

namespace vantrel {

namespace {

constexpr std::array<const wchar_t*, 10> kConnectStateNames = {
    L"WTSActive", L"WTSConnected", L"WTSConnectQuery", L"WTSShadow", L"WTSDisconnected",
    L"WTSIdle",   L"WTSListen",    L"WTSReset",        L"WTSDown",   L"WTSInit"};

bool KnownState(int32_t state) { return state >= 0 && static_cast<size_t>(state) < kConnectStateNames.size(); }

std::wstring Bracketed(const SessionTarget& t) { return L"[" + std::to_wstring(t.ID) + L"]" + t.Username; }

std::wstring Parenthesised(std::wstring_view name, int64_t id) {
  return std::wstring(name) + L" (" + std::to_wstring(id) + L")";
}

}  // namespace

std::wstring ConnectStateName(int32_t state) {
  return KnownState(state) ? kConnectStateNames[state] : std::to_wstring(state);
}

std::wstring SessionStateText(int32_t state) {
  return KnownState(state) ? kConnectStateNames[state] + 3 : std::to_wstring(state);
}

std::wstring ClientOSText(int32_t build) {
  const std::wstring n = std::to_wstring(build);
  if (build == 0) return {};
  if (build < 500) return L"Non-Windows (" + n + L")";
  if (build == 528) return L"Windows NT 3.1";
  if (build == 807) return L"Windows NT 3.5";
  if (build == 1357) return L"Windows NT 3.51";
  if (build == 1381) return L"Windows NT 4";
  if (build <= 2504) return L"Windows 2000";
  if (build == 2600) return L"Windows XP";
  if (build <= 5047) return L"Windows Server 2003";
  if (build == 6000) return L"Windows Vista";
  if (build == 6001) return L"Windows Vista SP 1";
  if (build == 6002) return L"Windows Vista SP 2";
  if (build <= 7599) return L"Windows Server 2008";
  if (build == 7600) return L"Windows 7";
  if (build == 7601 || build == 9200) return L"Windows 7 SP 1";
  if (build <= 8999) return L"Windows 8";
  return L"Windows (Build " + n + L")";
}

int32_t ClientColourDepthBits(int32_t depthCode) {
  switch (depthCode) {
    case 1: return 4;
    case 2: return 8;
    case 4: return 16;
    case 8: return 24;
    case 16: return 15;
    case 24: return 24;
    case 32: return 32;
    default: return depthCode;
  }
}

std::wstring ClientDisplayText(int32_t width, int32_t height, int32_t depthCode) {
  if (depthCode <= 0) return {};
  return std::to_wstring(width) + L" x " + std::to_wstring(height) + L" @ " +
         std::to_wstring(ClientColourDepthBits(depthCode)) + L"-bit";
}

std::wstring ClientAddressText(uint32_t family, const uint8_t* address, size_t size) {
  if (family != 2 || !address || size < 6) return {};
  return std::to_wstring(address[2]) + L"." + std::to_wstring(address[3]) + L"." + std::to_wstring(address[4]) + L"." +
         std::to_wstring(address[5]);
}

std::wstring SessionCellText(const SessionRecord& r, int column) {
  switch (column) {
    case Index(SessionColumn::ID): return std::to_wstring(r.ID);
    case Index(SessionColumn::WinSta): return r.WinSta;
    case Index(SessionColumn::Username): return r.Username;
    case Index(SessionColumn::ClientName): return r.ClientName;
    case Index(SessionColumn::State): return SessionStateText(r.State);
    case Index(SessionColumn::ProcCount): return std::to_wstring(r.ProcCount);
    case Index(SessionColumn::ClientOS): return ClientOSText(r.ClientBuildNumber);
    case Index(SessionColumn::ClientDisplay):
      return ClientDisplayText(r.ClientDisplayWidth, r.ClientDisplayHeight, r.ClientDisplayDepth);
    case Index(SessionColumn::ClientAddress): return r.ClientAddress;
    default: return {};
  }
}

uint32_t SessionRowColour(const SessionRecord& r, std::wstring_view currentUserName) {
  // An empty name belongs to nobody, not to a program whose user is unknown.
  if (!r.Username.empty() && detail::EqualsNoCase(r.Username, currentUserName)) return kSessionOwnColour;
  if (r.State != Index(SessionState::Active)) return kSessionInactiveColour;
  return kSessionDefaultColour;
}

SessionButtons SessionButtonState(const SessionRecord* focused) {
  SessionButtons b;
  if (!focused) return b;
  const int32_t s = focused->State;
  b.SendMessage = true;
  b.Disconnect = s == Index(SessionState::Active) || s == Index(SessionState::Connected);
  b.Logoff =
      s == Index(SessionState::Active) || s == Index(SessionState::Connected) || s == Index(SessionState::Disconnected);
  return b;
}

SessionTarget MakeSessionTarget(const SessionRecord& r) { return SessionTarget{r.ID, r.Username, r.LogonTime}; }

bool SessionUnchanged(const SessionTarget& target, const SessionIdentity& now) {
  if (!now.UserKnown || now.Username != target.Username) return false;
  return target.LogonTime == 0 || now.LogonTime == target.LogonTime;
}

std::wstring SessionChangedErrorText(const SessionTarget& t) {
  return L"会话 " + Bracketed(t) + L" 已结束或已由另一次登录使用,操作已取消。";
}

std::wstring SessionDisconnectConfirmText(const SessionTarget& t) {
  return L"你真的要断开 " + Bracketed(t) + L" 会话吗?";
}

std::wstring SessionLogoffConfirmText(const SessionTarget& t) { return L"你真的要退出 " + Bracketed(t) + L" 会话?"; }

std::wstring SessionDisconnectErrorText(const SessionTarget& t, std::wstring_view message) {
  return L"Session " + Bracketed(t) + L" cannot be disconnected.\r\n" + std::wstring(message);
}

std::wstring SessionLogoffErrorText(const SessionTarget& t, std::wstring_view message) {
  return L"Session " + Bracketed(t) + L" cannot be logged off.\r\n" + std::wstring(message);
}

std::wstring SessionMessageCaption(const SessionTarget& t) { return L"Message for " + Parenthesised(t.Username, t.ID); }

std::wstring SessionMessageTitle(std::wstring_view currentUserName, int32_t currentSessionId) {
  return L"Message from " + Parenthesised(currentUserName, currentSessionId);
}

std::wstring SessionsCaption(size_t count) { return L" 会话 (" + std::to_wstring(count) + L") "; }

bool SessionsTabVisible(size_t unfilteredCount) { return unfilteredCount > 0; }

bool SessionPassesFilter(std::wstring_view username, std::wstring_view filter) {
  return filter.empty() || PosText(filter, username) == 1;
}

int FindSessionIndex(const SessionRecords& records, int64_t id) {
  if (id < 0) return -1;
  for (size_t i = 0; i < records.size(); ++i)
    if (records[i].ID == static_cast<uint64_t>(id)) return static_cast<int>(i);
  return -1;
}

void ApplySessionProcesses(SessionRecords& sessions, ProcessRecords& sessionProcesses) {
  for (SessionRecord& s : sessions) {
    s.ProcCount = 0;
    for (ProcessRecord& p : sessionProcesses) {
      if (p.Session < 0 || static_cast<uint32_t>(p.Session) != s.ID) continue;
      ++s.ProcCount;
      if (IsBlank(p.Username)) p.Username = s.Username;
    }
  }
}

}  // namespace vantrel
