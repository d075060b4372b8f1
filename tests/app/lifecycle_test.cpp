// Start and exit: the real Vantrel.exe closed and started again while its update check talks to a server that
// trickles or never answers (update_test.sh starts it), and the elevated copy started from the real window.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/frame/main_window.h"
#include "app/program.h"
#include "app/single_instance.h"
#include "system/update/web_update.h"

namespace vantrel::app {
namespace {

std::wstring g_exe;

struct Child {
  PROCESS_INFORMATION pi{};
  Child() = default;
  Child(Child&& other) noexcept : pi(other.pi) { other.pi = {}; }
  Child& operator=(Child&& other) noexcept {
    std::swap(pi, other.pi);
    return *this;
  }
  ~Child() {
    if (!pi.hProcess) return;
    if (::WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(pi.hProcess, 99);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
  }
  DWORD pid() const { return pi.dwProcessId; }
  bool Ended(DWORD ms) const { return ::WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0; }
  // When the process ended, in 100 ns units of the system time.
  ULONGLONG ExitTime() const {
    FILETIME created{}, exited{}, kernel{}, user{};
    ::GetProcessTimes(pi.hProcess, &created, &exited, &kernel, &user);
    return ULARGE_INTEGER{{exited.dwLowDateTime, exited.dwHighDateTime}}.QuadPart;
  }
};

ULONGLONG Now100ns() {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  return ULARGE_INTEGER{{now.dwLowDateTime, now.dwHighDateTime}}.QuadPart;
}

bool StartProgram(Child& child, const std::wstring& args) {
  std::wstring line = L"\"" + g_exe + L"\" " + args;
  STARTUPINFOW si{sizeof(si)};
  return ::CreateProcessW(g_exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &child.pi);
}

struct MainWindows {
  std::vector<HWND> all;
  std::vector<DWORD> owners;
};

BOOL CALLBACK CollectMainWindow(HWND hwnd, LPARAM lp) {
  wchar_t name[64] = {};
  ::GetClassNameW(hwnd, name, 64);
  if (std::wstring(name) != kMainWindowClass) return TRUE;
  auto* found = reinterpret_cast<MainWindows*>(lp);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(hwnd, &owner);
  found->all.push_back(hwnd);
  found->owners.push_back(owner);
  return TRUE;
}

MainWindows FindMainWindows() {
  MainWindows found;
  ::EnumWindows(&CollectMainWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The shown main window of one process.
HWND WaitForShownWindow(DWORD pid, DWORD ms) {
  for (DWORD waited = 0; waited < ms; waited += 20) {
    const MainWindows found = FindMainWindows();
    for (size_t i = 0; i < found.all.size(); ++i)
      if (found.owners[i] == pid && ::IsWindowVisible(found.all[i])) return found.all[i];
    ::Sleep(20);
  }
  return nullptr;
}

// Whether another thread could own the program's mutex now; it lets go again at once.
bool MutexIsFree() {
  bool free = false;
  std::thread([&] {
    HANDLE m = ::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, (std::wstring(L"Local\\") + kProgramId).c_str());
    if (!m) {
      free = true;  // nobody has it open at all
      return;
    }
    const DWORD got = ::WaitForSingleObject(m, 0);
    if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) {
      free = true;
      ::ReleaseMutex(m);
    }
    ::CloseHandle(m);
  }).join();
  return free;
}

std::wstring UpdateAddress(const char* portVariable, const wchar_t* path) {
  const char* port = std::getenv(portVariable);
  if (!port) return {};
  return L"http://127.0.0.1:" + std::wstring(port, port + strlen(port)) + path;
}

// The program runs elevated here, so it reads the machine-wide value, not its environment.
struct ScopedUpdateAddress {
  explicit ScopedUpdateAddress(const std::wstring& url) {
    ::SetEnvironmentVariableW(update::kUpdateUrlVariable, url.c_str());
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, update::kMachineEnvironmentKey, update::kUpdateUrlVariable, REG_SZ,
                      url.c_str(), static_cast<DWORD>((url.size() + 1) * sizeof(wchar_t)));
  }
  ~ScopedUpdateAddress() {
    ::SetEnvironmentVariableW(update::kUpdateUrlVariable, nullptr);
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, update::kMachineEnvironmentKey, update::kUpdateUrlVariable);
  }
};

// Each round closes the running instance while its update check waits on the server and starts the next one at
// once or half a second later: the closed process ends within 2 s, and the new one shows the only main window.
TEST(Lifecycle, CloseAndStartAgainLeavesExactlyOneWindowEachRound) {
  struct Server {
    const char* name;
    std::wstring url;
  } servers[] = {
      {"headers, then a byte every 4 s", UpdateAddress("VANTREL_TEST_HTTP_PORT", L"/trickle")},
      {"accepts and never answers", UpdateAddress("VANTREL_TEST_HANG_PORT", L"/")},
  };
  constexpr int kRounds = 10;  // per server
  constexpr DWORD kStartDelays[] = {0, 500};
  for (const Server& server : servers) {
    SCOPED_TRACE(server.name);
    ASSERT_FALSE(server.url.empty()) << "run through update_test.sh, which starts the server";
    ScopedUpdateAddress address(server.url);
    Child current;
    ASSERT_TRUE(StartProgram(current, L""));
    HWND window = WaitForShownWindow(current.pid(), 60000);
    ASSERT_NE(window, nullptr);
    ULONGLONG slowestExit = 0, totalExit = 0;
    for (int round = 0; round < kRounds; ++round) {
      SCOPED_TRACE("round " + std::to_string(round));
      ::Sleep(300);  // the check is now inside its exchange with the server
      const DWORD delay = kStartDelays[round % 2];
      // The close counts from the moment the window is gone; a loaded machine may read the message late.
      std::atomic<ULONGLONG> closed{0};
      std::thread watcher([&closed, window] {
        while (::IsWindow(window)) ::Sleep(2);
        closed = Now100ns();
      });
      EXPECT_TRUE(::PostMessageW(window, WM_CLOSE, 0, 0));
      if (delay) ::Sleep(delay);
      Child next;
      ASSERT_TRUE(StartProgram(next, L""));
      const bool ended = current.Ended(10000);
      watcher.join();
      ASSERT_TRUE(ended) << "the closed instance is still running";
      const ULONGLONG exitMs = (current.ExitTime() - closed) / 10000;
      slowestExit = std::max(slowestExit, exitMs);
      totalExit += exitMs;
      EXPECT_LT(exitMs, 2000u);
      window = WaitForShownWindow(next.pid(), 60000);
      ASSERT_NE(window, nullptr) << "the new start showed no window (delay " << delay << " ms)";
      const MainWindows found = FindMainWindows();
      ASSERT_EQ(found.all.size(), 1u);
      EXPECT_EQ(found.owners[0], next.pid());
      EXPECT_FALSE(next.Ended(0));
      current = std::move(next);
    }
    std::printf("%s: %d rounds, close to process end: slowest %llu ms, mean %llu ms\n", server.name, kRounds,
                slowestExit, totalExit / kRounds);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(current.Ended(2000));
  }
}

constexpr wchar_t kFakeReadyEvent[] = L"VantrelLifecycleFakeInstanceReady";
constexpr char kFakeInstanceSwitch[] = "--fake-instance";

// What any program of the user can do: hold the session's mutex and show a window of the main window's class.
int RunFakeInstance() {
  HANDLE mutex = ::CreateMutexW(nullptr, TRUE, (std::wstring(L"Local\\") + kProgramId).c_str());
  WNDCLASSW wc{};
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = kMainWindowClass;
  ::RegisterClassW(&wc);
  HWND fake = ::CreateWindowExW(0, kMainWindowClass, L"fake", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                wc.hInstance, nullptr);
  if (!mutex || !fake) return 1;
  ::ShowWindow(fake, SW_SHOWMINNOACTIVE);
  if (HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, kFakeReadyEvent)) ::SetEvent(ready);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
  return 0;
}

