// Idle processes for bench/peer_bench.sh. Usage:
//   peer_idle spawn N   starts N "wait" children, prints how many started, then waits like them
//   peer_idle wait      idles until the stop event is set
//   peer_idle hung      owns a top-level window and never pumps its messages, until the stop event is set
//   peer_idle slow      owns a top-level window and answers its messages only every 3 s: never "hung" to the
//                       system (that takes 5 s without a look at the queue), yet slow to every sender
//   peer_idle stop      sets the stop event: every peer_idle of the prefix ends
// Every mode gives up after an hour, so that an interrupted run leaves nothing behind for long.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr wchar_t kStopEvent[] = L"Local\\vantrel-peer-bench-stop";
constexpr DWORD kSafetyMs = 3600 * 1000;

HANDLE StopEvent() { return ::CreateEventW(nullptr, TRUE, FALSE, kStopEvent); }

HWND MakeHungWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VantrelPeerHung";
  ::RegisterClassW(&wc);
  return ::CreateWindowExW(0, wc.lpszClassName, L"peer_idle hung", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                           nullptr, wc.hInstance, nullptr);
}

int Spawn(int count, HANDLE stop) {
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  int started = 0;
  for (int i = 0; i < count; ++i) {
    std::wstring line = L"\"" + std::wstring(self) + L"\" wait";
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) continue;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    ++started;
  }
  std::printf("started %d of %d\n", started, count);
  std::fflush(stdout);
  ::WaitForSingleObject(stop, kSafetyMs);
  return started == count ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring mode = argv[1];
  HANDLE stop = StopEvent();
  if (!stop) return 3;
  int rc = 0;
  if (mode == L"spawn" && argc >= 3) {
    rc = Spawn(_wtoi(argv[2]), stop);
  } else if (mode == L"hung") {
    HWND hwnd = MakeHungWindow();
    ::WaitForSingleObject(stop, kSafetyMs);  // messages pile up unanswered
    ::DestroyWindow(hwnd);
  } else if (mode == L"slow") {
    HWND hwnd = MakeHungWindow();
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < kSafetyMs;) {
      MSG msg;
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
      if (::WaitForSingleObject(stop, 3000) == WAIT_OBJECT_0) break;  // a plain wait: sent messages wait too
    }
    ::DestroyWindow(hwnd);
  } else if (mode == L"stop") {
    ::SetEvent(stop);
  } else if (mode == L"wait") {
    ::WaitForSingleObject(stop, kSafetyMs);
  } else {
    rc = 2;
  }
  ::CloseHandle(stop);
  return rc;
}
