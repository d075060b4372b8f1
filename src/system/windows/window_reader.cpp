#include "system/windows/window_reader.h"

#include <algorithm>
#include <set>

namespace vantrel {
namespace {

constexpr LRESULT kMaxTextLength = 32767;

std::wstring ClassNameOf(HWND hwnd) {
  wchar_t buf[256];
  const int n = ::GetClassNameW(hwnd, buf, static_cast<int>(std::size(buf)));
  return n > 0 ? std::wstring(buf, static_cast<size_t>(n)) : std::wstring();
}

// Texts read with a bound; returns false when the window did not answer in time. A failed send to a window that
// still exists counts as no answer (the error code of a time-out differs between systems).
bool ReadText(HWND hwnd, UINT timeoutMs, std::wstring& text) {
  text.clear();
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &length))
    return !::IsWindow(hwnd);
  // The answer comes from another process: anything outside 0..32,767 (negative included) is a failure.
  if (static_cast<LRESULT>(length) <= 0 || static_cast<LRESULT>(length) > kMaxTextLength) return true;
  std::wstring buf(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG,
                             timeoutMs, &copied))
    return !::IsWindow(hwnd);
  copied = std::min<DWORD_PTR>(copied, buf.size() - 1);
  buf.resize(copied);
  if (const size_t nul = buf.find(L'\0'); nul != std::wstring::npos) buf.resize(nul);
  text = std::move(buf);
  return true;
}

WindowRect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

int64_t ClassLong(HWND hwnd, int index) { return static_cast<int64_t>(::GetClassLongPtrW(hwnd, index)); }
int64_t WindowLong(HWND hwnd, int index) { return static_cast<int64_t>(::GetWindowLongPtrW(hwnd, index)); }

struct EnumState {
  DWORD processId = 0;
  bool showInvisible = false;
  UINT timeoutMs = 0;
  std::set<DWORD> hungThreads;
  std::vector<WindowInfo> windows;
};

void Append(HWND hwnd, EnumState& state) {
  DWORD pid = 0;
  const DWORD thread = ::GetWindowThreadProcessId(hwnd, &pid);
  if (pid != state.processId) return;
  if (!state.showInvisible && !::IsWindowVisible(hwnd)) return;
  const bool hung = state.hungThreads.count(thread) > 0;
  WindowInfo info = ReadWindowInfo(hwnd, false, false);
  if (!hung && !ReadText(hwnd, state.timeoutMs, info.Text)) state.hungThreads.insert(thread);
  state.windows.push_back(std::move(info));
}

BOOL CALLBACK EnumChild(HWND hwnd, LPARAM param) {
  Append(hwnd, *reinterpret_cast<EnumState*>(param));
  return TRUE;
}

BOOL CALLBACK EnumTop(HWND hwnd, LPARAM param) {
  EnumState& state = *reinterpret_cast<EnumState*>(param);
  const size_t before = state.windows.size();
  Append(hwnd, state);
  if (state.windows.size() > before) ::EnumChildWindows(hwnd, EnumChild, param);
  return TRUE;
}

bool StillTheTarget(const WindowTarget& target, HWND hwnd) {
  if (!::IsWindow(hwnd)) return false;
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  return pid == target.Process && ClassNameOf(hwnd) == target.ClassName;
}

// As LongToHandle: a 32-bit window handle is sign-extended.
HWND ToHwnd(uint32_t handle) { return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(handle))); }

}  // namespace

std::wstring GetWndText(HWND hwnd, bool fallBackToClass, UINT timeoutMs) {
  std::wstring text;
  ReadText(hwnd, timeoutMs, text);
  if (text.empty() && fallBackToClass) text = ClassNameOf(hwnd);
  return text;
}