// Another program holds the mutex and owns a window of the main class: the program is no verified copy of it, so
// it starts anyway and leaves the fake where it is (minimised, in the background).
TEST(Lifecycle, AStartGivesNoWayToAFakeHolderOfTheMutex) {
  ASSERT_TRUE(FindMainWindows().all.empty()) << "another instance is running";
  HANDLE readyEvent = ::CreateEventW(nullptr, TRUE, FALSE, kFakeReadyEvent);
  ASSERT_NE(readyEvent, nullptr);
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring line = L"\"" + std::wstring(self) + L"\" " + std::wstring(kFakeInstanceSwitch, kFakeInstanceSwitch +
                                                                                      strlen(kFakeInstanceSwitch));
  Child fake;
  STARTUPINFOW si{sizeof(si)};
  ASSERT_TRUE(::CreateProcessW(self, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &fake.pi));
  ASSERT_EQ(::WaitForSingleObject(readyEvent, 20000), WAIT_OBJECT_0) << "the fake did not start";
  ::CloseHandle(readyEvent);
  const MainWindows before = FindMainWindows();
  ASSERT_EQ(before.all.size(), 1u);
  HWND fakeWindow = before.all[0];
  EXPECT_FALSE(MutexIsFree());

  Child program;
  ASSERT_TRUE(StartProgram(program, L"/NUC"));
  HWND shown = WaitForShownWindow(program.pid(), 60000);
  ASSERT_NE(shown, nullptr) << "the program gave way to the fake";
  EXPECT_FALSE(program.Ended(0));
  EXPECT_TRUE(::IsIconic(fakeWindow)) << "the fake was brought forward";
  EXPECT_NE(::GetForegroundWindow(), fakeWindow);
  EXPECT_FALSE(fake.Ended(0));
  ::PostMessageW(shown, WM_CLOSE, 0, 0);
  EXPECT_TRUE(program.Ended(5000));
}

