// The real Vantrel.exe under Wine: the help switch, the single instance, the time to the first window, and the
// libraries only some features need.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwctype>
#include <set>
#include <string>
#include <vector>

#include "core/shell/command_line.h"

namespace {

std::wstring g_exe;

struct Child {
  PROCESS_INFORMATION pi{};
  ~Child() {
    if (pi.hProcess) {
      if (::WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(pi.hProcess, 99);
      ::CloseHandle(pi.hProcess);
      ::CloseHandle(pi.hThread);
    }
  }
  DWORD pid() const { return pi.dwProcessId; }
  // Exit code, or STILL_ACTIVE when it did not end in time.
  DWORD Wait(DWORD ms) const {
    if (::WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(pi.hProcess, &code);
    return code;
  }
};

bool Start(Child& child, const std::wstring& args) {
  std::wstring line = L"\"" + g_exe + L"\" " + args;
  STARTUPINFOW si{sizeof(si)};
  return ::CreateProcessW(g_exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &child.pi);
}

struct Find {
  DWORD pid;
  const wchar_t* cls;
  HWND found = nullptr;
  int count = 0;
};

BOOL CALLBACK VisitWindow(HWND hwnd, LPARAM lp) {
  auto* f = reinterpret_cast<Find*>(lp);
  wchar_t name[64] = {};
  ::GetClassNameW(hwnd, name, 64);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(hwnd, &owner);
  if (std::wstring(name) == f->cls && (f->pid == 0 || owner == f->pid)) {
    if (!f->found) f->found = hwnd;
    ++f->count;
  }
  return TRUE;
}

// Top-level windows of a class, of one process (pid 0: any).
Find FindWindows(DWORD pid, const wchar_t* cls) {
  Find f{pid, cls};
  ::EnumWindows(&VisitWindow, reinterpret_cast<LPARAM>(&f));
  return f;
}

HWND WaitForWindow(DWORD pid, const wchar_t* cls, bool visible, DWORD ms) {
  for (DWORD waited = 0; waited < ms; waited += 20) {
    HWND h = FindWindows(pid, cls).found;
    if (h && (!visible || ::IsWindowVisible(h))) return h;
    ::Sleep(20);
  }
  return nullptr;
}

std::wstring WindowText(HWND hwnd) {
  wchar_t buf[1024] = {};
  ::GetWindowTextW(hwnd, buf, 1024);  // WM_GETTEXT crosses processes
  return buf;
}

TEST(Program, HelpSwitchShowsTheEightLinesAndNoMainWindow) {
  Child child;
  ASSERT_TRUE(Start(child, L"/?"));
  HWND box = WaitForWindow(child.pid(), L"#32770", true, 20000);
  ASSERT_NE(box, nullptr) << "no help box";
  EXPECT_EQ(WindowText(box), L"命令行开关");
  EXPECT_EQ(WindowText(::GetDlgItem(box, 0xFFFF)), vantrel::CommandLineHelpText());
  EXPECT_EQ(FindWindows(child.pid(), L"Twnd_tm_Main").count, 0);
  EXPECT_EQ(FindWindows(child.pid(), L"Twnd_tm_Splash").count, 0) << "the splash is removed first";
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(child.Wait(10000), 0u);
  EXPECT_EQ(FindWindows(child.pid(), L"Twnd_tm_Main").count, 0);
}

TEST(Program, ASecondStartBringsTheFirstWindowForwardAndEnds) {
  Child first;
  const auto t0 = std::chrono::steady_clock::now();
  ASSERT_TRUE(Start(first, L"/NUC"));
  HWND main = WaitForWindow(first.pid(), L"Twnd_tm_Main", true, 30000);
  ASSERT_NE(main, nullptr) << "the first instance showed no window";
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0);
  std::printf("start to first shown main window: %lld ms\n", static_cast<long long>(ms.count()));

  ::ShowWindow(main, SW_MINIMIZE);
  for (int i = 0; i < 50 && !::IsIconic(main); ++i) ::Sleep(20);
  ASSERT_TRUE(::IsIconic(main));

  Child second;
  ASSERT_TRUE(Start(second, L"/NUC"));
  EXPECT_EQ(second.Wait(20000), 0u);
  for (int i = 0; i < 50 && ::IsIconic(main); ++i) ::Sleep(20);
  EXPECT_FALSE(::IsIconic(main)) << "the first window was not restored";
  EXPECT_EQ(::GetForegroundWindow(), main);
  EXPECT_EQ(FindWindows(0, L"Twnd_tm_Main").count, 1);

  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.Wait(20000), 0u);
}


TEST(Program, ASecondStartBringsBackAWindowHiddenInTheTray) {
  Child first;
  ASSERT_TRUE(Start(first, L"/NUC /HIDE"));
  HWND main = WaitForWindow(first.pid(), L"Twnd_tm_Main", false, 30000);
  ASSERT_NE(main, nullptr);
  ::Sleep(300);
  ASSERT_FALSE(::IsWindowVisible(main)) << "started hidden";
  Child second;
  ASSERT_TRUE(Start(second, L"/NUC"));
  EXPECT_EQ(second.Wait(20000), 0u);
  for (int i = 0; i < 100 && !::IsWindowVisible(main); ++i) ::Sleep(20);
  EXPECT_TRUE(::IsWindowVisible(main)) << "the hidden window was not brought back";
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.Wait(20000), 0u);
}


