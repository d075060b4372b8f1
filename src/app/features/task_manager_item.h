// "替换任务管理器" in the program menu and the tray menu: a pick writes or removes the "Debugger" value that makes
// the system start this program for taskmgr.exe; the check mark always shows what the registry holds.
#pragma once

#include <functional>
#include <string>

#include "app/frame/program_menu.h"
#include "app/features/replacement_switch.h"
#include "app/features/tray_icon.h"

namespace vantrel::app {

inline constexpr wchar_t kReplaceTaskManagerCaption[] = L"替换任务管理器";

// Inserts the item right after the anchor (the load display's item) of both menus. keyPath: the image-execution
// options key; isAdminOnlyPath: whether only administrators can change the program's file (turning on needs it).
// Returns what sets both check marks from the registry: the frame calls it whenever the window is activated.
std::function<void()> AddTaskManagerReplacementItem(ProgramMenu& menu, TrayIcon& tray, const std::wstring& keyPath,
                                                    AdminOnlyPathFn isAdminOnlyPath);

}  // namespace vantrel::app