// The elevated copy, started from the real window with a stand-in for the elevation prompt.
class ElevatedCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FindMainWindows().all.empty()) << "another instance is running";
    instance_ = std::make_unique<SingleInstance>(kProgramId);
    ASSERT_EQ(instance_->Start(kMainWindowClass, 0), SingleInstance::Outcome::First);
    StartupEnvironment env;
    env.isRemoteSession = [] { return false; };
    env.elevationButtonVisible = [] { return true; };
    env.trayShellNotify = [](DWORD, NOTIFYICONDATAW*) { return TRUE; };
    env.startElevatedCopy = [this](HWND owner, const std::wstring& program) {
      ++calls_;
      hiddenWhileStarting_ = !::IsWindowVisible(owner);
      freeWhileStarting_ = MutexIsFree();
      program_ = program;
      return startCopy_();
    };
    main_ = std::make_unique<MainWindow>(CommandLineSwitches(std::vector<std::wstring>{L"/NUC"}), env);
    main_->refreshExecutor = [](const RefreshStep&) {};
    main_->SetInstanceLock(instance_.get());
    ASSERT_TRUE(main_->CreateAndStart());
    main_->ShowAtStart(SW_SHOWNORMAL);
    window_ = main_->hwnd();
  }
  void TearDown() override {
    if (main_ && ::IsWindow(window_)) ::DestroyWindow(window_);
    main_.reset();
    instance_.reset();
  }
  void ClickElevation() {
    ASSERT_TRUE(main_->ElevationButton().Visible());
    ::SendMessageW(main_->ElevationButton().hwnd(), BM_CLICK, 0, 0);
  }
  bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 10) {
      MSG msg;
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchProgramMessage(main_.get(), msg);
      if (done()) return true;
      ::Sleep(10);
    }
    return done();
  }

  std::unique_ptr<SingleInstance> instance_;
  std::unique_ptr<MainWindow> main_;
  HWND window_ = nullptr;
  std::function<bool()> startCopy_;
  int calls_ = 0;
  bool hiddenWhileStarting_ = false;
  bool freeWhileStarting_ = false;
  std::wstring program_;
};

TEST_F(ElevatedCopy, RefusedLeavesTheWindowShowingAndTheMutexHeld) {
  startCopy_ = [] { return false; };  // the user said no to the elevation prompt
  EXPECT_FALSE(MutexIsFree());
  ClickElevation();
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(calls_, 1);
  EXPECT_TRUE(hiddenWhileStarting_);
  EXPECT_TRUE(freeWhileStarting_);
  EXPECT_FALSE(program_.empty());
  EXPECT_TRUE(::IsWindow(window_));
  EXPECT_TRUE(::IsWindowVisible(window_));
  EXPECT_TRUE(instance_->Held());
  EXPECT_FALSE(MutexIsFree());
}

TEST_F(ElevatedCopy, AcceptedLeavesExactlyTheCopy) {
  Child copy;
  startCopy_ = [&] { return StartProgram(copy, L"/NUC"); };  // the copy starts while this one still exists
  ClickElevation();
  ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(window_); }, 5000)) << "the old instance did not close";
  EXPECT_EQ(calls_, 1);
  EXPECT_TRUE(hiddenWhileStarting_);
  EXPECT_TRUE(freeWhileStarting_);
  main_.reset();
  HWND copied = WaitForShownWindow(copy.pid(), 60000);
  ASSERT_NE(copied, nullptr) << "the copy showed no window";
  ::Sleep(500);
  EXPECT_FALSE(copy.Ended(0));
  const MainWindows found = FindMainWindows();
  ASSERT_EQ(found.all.size(), 1u);
  EXPECT_EQ(found.owners[0], copy.pid());
  ::PostMessageW(copied, WM_CLOSE, 0, 0);
  EXPECT_TRUE(copy.Ended(5000));
}

}  // namespace
}  // namespace vantrel::app

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], vantrel::app::kFakeInstanceSwitch) == 0) return vantrel::app::RunFakeInstance();
  testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::printf("usage: app_lifecycle_tests <path of Vantrel.exe>\n");
    return 2;
  }
  // A Linux path (as ctest passes it) is reached through Wine's Z: drive.
  std::string path = argv[1];
  if (!path.empty() && path[0] == '/') {
    std::replace(path.begin(), path.end(), '/', '\\');
    path = "Z:" + path;
  }
  vantrel::app::g_exe.assign(path.begin(), path.end());
  const int rc = RUN_ALL_TESTS();
  std::printf("VANTREL-TEST-COMPLETE rc=%d\n", rc);
  return rc;
}
