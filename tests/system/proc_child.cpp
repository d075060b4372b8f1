// Helper child of the process-snapshot tests and benchmark. Usage: proc_child <mode> <event name> [text...]
// wait: idles until the event is set; window: also owns a top-level window and pumps messages; hung: owns a window
// but never pumps; parent: starts a "wait" grandchild with the same event, then waits. Every mode gives up after
// 120 s, so that a crashed test leaves nothing behind for long.
#include <windows.h>

#include <string>

namespace {

constexpr DWORD kSafetyMs = 120000;

HWND MakeWindow(const wchar_t* title) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VantrelProcChild";
  ::RegisterClassW(&wc);
  return ::CreateWindowExW(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring mode = argv[1];
  HANDLE done = ::OpenEventW(SYNCHRONIZE, FALSE, argv[2]);
  if (!done) return 3;
  if (mode == L"window") {
    HWND hwnd = MakeWindow(L"proc_child window");
    const DWORD start = ::GetTickCount();
    for (;;) {
      const DWORD r = ::MsgWaitForMultipleObjects(1, &done, FALSE, 200, QS_ALLINPUT);
      if (r == WAIT_OBJECT_0 || ::GetTickCount() - start > kSafetyMs) break;
      MSG msg;
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    ::DestroyWindow(hwnd);
  } else if (mode == L"hung") {
    HWND hwnd = MakeWindow(L"proc_child hung");
    ::WaitForSingleObject(done, kSafetyMs);  // messages pile up unanswered
    ::DestroyWindow(hwnd);
  } else if (mode == L"parent") {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" wait " + argv[2] + L" grandchild";
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      ::CloseHandle(pi.hThread);
      ::WaitForSingleObject(done, kSafetyMs);
      ::WaitForSingleObject(pi.hProcess, 5000);
      ::CloseHandle(pi.hProcess);
    }
  } else {
    ::WaitForSingleObject(done, kSafetyMs);
  }
  ::CloseHandle(done);
  return 0;
}
