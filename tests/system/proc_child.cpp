// Helper child of the process-snapshot tests and benchmark. Usage: proc_child <mode> <event name> [text...]
// wait: idles until the event is set; window: also owns a top-level window and pumps messages; hung: owns a window
// but never pumps; parent: starts a "wait" grandchild with the same event, then waits; handles <dir> <files>
// <parent pid> [library]: holds known kinds of handles open (see HoldHandles) and loads the library, sets
// "<event>-ready", then waits. Every mode gives up after 120 s, so that a crashed test leaves nothing behind for long.
#include <windows.h>

#include <string>
#include <vector>

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

DWORD WINAPI WaitForClient(void* pipe) {
  ::ConnectNamedPipe(pipe, nullptr);  // nobody connects: blocks until the handle goes
  return 0;
}

DWORD WINAPI Idle(void* done) {
  ::WaitForSingleObject(done, kSafetyMs);
  return 0;
}

// Opens the handles the handle tests look for, each named after this process where it has a name of its own, and
// keeps them until the event is set.
int HoldHandles(HANDLE done, const std::wstring& event, const std::wstring& dir, int files, DWORD parent,
                const wchar_t* library) {
  const std::wstring id = std::to_wstring(::GetCurrentProcessId());
  std::vector<HANDLE> held;
  auto keep = [&](HANDLE h) {
    if (h && h != INVALID_HANDLE_VALUE) held.push_back(h);
    return h;
  };
  keep(::CreateFileW((dir + L"\\known-" + id + L".txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                     nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  wchar_t windows[MAX_PATH];
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  keep(::CreateFileW((std::wstring(windows) + L"\\win.ini").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, 0, nullptr));
  HKEY user = nullptr, machine = nullptr;
  ::RegCreateKeyExW(HKEY_CURRENT_USER, (L"Software\\VantrelHandles" + id).c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                    KEY_READ, nullptr, &user, nullptr);
  ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft", 0, KEY_READ, &machine);
  keep(::CreateEventW(nullptr, TRUE, FALSE, (L"Local\\vantrel-event-" + id).c_str()));
  keep(::CreateMutexW(nullptr, FALSE, (L"Local\\vantrel-mutex-" + id).c_str()));
  keep(::CreateEventW(nullptr, TRUE, FALSE, nullptr));  // unnamed: no row
  HANDLE pipe = keep(::CreateNamedPipeW((L"\\\\.\\pipe\\vantrel-pipe-" + id).c_str(), PIPE_ACCESS_DUPLEX,
                                        PIPE_TYPE_BYTE | PIPE_WAIT, 1, 512, 512, 0, nullptr));
  keep(::CreateThread(nullptr, 0, WaitForClient, pipe, 0, nullptr));
  keep(::CreateThread(nullptr, 0, Idle, done, 0, nullptr));
  keep(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parent));
  for (int i = 0; i < files; ++i)
    keep(::CreateFileW((dir + L"\\tmp-" + id + L"-" + std::to_wstring(i) + L".tmp").c_str(), GENERIC_WRITE, 0,
                       nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  HMODULE loaded = library ? ::LoadLibraryW(library) : nullptr;
  HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, (event + L"-ready").c_str());
  if (ready) {
    ::SetEvent(ready);
    ::CloseHandle(ready);
  }
  ::WaitForSingleObject(done, kSafetyMs);
  if (user) ::RegCloseKey(user);
  ::RegDeleteKeyW(HKEY_CURRENT_USER, (L"Software\\VantrelHandles" + id).c_str());
  if (machine) ::RegCloseKey(machine);
  for (HANDLE h : held) ::CloseHandle(h);  // the pipe's closing ends the blocked thread
  if (loaded) ::FreeLibrary(loaded);
  return 0;
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
  } else if (mode == L"handles") {
    if (argc < 6) return 2;
    HoldHandles(done, argv[2], argv[3], _wtoi(argv[4]), static_cast<DWORD>(_wtoi(argv[5])), argc > 6 ? argv[6] : nullptr);
  } else {
    ::WaitForSingleObject(done, kSafetyMs);
  }
  ::CloseHandle(done);
  return 0;
}
