// Decisions about session records that need no system calls: cell texts, colours, the buttons, the texts of the
// actions, and how the session process list and the sessions meet.
#pragma once

#include "core/base/enum_index.h"
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/process/process_record.h"
#include "core/sessions/session_record.h"

namespace vantrel {

// "WTSActive" .. "WTSInit" by state.
std::wstring ConnectStateName(int32_t state);
// The list's text: the name without "WTS" ("Active"); a state outside 0..9 as its decimal number.
std::wstring SessionStateText(int32_t state);

// The client's operating system by its build number; empty for 0.
std::wstring ClientOSText(int32_t build);
// Bits per pixel of the colour-depth code the system reports (1, 2, 4, 8, 16, 24, 32); other codes unchanged.
int32_t ClientColourDepthBits(int32_t depthCode);
// "W x H @ B-bit"; empty when the depth code is 0 or less.
std::wstring ClientDisplayText(int32_t width, int32_t height, int32_t depthCode);
// The dotted IPv4 address of an AF_INET (2) client address, from the four bytes after the first two of the
// address field; empty for every other family or a field too short.
std::wstring ClientAddressText(uint32_t family, const uint8_t* address, size_t size);

enum class SessionColumn : int {
  ID,
  WinSta,
  Username,
  ClientName,
  State,
  ProcCount,
  ClientOS,
  ClientDisplay,
  ClientAddress
};
inline constexpr int kSessionColumnCount = 9;
struct SessionColumnInfo {
  const wchar_t* Caption;
  int Width;  // 0: the list's default width
  bool RightAlign;
};
inline constexpr SessionColumnInfo kSessionColumns[kSessionColumnCount] = {{L"ID", 0, true},
                                                                           {L"窗口工作站", 100, false},
                                                                           {L"用户名", 100, false},
                                                                           {L"客户端名称", 150, false},
                                                                           {L"状态", 80, false},
                                                                           {L"进程数量", 0, true},
                                                                           {L"客户端操作系统", 120, false},
                                                                           {L"客户端显示器", 120, false},
                                                                           {L"客户端地址", 100, false}};

std::wstring SessionCellText(const SessionRecord& record, int column);

// Colours are 24-bit values with red in the low byte; kSessionDefaultColour keeps the list's own.
inline constexpr uint32_t kSessionDefaultColour = 0xFFFFFFFFu;
inline constexpr uint32_t kSessionOwnColour = 0xFF0000u;       // RGB 0,0,255
inline constexpr uint32_t kSessionInactiveColour = 0x808080u;  // RGB 128,128,128
// Blue for the user who runs the program (whatever the state), else grey when not active.
uint32_t SessionRowColour(const SessionRecord& record, std::wstring_view currentUserName);

struct SessionButtons {
  bool SendMessage = false;
  bool Disconnect = false;
  bool Logoff = false;
};
// focused is null when no row is focused: all three disabled.
SessionButtons SessionButtonState(const SessionRecord* focused);

inline constexpr wchar_t kSessionDisconnectCaption[] = L"断开";
inline constexpr wchar_t kSessionLogoffCaption[] = L"注销";
inline constexpr wchar_t kSessionSendMessageCaption[] = L"发送信息...";
inline constexpr wchar_t kSessionMessagePrompt[] = L"Text";
inline constexpr wchar_t kSessionMessageSentText[] = L"消息已成功地发送。";

// What an action needs, copied from the row before any box is shown.
struct SessionTarget {
  uint32_t ID = 0;
  std::wstring Username;
  int64_t LogonTime = 0;  // 0: the system gave none
};
SessionTarget MakeSessionTarget(const SessionRecord& record);

// The session as read again just before an action.
struct SessionIdentity {
  bool UserKnown = false;  // the user query answered
  std::wstring Username;
  int64_t LogonTime = 0;  // 0: the system gave none
};
// Whether the session still is the one the target was copied from: its user read again and the same, and its
// logon time the same when the target had one. A session that ended, or whose number a new logon took, is not.
bool SessionUnchanged(const SessionTarget& target, const SessionIdentity& now);
std::wstring SessionChangedErrorText(const SessionTarget& target);

std::wstring SessionDisconnectConfirmText(const SessionTarget& target);
std::wstring SessionLogoffConfirmText(const SessionTarget& target);
std::wstring SessionDisconnectErrorText(const SessionTarget& target, std::wstring_view message);
std::wstring SessionLogoffErrorText(const SessionTarget& target, std::wstring_view message);
// The input box's caption "Message for user (id)" and the sent message's title "Message from user (id)".
std::wstring SessionMessageCaption(const SessionTarget& target);
std::wstring SessionMessageTitle(std::wstring_view currentUserName, int32_t currentSessionId);

// " 会话 (n) ".
std::wstring SessionsCaption(size_t count);
// The tab shows when the system reports any session, whatever the name filter hides.
bool SessionsTabVisible(size_t unfilteredCount);
// The filter keeps a session whose user name begins with the text, in any letter case; empty keeps all.
bool SessionPassesFilter(std::wstring_view username, std::wstring_view filter);
// Index of the first record with that ID; -1 for a negative id or none.
int FindSessionIndex(const SessionRecords& records, int64_t id);

// Each session's ProcCount becomes the number of session processes that run in it (negative sessions never
// count). A process whose owner the SID did not give takes the user name of its session; a name read from the
// SID is kept.
void ApplySessionProcesses(SessionRecords& sessions, ProcessRecords& sessionProcesses);

}  // namespace vantrel