WindowInfo ReadWindowInfo(HWND hwnd, bool withNames, bool readText, UINT timeoutMs) {
  WindowInfo w;
  w.ClassName = ClassNameOf(hwnd);
  if (readText) ReadText(hwnd, timeoutMs, w.Text);
  // Window handles are 32-bit values in every process, so the handle fits its field.
  w.Handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd));
  DWORD pid = 0;
  w.Thread = ::GetWindowThreadProcessId(hwnd, &pid);
  w.Process = pid;
  w.ParentWin = WindowLong(hwnd, GWLP_HWNDPARENT);
  w.WndProc = WindowLong(hwnd, GWLP_WNDPROC);
  w.Instance = WindowLong(hwnd, GWLP_HINSTANCE);
  w.ID = WindowLong(hwnd, GWLP_ID);
  w.UserData = WindowLong(hwnd, GWLP_USERDATA);
  w.Style = static_cast<int64_t>(static_cast<LONG>(::GetWindowLongW(hwnd, GWL_STYLE)));
  w.ExStyle = static_cast<int64_t>(static_cast<LONG>(::GetWindowLongW(hwnd, GWL_EXSTYLE)));
  RECT r{};
  if (::GetWindowRect(hwnd, &r)) w.Rect = ToRect(r);
  RECT c{};
  if (::GetClientRect(hwnd, &c)) w.ClientRect = ToRect(c);
  w.Atom = ClassLong(hwnd, GCW_ATOM);
  w.ClassBytes = ClassLong(hwnd, GCL_CBCLSEXTRA);
  w.WinBytes = ClassLong(hwnd, GCL_CBWNDEXTRA);
  w.ClassWndProc = ClassLong(hwnd, GCLP_WNDPROC);
  w.ClassInstance = ClassLong(hwnd, GCLP_HMODULE);
  w.Background = ClassLong(hwnd, GCLP_HBRBACKGROUND);
  w.Cursor = ClassLong(hwnd, GCLP_HCURSOR);
  w.Icon = ClassLong(hwnd, GCLP_HICON);
  w.ClassStyle = ClassLong(hwnd, GCL_STYLE);
  if (withNames) {
    w.Styles = WindowStyleNames(w.Style);
    w.ExStyles = WindowExStyleNames(w.ExStyle);
    w.ClassStyles = ClassStyleNames(w.ClassStyle);
  }
  w.Visible = ::IsWindowVisible(hwnd) != FALSE;
  return w;
}

std::vector<WindowInfo> ReadProcessWindows(DWORD processId, bool showInvisible, UINT timeoutMs) {
  EnumState state;
  state.processId = processId;
  state.showInvisible = showInvisible;
  state.timeoutMs = timeoutMs;
  state.windows.reserve(100);
  ::EnumWindows(EnumTop, reinterpret_cast<LPARAM>(&state));
  return std::move(state.windows);
}

WindowTarget WindowTargetOf(const WindowInfo& info) {
  return {info.Handle, info.Process, info.ClassName, info.Visible};
}

WindowActionOutcome ToggleWindowVisibility(const WindowTarget& target) {
  const HWND hwnd = ToHwnd(target.Handle);
  if (!StillTheTarget(target, hwnd)) return {false, ERROR_INVALID_WINDOW_HANDLE};
  const int show = target.Visible ? SW_HIDE : SW_SHOW;
  // ShowWindow would send messages to the window's thread and wait for a hung one; the asynchronous form posts.
  const bool own = ::GetWindowThreadProcessId(hwnd, nullptr) == ::GetCurrentThreadId();
  ::SetLastError(0);
  if (own) {
    ::ShowWindow(hwnd, show);  // its result is the previous visibility, not an error
    return {true, 0};
  }
  if (!::ShowWindowAsync(hwnd, show)) return {false, ::GetLastError()};
  return {true, 0};
}

WindowActionOutcome CloseWindowTarget(const WindowTarget& target) {
  const HWND hwnd = ToHwnd(target.Handle);
  if (!StillTheTarget(target, hwnd)) return {false, ERROR_INVALID_WINDOW_HANDLE};
  if (!::PostMessageW(hwnd, WM_CLOSE, 0, 0)) return {false, ::GetLastError()};
  return {true, 0};
}

}  // namespace vantrel
