// Drives the real Vantrel.exe from outside for bench/responsiveness_bench.sh while a thread of its own sends
// WM_NULL to the main window every 10 ms and keeps the slowest answer of each measured stretch. Usage:
//   responsiveness_probe startup <exe> <runs>  launch to visible window, with and without a long Run value
//   responsiveness_probe refresh <exe>         F5 on each page in turn, with that value present
//   responsiveness_probe kill <exe>            ending a process without windows and one with a window
//   responsiveness_probe services <exe>        a services-page refresh with 200 services installed for it
//   responsiveness_probe cleanup               removes what a killed run left behind
// Each result is one line "figure|<what>|<value>|<target>"; the script makes its table from them. Everything the
// probe installs is removed on every path, and every wait is bounded.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "svc_install.h"
#include "system/raii.h"

namespace {

using vantrel::bench::Now;
using vantrel::win::UniqueHandle;

constexpr wchar_t kMainClass[] = L"Twnd_tm_Main";
constexpr wchar_t kSplashClass[] = L"Twnd_tm_Splash";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"VantrelBenchLongValue";
constexpr size_t kRunValueLength = 100000;
constexpr int kServices = 200;
constexpr wchar_t kServicePrefix[] = L"VantrelRespBench";
constexpr wchar_t kKillCaption[] = L"Terminate process";
constexpr UINT kPingIntervalMs = 10;
constexpr UINT kPingTimeoutMs = 300000;  // a longer hang is reported as this
constexpr UINT kPollTimeoutMs = 50;     // reading the list while its thread may be stuck

void Figure(const std::wstring& what, double value, const wchar_t* target) {
  std::printf("figure|%ls|%.0f|%ls\n", what.c_str(), value, target);
  std::fflush(stdout);
}

void Note(const char* format, const std::wstring& text = L"") {
  std::printf(format, text.c_str());
  std::printf("\n");
  std::fflush(stdout);
}

// Polls every 5 ms until done() holds or the time is up; whether it held.
bool WaitFor(double ms, const std::function<bool()>& done) {
  const double start = Now();
  while (Now() - start < ms) {
    if (done()) return true;
    ::Sleep(5);
  }
  return done();
}

std::wstring ProbeDir() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n);
  return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t cls[64] = {};
  ::GetClassNameW(hwnd, cls, 64);
  return cls;
}

// The stored caption; no message reaches the window's thread, so it never waits on a stuck program.
std::wstring TextOf(HWND hwnd) {
  wchar_t text[512] = {};
  ::InternalGetWindowText(hwnd, text, 512);
  return text;
}

// --- finding the program's windows ---

struct TopLevelSearch {
  DWORD pid;
  const wchar_t* cls;
  HWND found = nullptr;
};

BOOL CALLBACK MatchTopLevel(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<TopLevelSearch*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  if (pid != search->pid || !::IsWindowVisible(hwnd) || _wcsicmp(ClassOf(hwnd).c_str(), search->cls) != 0) return TRUE;
  search->found = hwnd;
  return FALSE;
}

