// The shut-down submenu's session and power actions: the menu's items, the confirmation, and each action's
// sequence of system calls. Every call goes through IPowerPlatform, so tests record them instead of making them.
#pragma once

#include "core/base/enum_index.h"
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vantrel::power {

// The submenu's items in order; a separator has Tag -1 and no caption. Each item's hint equals its caption.
struct PowerMenuEntry {
  std::wstring_view Caption;
  int Tag;
};
inline constexpr std::wstring_view kShutdownCaption = L"关机";
std::span<const PowerMenuEntry> ShutdownMenu();

enum class PowerAction : int {
  SwitchUser = 0,
  LogOff = 1,
  Lock = 2,
  Restart = 3,
  Sleep = 4,
  Hibernate = 5,
  PowerOff = 6
};

inline constexpr uint32_t EWX_LOGOFF_FLAG = 0, EWX_REBOOT_FLAG = 2, EWX_POWEROFF_FLAG = 8;
inline constexpr std::wstring_view kSleepNotSupported = L"此系统上不支持睡眠。";
// "难道你真的想 %s?" filled with the item's hint.
std::wstring ShutdownConfirmText(std::wstring_view hint);

// The system calls of the actions. Has* tell whether an optional entry point was bound.
class IPowerPlatform {
 public:
  virtual ~IPowerPlatform() = default;
  virtual bool WTSAvailable() = 0;
  virtual bool WTSDisconnectSession() = 0;  // the current server and session, without waiting
  virtual bool WTSLogoffSession() = 0;      // likewise
  virtual bool HasLockWorkStation() = 0;
  virtual bool LockWorkStation() = 0;
  virtual bool RunLockWorkStationCommand() = 0;  // "rundll32.exe" "user32.dll,LockWorkStation" through the shell
  virtual bool HasPowerManagement() = 0;         // IsPwrSuspendAllowed, IsPwrHibernateAllowed, SetSuspendState
  virtual bool IsPwrSuspendAllowed() = 0;
  virtual bool IsPwrHibernateAllowed() = 0;
  virtual bool SetSuspendState(bool hibernate, bool force, bool wakeEventsDisabled) = 0;
  virtual bool IsNT() = 0;
  virtual bool EnableShutdownPrivilege() = 0;  // the process token's SeShutdownPrivilege
  virtual bool ExitWindowsEx(uint32_t flags) = 0;
  virtual uint32_t LastError() = 0;  // the error of the last call that failed
};

// The two boxes the actions show.
class IPowerPrompts {
 public:
  virtual ~IPowerPrompts() = default;
  virtual bool Confirm(const std::wstring& text) = 0;  // Yes -> true
  virtual void Warning(const std::wstring& text) = 0;
};

struct PowerOutcome {
  enum class Kind { Declined, Requested, NotSupported, Nothing } Result = Kind::Nothing;
  bool Succeeded = false;  // Requested: the system accepted the last call
  uint32_t Error = 0;      // Requested and not Succeeded: that call's error
};

// Enables the shutdown privilege on NT (a failure is ignored), then asks the system to end the session or the
// machine, never forced.
bool ExitWindowsWithPrivilege(uint32_t flags, IPowerPlatform& platform);
// Asks with the item's hint, then runs the action of the tag.
PowerOutcome RunPowerAction(int tag, std::wstring_view hint, IPowerPlatform& platform, IPowerPrompts& prompts);

}  // namespace vantrel::power
