// Turning the task-manager replacement on or off. Task Manager starts elevated for an administrator, so the file
// named in the registry must be one only administrators can change, and another program's value is only replaced
// when the user says so.
#pragma once

#include <functional>
#include <string>

namespace vantrel::app {

inline constexpr wchar_t kReplacementNotAdminOnly[] =
    L"无法替换任务管理器: 程序所在的位置不是只有管理员才能更改的本地文件夹。\r\n"
    L"请将程序放到只有管理员可以更改的文件夹中 (例如 Program Files)，然后重试。";
inline constexpr wchar_t kReplaceOtherBefore[] = L"任务管理器已被另一个程序替换:\r\n";
inline constexpr wchar_t kReplaceOtherAfter[] = L"\r\n\r\n你想用本程序替换它吗?";

using AdminOnlyPathFn = std::function<bool(const std::wstring& path)>;

// Writes (on) or removes (off) the "Debugger" value; "on" only for an admin-only file, with an error box otherwise,
// and after a yes to the question naming another program's value. Window thread (it shows boxes).
void SwitchTaskManagerReplacement(bool on, const std::wstring& exePath, const std::wstring& keyPath,
                                  const AdminOnlyPathFn& isAdminOnlyPath);

}  // namespace vantrel::app