// A visible top-level window of the process with this class.
HWND VisibleTopLevel(DWORD pid, const wchar_t* cls) {
  TopLevelSearch search{pid, cls};
  ::EnumWindows(&MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> Descendants(HWND parent, const wchar_t* cls) {
  struct Search {
    const wchar_t* cls;
    std::vector<HWND> found;
  } search{cls};
  ::EnumChildWindows(
      parent,
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (_wcsicmp(ClassOf(hwnd).c_str(), s->cls) == 0) s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The list of the active page: the largest visible list view (the details panel's lists are smaller).
HWND ActiveList(HWND main) {
  HWND best = nullptr;
  LONG bestArea = 0;
  for (HWND list : Descendants(main, WC_LISTVIEWW)) {
    RECT rc{};
    if (!::IsWindowVisible(list) || !::GetWindowRect(list, &rc)) continue;
    const LONG area = (rc.right - rc.left) * (rc.bottom - rc.top);
    if (area > bestArea) best = list, bestArea = area;
  }
  return best;
}

// The list's row count, or -1 when its thread did not answer at once.
int RowCount(HWND list) {
  DWORD_PTR count = 0;
  if (!::SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, kPollTimeoutMs, &count)) return -1;
  return static_cast<int>(count);
}

HWND FilterEdit(HWND main) {
  HWND box = ::FindWindowExW(main, nullptr, L"VantrelFilterBox", nullptr);
  return box ? ::FindWindowExW(box, nullptr, L"EDIT", nullptr) : nullptr;
}

// The page control: a direct child of the frame (the details panel's tabs sit deeper).
HWND PageTabs(HWND main) { return ::FindWindowExW(main, nullptr, WC_TABCONTROLW, nullptr); }

HWND KillButton(HWND main) {
  for (HWND button : Descendants(main, L"Button"))
    if (TextOf(button) == kKillCaption) return button;
  return nullptr;
}

void PostKey(HWND hwnd, WPARAM key) {
  ::PostMessageW(hwnd, WM_KEYDOWN, key, 1);
  ::PostMessageW(hwnd, WM_KEYUP, key, 0xC0000001);
}

// --- the program under test ---

class Program {
 public:
  ~Program() { Close(); }

  // Starts it; the time until its main window is visible, or a negative value.
  double Launch(const std::wstring& exe, const std::wstring& args) {
    std::wstring line = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    const double start = Now();
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      Note("launch failed");
      return -1;
    }
    ::CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
    pid_ = pi.dwProcessId;
    const bool shown = WaitFor(180000, [this] {
      main_ = VisibleTopLevel(pid_, kMainClass);
      return main_ || ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
    });
    if (!shown || !main_) {
      Note("no main window");
      return -1;
    }
    return Now() - start;
  }

  // Closes the window and waits for the process; ends it by force when it does not go within 30 s.
  void Close() {
    if (!process_) return;
    if (main_) ::PostMessageW(main_, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process_.get(), 30000) != WAIT_OBJECT_0) {
      Note("the program did not close; terminated");
      ::TerminateProcess(process_.get(), 1);
      ::WaitForSingleObject(process_.get(), 10000);
    }
    process_.reset();
    main_ = nullptr;
  }

  HWND Main() const { return main_; }
  DWORD Pid() const { return pid_; }

 private:
  UniqueHandle process_;
  DWORD pid_ = 0;
  HWND main_ = nullptr;
};

// Sends WM_NULL to the window every 10 ms on its own thread and keeps the slowest answer of a stretch.
class Pinger {
 public:
  explicit Pinger(HWND target) : target_(target), thread_([this] { Run(); }) {}
  ~Pinger() {
    stop_ = true;
    thread_.join();
  }
  Pinger(const Pinger&) = delete;
  Pinger& operator=(const Pinger&) = delete;

  // Waits until a message sent from now on is answered (at most the ping timeout).
  void Settle() {
    const double from = Now();
    WaitFor(kPingTimeoutMs + 1000, [&] {
      std::lock_guard lock(mutex_);
      return lastAnsweredStart_ >= from;
    });
  }
  void Begin() {
    std::lock_guard lock(mutex_);
    worst_ = 0;
    begun_ = Now();
  }
  // The slowest answer since Begin, counting a message still waiting for its answer.
  double End() {
    std::lock_guard lock(mutex_);
    double worst = worst_;
    if (inFlightStart_ > 0) worst = std::max(worst, Now() - inFlightStart_);
    return worst;
  }

 private:
  void Run() {
    while (!stop_) {
      const double start = Now();
      {
        std::lock_guard lock(mutex_);
        inFlightStart_ = start;
      }
      DWORD_PTR result = 0;
      const bool answered =
          ::SendMessageTimeoutW(target_, WM_NULL, 0, 0, SMTO_NORMAL, kPingTimeoutMs, &result) != 0;
      const double end = Now();
      {
        std::lock_guard lock(mutex_);
        inFlightStart_ = 0;
        if (end >= begun_) worst_ = std::max(worst_, end - start);
        if (answered) lastAnsweredStart_ = start;
      }
      if (!answered && !::IsWindow(target_)) return;
      ::Sleep(kPingIntervalMs);
    }
  }

  HWND target_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  double worst_ = 0, begun_ = 0, inFlightStart_ = 0, lastAnsweredStart_ = 0;
  std::thread thread_;
};

// --- what the probe installs ---

void RemoveRunValue() {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  ::RegDeleteValueW(key, kRunValue);
  ::RegCloseKey(key);
}

// The 100,000-character "a a a ..." Run value, removed when this goes.
class LongRunValue {
 public:
  LongRunValue() {
    std::wstring data(kRunValueLength, L'a');
    for (size_t i = 1; i < data.size(); i += 2) data[i] = L' ';
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      return;
    set_ = ::RegSetValueExW(key, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    ::RegCloseKey(key);
  }
  ~LongRunValue() { RemoveRunValue(); }
  LongRunValue(const LongRunValue&) = delete;
  LongRunValue& operator=(const LongRunValue&) = delete;
  bool Set() const { return set_; }

 private:
  bool set_ = false;
};

std::wstring ServiceName(int i) {
  wchar_t name[64];
  std::swprintf(name, 64, L"%ls%03d", kServicePrefix, i);
  return name;
}

void RemoveBenchServices() {
  for (int i = 0; i < kServices; ++i) vantrel::testing::RemoveServiceNow(ServiceName(i));
}

// Demand-start services of the test service executable, never started, all removed when this goes.
class BenchServices {
 public:
  BenchServices() {
    RemoveBenchServices();
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
    if (!manager) return;
    const std::wstring binPath = L"\"" + vantrel::testing::TestServiceExePath() + L"\" -bench";
    for (int i = 0; i < kServices; ++i) {
      const std::wstring name = ServiceName(i);
      SC_HANDLE s = ::CreateServiceW(manager, name.c_str(), (L"Vantrel Resp Bench " + std::to_wstring(i)).c_str(),
                                     SERVICE_QUERY_STATUS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                     SERVICE_ERROR_NORMAL, binPath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
      if (!s) continue;
      ++count_;
      ::CloseServiceHandle(s);
    }
    ::CloseServiceHandle(manager);
  }
  ~BenchServices() { RemoveBenchServices(); }
  BenchServices(const BenchServices&) = delete;
  BenchServices& operator=(const BenchServices&) = delete;
  int Count() const { return count_; }

 private:
  int count_ = 0;
};

// proc_child.exe copied under a name of its own, so that the name filter finds only it; gone when this goes.
class Child {
 public:
  Child(const std::wstring& name, const std::wstring& mode, const std::wstring& event)
      : exe_(ProbeDir() + name + L".exe") {
    if (!::CopyFileW((ProbeDir() + L"proc_child.exe").c_str(), exe_.c_str(), FALSE)) return;
    std::wstring line = L"\"" + exe_ + L"\" " + mode + L" " + event;
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    ::CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
  }
  ~Child() {
    if (process_ && ::WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) {
      ::TerminateProcess(process_.get(), 1);
      ::WaitForSingleObject(process_.get(), 5000);
    }
    process_.reset();
    ::DeleteFileW(exe_.c_str());
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool Running() const { return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

 private:
  std::wstring exe_;
  UniqueHandle process_;
};

// --- the scenarios ---

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

int Startup(const std::wstring& exe, int runs) {
  std::vector<double> plain, withValue;
  for (int run = 0; run < runs; ++run) {
    for (const bool longValue : {false, true}) {
      std::unique_ptr<LongRunValue> value;
      if (longValue) {
        value = std::make_unique<LongRunValue>();
        if (!value->Set()) {
          Note("the Run value could not be written");
          return 1;
        }
      }
      Program program;
      const double ms = program.Launch(exe, L"/NUC");
      if (ms < 0) return 1;
      (longValue ? withValue : plain).push_back(ms);
      std::printf("start-up run %d %s: %.0f ms\n", run + 1, longValue ? "with the value" : "without", ms);
      std::fflush(stdout);
    }
  }
  const double base = Median(plain), slow = Median(withValue);
  Figure(L"start-up without the Run value, median ms", base, L"");
  Figure(L"start-up with the 100,000-character Run value, median ms", slow, L"");
  std::printf("figure|start-up ratio, with/without the value|%.2f|<= 1.2\n", base > 0 ? slow / base : 0.0);
  return 0;
}

// Moves the tab control's selection with arrow keys, as a user would, until tab is selected.
bool SelectTab(HWND tabs, int tab) {
  for (int step = 0; step < 16; ++step) {
    DWORD_PTR current = 0;
    if (!::SendMessageTimeoutW(tabs, TCM_GETCURSEL, 0, 0, SMTO_NORMAL, 30000, &current)) return false;
    const int at = static_cast<int>(current);
    if (at == tab) return true;
    PostKey(tabs, at < tab ? VK_RIGHT : VK_LEFT);
    WaitFor(10000, [&] {
      DWORD_PTR now = 0;
      return ::SendMessageTimeoutW(tabs, TCM_GETCURSEL, 0, 0, SMTO_NORMAL, kPollTimeoutMs, &now) &&
             static_cast<int>(now) != at;
    });
  }
  return false;
}

// The pages by tab, the sessions tab being shown only when there are sessions.
std::vector<std::wstring> TabNames(int count) {
  if (count == 7) return {L"processes", L"windows", L"services", L"sessions", L"autoruns", L"environment", L"performance"};
  if (count == 6) return {L"processes", L"windows", L"services", L"autoruns", L"environment", L"performance"};
  std::vector<std::wstring> names;
  for (int i = 0; i < count; ++i) names.push_back(L"tab " + std::to_wstring(i));
  return names;
}

int RefreshEachPage(const std::wstring& exe) {
  LongRunValue value;
  Program program;
  if (!value.Set() || program.Launch(exe, L"/NUC") < 0) return 1;
  HWND main = program.Main();
  HWND tabs = PageTabs(main);
  if (!tabs) {
    Note("no page tabs");
    return 1;
  }
  DWORD_PTR count = 0;
  ::SendMessageTimeoutW(tabs, TCM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 30000, &count);
  const std::vector<std::wstring> names = TabNames(static_cast<int>(count));
  Pinger ping(main);
  for (int tab = 0; tab < static_cast<int>(names.size()); ++tab) {
    if (!SelectTab(tabs, tab)) {
      Note("could not select the tab of %ls", names[tab]);
      continue;
    }
    ::Sleep(500);
    ping.Settle();
    ping.Begin();
    const double start = Now();
    PostKey(main, VK_F5);
    // The splash shows for the whole refresh; a refresh that ends before it is seen leaves no trace but time.
    const bool seen = WaitFor(3000, [&] { return VisibleTopLevel(program.Pid(), kSplashClass) != nullptr; });
    if (seen && !WaitFor(300000, [&] { return VisibleTopLevel(program.Pid(), kSplashClass) == nullptr; }))
      Note("the splash of the F5 on %ls stayed", names[tab]);
    const double refreshMs = Now() - start;
    ::Sleep(300);
    Figure(L"worst answer, F5 on the " + names[tab] + L" page (value present), ms", ping.End(), L"<= 100");
    Figure(L"  F5 on the " + names[tab] + L" page, splash shown for ms", seen ? refreshMs : 0, L"");
  }
  return 0;
}

// Shows only the rows whose name holds the text, then focuses the single row left; false when that failed.
bool FocusOnlyRow(HWND main, HWND list, const std::wstring& name) {
  HWND edit = FilterEdit(main);
  DWORD_PTR result = 0;
  if (!edit || !::SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()), SMTO_NORMAL,
                                      30000, &result))
    return false;
  PostKey(edit, VK_RETURN);
  if (!WaitFor(60000, [&] { return RowCount(list) == 1; })) {
    Note("the filter did not leave exactly one row for %ls", name);
    return false;
  }
  return WaitFor(30000, [&] {
    HWND kill = KillButton(main);
    if (kill && ::IsWindowEnabled(kill) && RowCount(list) == 1) return true;
    PostKey(list, VK_HOME);
    ::Sleep(200);
    return false;
  });
}

// Ends the child through the kill button and the confirmation box; prints the worst answer and the times.
bool EndThroughKillButton(Program& program, Pinger& ping, const Child& child, const std::wstring& name,
                          const std::wstring& label) {
  HWND main = program.Main();
  HWND list = ActiveList(main);
  if (!list || !FocusOnlyRow(main, list, name)) {
    Note("could not focus the row of %ls", name);
    return false;
  }
  HWND kill = KillButton(main);
  ping.Settle();
  ping.Begin();
  ::PostMessageW(kill, BM_CLICK, 0, 0);
  HWND box = nullptr;
  if (!WaitFor(30000, [&] { return (box = VisibleTopLevel(program.Pid(), L"#32770")) != nullptr; })) {
    Note("no confirmation box");
    return false;
  }
  const double yes = Now();
  ::PostMessageW(box, WM_COMMAND, IDYES, 0);
  double endedMs = -1, goneMs = -1;
  WaitFor(60000, [&] {
    if (endedMs < 0 && !child.Running()) endedMs = Now() - yes;
    if (goneMs < 0 && RowCount(list) == 0) goneMs = Now() - yes;
    if (HWND error = VisibleTopLevel(program.Pid(), L"#32770"); error && error != box) {
      Note("error box: %ls", TextOf(::GetDlgItem(error, 0xFFFF)));
      ::PostMessageW(error, WM_COMMAND, IDOK, 0);
    }
    return endedMs >= 0 && goneMs >= 0;
  });
  ::Sleep(500);
  Figure(L"worst answer, ending a process " + label + L", ms", ping.End(), L"<= 100");
  Figure(L"  ended, ms after Yes", endedMs, L"");
  Figure(L"  gone from the list, ms after Yes", goneMs, L"");
  return endedMs >= 0 && goneMs >= 0;
}

int EndProcesses(const std::wstring& exe) {
  const std::wstring event = L"Local\\vantrel-resp-bench-" + std::to_wstring(::GetCurrentProcessId());
  UniqueHandle done(::CreateEventW(nullptr, TRUE, FALSE, event.c_str()));
  Program program;
  if (program.Launch(exe, L"/AUTO /NUC") < 0) return 1;
  HWND main = program.Main();
  HWND spin = ::FindWindowExW(main, nullptr, L"VantrelSpinBox", nullptr);
  HWND spinEdit = spin ? ::FindWindowExW(spin, nullptr, L"EDIT", nullptr) : nullptr;
  DWORD_PTR result = 0;
  if (!spinEdit ||
      !::SendMessageTimeoutW(spinEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"1"), SMTO_NORMAL, 30000, &result))
    Note("the refresh interval stays as it was");
  Pinger ping(main);
  bool ok = true;
  struct Case {
    const wchar_t* name;
    const wchar_t* mode;
    const wchar_t* label;
  };
  for (const Case& c : {Case{L"vbench_nowin", L"wait", L"without windows"},
                        Case{L"vbench_window", L"window", L"with a window"}}) {
    Child child(c.name, c.mode, event);
    if (!child.Running()) {
      Note("could not start %ls", c.name);
      ok = false;
      continue;
    }
    ::Sleep(1000);  // its window exists
    ok = EndThroughKillButton(program, ping, child, c.name, c.label) && ok;
  }
  ::SetEvent(done.get());
  return ok ? 0 : 1;
}

int RefreshServicesPage(const std::wstring& exe) {
  Program program;
  if (program.Launch(exe, L"/NUC") < 0) return 1;
  HWND main = program.Main();
  HWND tabs = PageTabs(main);
  if (!tabs || !SelectTab(tabs, 2)) {
    Note("could not select the services page");
    return 1;
  }
  ::Sleep(500);
  HWND list = ActiveList(main);
  int before = -1;
  WaitFor(30000, [&] { return (before = RowCount(list)) >= 0; });
  const double installStart = Now();
  BenchServices services;
  std::printf("services: %d rows before, %d installed in %.0f ms\n", before, services.Count(), Now() - installStart);
  std::fflush(stdout);
  if (services.Count() == 0 || before < 0) return 1;
  Pinger ping(main);
  ping.Settle();
  ping.Begin();
  const double start = Now();
  PostKey(FilterEdit(main), VK_RETURN);
  const bool listed = WaitFor(300000, [&] { return RowCount(list) >= before + services.Count(); });
  const double refreshMs = Now() - start;
  ::Sleep(500);
  Figure(L"worst answer, services-page refresh with 200 more services, ms", ping.End(), L"<= 100");
  Figure(L"  services listed after ms", listed ? refreshMs : -1, L"");
  program.Close();  // before the services go, so that the program never reads half-removed ones
  return listed ? 0 : 1;
}

int Cleanup() {
  RemoveRunValue();
  RemoveBenchServices();
  for (const wchar_t* name : {L"vbench_nowin.exe", L"vbench_window.exe"}) ::DeleteFileW((ProbeDir() + name).c_str());
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc >= 2 ? argv[1] : L"";
  const std::wstring exe = argc >= 3 ? argv[2] : L"";
  int rc = 2;
  if (mode == L"startup" && argc >= 3) rc = Startup(exe, argc >= 4 ? std::max(1, _wtoi(argv[3])) : 3);
  else if (mode == L"refresh" && argc >= 3) rc = RefreshEachPage(exe);
  else if (mode == L"kill" && argc >= 3) rc = EndProcesses(exe);
  else if (mode == L"services" && argc >= 3) rc = RefreshServicesPage(exe);
  else if (mode == L"cleanup") rc = Cleanup();
  else std::printf("usage: responsiveness_probe startup <exe> [runs] | refresh <exe> | kill <exe> | services <exe> | cleanup\n");
  std::fflush(stdout);
  return rc;
}
