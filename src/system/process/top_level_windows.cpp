#include "system/process/top_level_windows.h"

namespace vantrel {

namespace {
BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  reinterpret_cast<std::vector<TopLevelWindow>*>(param)->push_back(
      {static_cast<uint64_t>(reinterpret_cast<uintptr_t>(hwnd)), pid});
  return TRUE;
}
}  // namespace

std::vector<TopLevelWindow> EnumerateTopLevelWindows() {
  std::vector<TopLevelWindow> windows;
  ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

void TopLevelWindows::Enumerate() { map_ = BuildProcessWindowMap(EnumerateTopLevelWindows()); }

int32_t TopLevelWindows::WindowCount(uint32_t pid) const {
  const auto it = map_.find(pid);
  return it == map_.end() ? 0 : it->second.Count;
}

uint64_t TopLevelWindows::Candidate(uint32_t pid) const {
  const auto it = map_.find(pid);
  return it == map_.end() ? 0 : it->second.Candidate;
}

bool TopLevelWindows::IsResponding(uint32_t pid, UINT timeoutMs) const {
  const uint64_t candidate = Candidate(pid);
  if (candidate == 0) return true;
  DWORD_PTR result = 0;
  const HWND hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(candidate));
  return ::SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

bool IsProcessResponding(uint32_t PID) {
  TopLevelWindows windows;
  windows.Enumerate();
  return windows.IsResponding(PID);
}

int32_t GetProcessWindowCount(uint32_t PID) {
  TopLevelWindows windows;
  windows.Enumerate();
  return windows.WindowCount(PID);
}

}  // namespace vantrel