// The file names of the modules a process has loaded, lower case.
std::set<std::wstring> LoadedModules(HANDLE process) {
  std::vector<HMODULE> modules(1024);
  DWORD bytes = 0;
  std::set<std::wstring> names;
  if (!::EnumProcessModulesEx(process, modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &bytes,
                              LIST_MODULES_ALL))
    return names;
  modules.resize(std::min<size_t>(modules.size(), bytes / sizeof(HMODULE)));
  for (HMODULE m : modules) {
    wchar_t name[MAX_PATH] = {};
    if (!::GetModuleBaseNameW(process, m, name, MAX_PATH)) continue;
    std::wstring lower(name);
    for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    names.insert(lower);
  }
  return names;
}

// Without the update check and with no page that shows the network facts, the libraries of the update check, the
// save box, the network facts, the WMI fallbacks and file writing stay unloaded; the performance page loads those
// of its facts.
TEST(Program, LibrariesOnlySomeFeaturesNeedAreLoadedWhenTheyAreFirstNeeded) {
  const std::vector<std::wstring> kOnDemand = {L"wininet.dll", L"comdlg32.dll", L"netapi32.dll", L"ws2_32.dll",
                                               L"oleaut32.dll", L"wbemprox.dll", L"bcrypt.dll"};
  const struct {
    const wchar_t* args;
    std::vector<std::wstring> loaded;  // of kOnDemand; the others must be absent
  } cases[] = {
      {L"/NUC", {}},
      {L"/NUC /PERF", {L"netapi32.dll", L"ws2_32.dll"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "switches " << std::string(c.args, c.args + wcslen(c.args)));
    Child child;
    ASSERT_TRUE(Start(child, c.args));
    HWND main = WaitForWindow(child.pid(), L"Twnd_tm_Main", true, 30000);
    ASSERT_NE(main, nullptr);
    std::set<std::wstring> modules;
    // The page's facts arrive from workers; the first refresh and a few ticks also run before the look.
    for (int i = 0; i < 40; ++i) {
      ::Sleep(100);
      modules = LoadedModules(child.pi.hProcess);
      if (std::all_of(c.loaded.begin(), c.loaded.end(), [&](const std::wstring& m) { return modules.count(m); }) &&
          i >= 15)
        break;
    }
    ASSERT_TRUE(modules.count(L"vantrel.exe")) << "the module list was not read";
    for (const std::wstring& name : kOnDemand) {
      const bool expected = std::find(c.loaded.begin(), c.loaded.end(), name) != c.loaded.end();
      EXPECT_EQ(modules.count(name) == 1, expected) << std::string(name.begin(), name.end());
    }
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(child.Wait(20000), 0u);
  }
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::printf("usage: app_program_tests <path of Vantrel.exe>\n");
    return 2;
  }
  // A Linux path (as ctest passes it) is reached through Wine's Z: drive.
  std::string path = argv[1];
  if (!path.empty() && path[0] == '/') {
    for (char& c : path)
      if (c == '/') c = '\\';
    path = "Z:" + path;
  }
  g_exe.assign(path.begin(), path.end());
  const int rc = RUN_ALL_TESTS();
  std::printf("VANTREL-TEST-COMPLETE rc=%d\n", rc);
  return rc;
}
