// Drives a running Vantrel from another process for bench/peer_bench.sh. Usage:
//   peer_probe launch <exe> [args...]  starts the program, prints the time until its main window is visible
//   peer_probe launch-any <exe> [args] the same for another program: until any top-level window of it is visible
//   peer_probe interval <seconds>      types the refresh interval into the main window's spin edit
//   peer_probe typing <samples>        posts characters to the name filter at random phases of the refresh and
//                                      prints how long each took to show in the edit (median, p90, max)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

using vantrel::bench::Now;

constexpr wchar_t kMainClass[] = L"Twnd_tm_Main";
constexpr UINT kPollTimeoutMs = 20;
constexpr double kGiveUpMs = 5000;

struct WindowSearch {
  DWORD pid = 0;                     // 0: any process
  const wchar_t* cls = kMainClass;  // nullptr: any class
  HWND found = nullptr;
};

BOOL CALLBACK MatchMainWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  wchar_t cls[64] = {};
  ::GetClassNameW(hwnd, cls, 64);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  const bool classMatches = !search->cls || std::wstring(cls) == search->cls;
  if (classMatches && (!search->pid || pid == search->pid) && ::IsWindowVisible(hwnd)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindMainWindow(DWORD pid, const wchar_t* cls = kMainClass) {
  WindowSearch search{pid, cls};
  ::EnumWindows(&MatchMainWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The EDIT inside a direct child of the main window with the given class (the name filter, the interval spin box).
HWND FindEdit(const wchar_t* ownerClass) {
  HWND main = FindMainWindow(0);
  if (!main) return nullptr;
  HWND owner = ::FindWindowExW(main, nullptr, ownerClass, nullptr);
  return owner ? ::FindWindowExW(owner, nullptr, L"EDIT", nullptr) : nullptr;
}

// The edit's text, or false when its thread did not answer within the poll timeout.
bool ReadText(HWND edit, std::wstring& text) {
  wchar_t buf[256] = {};
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(edit, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buf), SMTO_NORMAL, kPollTimeoutMs,
                             &copied))
    return false;
  text.assign(buf, copied);
  return true;
}

// Vantrel's splash is a window of its own: for it only the main window counts.
int Launch(int argc, wchar_t** argv, const wchar_t* windowClass) {
  std::wstring line = L"\"" + std::wstring(argv[2]) + L"\"";
  for (int i = 3; i < argc; ++i) line += L" " + std::wstring(argv[i]);
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  const double start = Now();
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("launch failed: %lu\n", ::GetLastError());
    return 1;
  }
  ::CloseHandle(pi.hThread);
  while (Now() - start < 300000) {  // with 1000 processes the first refresh alone takes over a minute
    if (FindMainWindow(pi.dwProcessId, windowClass)) {
      std::printf("window_ms %.0f\n", Now() - start);
      std::fflush(stdout);
      ::CloseHandle(pi.hProcess);
      return 0;
    }
    if (::WaitForSingleObject(pi.hProcess, 5) == WAIT_OBJECT_0) break;
  }
  std::printf("no main window\n");
  ::CloseHandle(pi.hProcess);
  return 1;
}

int SetInterval(const wchar_t* seconds) {
  HWND edit = nullptr;
  for (int i = 0; i < 200 && !(edit = FindEdit(L"VantrelSpinBox")); ++i) ::Sleep(50);
  DWORD_PTR result = 0;
  if (!edit || !::SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(seconds), SMTO_NORMAL, 10000,
                                      &result)) {
    std::printf("interval edit not found or not answering\n");
    return 1;
  }
  std::printf("interval set to %ls s\n", seconds);
  return 0;
}

// Posts one character and waits until the edit shows the expected text; returns the delay or -1.
double TypeOne(HWND edit, wchar_t ch, const std::wstring& expected) {
  const double start = Now();
  ::PostMessageW(edit, WM_CHAR, ch, 1);
  std::wstring text;
  while (Now() - start < kGiveUpMs) {
    if (ReadText(edit, text) && text == expected) return Now() - start;
    ::Sleep(1);
  }
  return -1;
}

double Percentile(const std::vector<double>& sorted, double p) {
  if (sorted.empty()) return 0;
  const size_t i = std::min(sorted.size() - 1, static_cast<size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5));
  return sorted[i];
}

int Typing(int samples) {
  HWND edit = FindEdit(L"VantrelFilterBox");
  std::wstring text;
  if (!edit) {
    std::printf("name filter not found\n");
    return 1;
  }
  for (int i = 0; i < 100 && !ReadText(edit, text); ++i) ::Sleep(50);
  std::vector<double> delays;
  int lost = 0;
  unsigned seed = ::GetTickCount();
  // 'e' is in nearly every image name, so the refreshes filtered by it stay about as large; a backspace takes it
  // away again.
  const std::wstring typed = text + L"e";
  for (int i = 0; i < samples; ++i) {
    seed = seed * 1103515245u + 12345u;
    ::Sleep((seed >> 8) % 1000);  // a random phase of the 1 s refresh
    const bool add = i % 2 == 0;
    const double ms = TypeOne(edit, add ? L'e' : L'\b', add ? typed : text);
    if (ms < 0) {
      ++lost;  // the edit's state is unknown from here on
      break;
    }
    delays.push_back(ms);
  }
  std::sort(delays.begin(), delays.end());
  std::printf("typing samples %zu lost %d median_ms %.0f p90_ms %.0f max_ms %.0f\n", delays.size(), lost,
              Percentile(delays, 0.5), Percentile(delays, 0.9), delays.empty() ? 0.0 : delays.back());
  return delays.empty() ? 1 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc >= 2 ? argv[1] : L"";
  int rc = 2;
  if (mode == L"launch" && argc >= 3) rc = Launch(argc, argv, kMainClass);
  else if (mode == L"launch-any" && argc >= 3) rc = Launch(argc, argv, nullptr);
  else if (mode == L"interval" && argc >= 3) rc = SetInterval(argv[2]);
  else if (mode == L"typing") rc = Typing(argc >= 3 ? _wtoi(argv[2]) : 50);
  else std::printf("usage: peer_probe launch|launch-any <exe> [args] | interval <seconds> | typing [samples]\n");
  std::fflush(stdout);
  return rc;
}
