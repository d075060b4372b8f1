// The pages of the main window, by index, and their design captions.
#pragma once

#include <string_view>

namespace vantrel {

enum PageIndex : int {
  kPageProcesses = 0,
  kPageWindows = 1,
  kPageServices = 2,
  kPageSessions = 3,
  kPageStartup = 4,
  kPageEnvironment = 5,
  kPagePerformance = 6,
  kPageLog = 7,
  kPageCount = 8,
};

// Captions as the window is designed; refreshers replace them with captions that carry a row count.
constexpr std::wstring_view kPageCaptions[kPageCount] = {
    L" 进程 ", L" 窗口 ", L" 服务 ", L" 会话 ", L" 自动运行 ", L" 环境 ", L" 性能 ", L" 日志 ",
};

// Pages 0 to 5 each show one tree that takes the keyboard focus.
constexpr bool PageHasTree(int page) { return page >= kPageProcesses && page <= kPageEnvironment; }

}  // namespace vantrel
