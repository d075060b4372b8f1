// Decisions about service records that need no system calls: texts, colours, the filter, the bottom panel, the
// buttons and the texts of the confirmations and error boxes.
#pragma once

#include "core/base/enum_index.h"
#include <cstdint>
#include <string>
#include <string_view>

#include "core/services/service_record.h"

namespace vantrel {

// "Boot" .. "Disabled" and "Stopped" .. "Paused"; a value outside the tables shows as its decimal number.
std::wstring ServiceStartUpText(int32_t startUp);
std::wstring ServiceStatusText(int32_t status);
// The account as the list shows it: the part after the last backslash or colon, first letter upper case.
std::wstring ServiceLogOnText(std::wstring_view objectName);
// The configuration's dependency list (NUL-separated names ended by an empty name, or the end of the view)
// joined with ",".
std::wstring JoinServiceDependencies(std::wstring_view multiString);

enum class ServiceColumn : int { Name, Status, StartUp, LogOn, CmdLine };
inline constexpr int kServiceColumnCount = 5;
struct ServiceColumnInfo {
  const wchar_t* Caption;
  int Width;
};
inline constexpr ServiceColumnInfo kServiceColumns[kServiceColumnCount] = {
    {L"名称", 200}, {L"状态", 100}, {L"启动类型", 100}, {L"登录为", 100}, {L"命令行", 301}};
inline constexpr int kServiceCmdLineMinWidth = 100;  // the last column takes the remaining width

std::wstring ServiceCellText(const ServiceRecord& record, int column);

// The filter keeps a service whose display name begins with the text, in any letter case; empty keeps all.
bool ServicePassesFilter(std::wstring_view displayName, std::wstring_view filter);

// Colours are 24-bit values with red in the low byte; kServiceDefaultColour keeps the list's own.
inline constexpr uint32_t kServiceDefaultColour = 0xFFFFFFFFu;
inline constexpr uint32_t kServiceDisabledColour = 0x808080u;  // RGB 128,128,128
inline constexpr uint32_t kServiceRunningColour = 0xFF0000u;   // RGB 0,0,255
inline constexpr uint32_t kServicePanelColour = 0xE9E9E9u;     // RGB 233,233,233
// The text colour of a row that is not selected: disabled grey before running blue.
uint32_t ServiceRowColour(const ServiceRecord& record);

// The bottom panel's two lines.
std::wstring ServiceDescriptionLine(const ServiceRecord& record);
std::wstring ServiceCompanyLine(const ServiceRecord& record);

// What the control button does for a state.
enum class ServiceAction { None, StartOrContinue, Stop };
ServiceAction ServiceControlAction(int32_t status);

inline constexpr wchar_t kServiceStartCaption[] = L"启动";
inline constexpr wchar_t kServiceStopCaption[] = L"停止";
inline constexpr wchar_t kServiceResumeCaption[] = L"恢复";
inline constexpr wchar_t kServiceUninstallCaption[] = L"卸载";
inline constexpr wchar_t kServiceManagerCaption[] = L"服务管理器";

struct ServiceButtons {
  bool ControlVisible = false;
  bool ControlEnabled = false;
  std::wstring ControlCaption;  // a pending state keeps the caption the button had
  bool UninstallVisible = false;
  bool UninstallEnabled = false;
  bool ManagerVisible = false;
};
// focused is null when no row is focused.
ServiceButtons ServiceButtonState(const ServiceRecord* focused, bool pageActive, std::wstring_view currentCaption);

// What an action needs, copied from the row before the confirmation box, so that a refresh while the box is up
// cannot change the target.
struct ServiceTarget {
  std::wstring Name;
  int32_t Status = 0;
  std::wstring Caption;  // the control button's caption when the user clicked
};
ServiceTarget MakeServiceTarget(const ServiceRecord& record, std::wstring_view caption);

std::wstring ServiceControlConfirmText(const ServiceTarget& target);
std::wstring ServiceUninstallConfirmText(const ServiceTarget& target);
// Error box texts; message is the system's text for the failing call's error.
std::wstring ServiceStartErrorText(std::wstring_view name, std::wstring_view message);
std::wstring ServiceStopErrorText(std::wstring_view name, std::wstring_view message);
// The error box text for the outcome of the control action, by the action the target's state asked for.
std::wstring ServiceControlErrorText(const ServiceTarget& target, std::wstring_view message);

// " 服务 (n) ".
std::wstring ServicesCaption(size_t count);

// Index of the first record whose Name equals name in any letter case; -1 when none.
int FindServiceIndex(const ServiceRecords& records, std::wstring_view name);

}  // namespace vantrel
