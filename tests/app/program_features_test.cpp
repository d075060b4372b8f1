// The program menu's and the tray menu's features: their places in both menus, the power actions through a
// recording platform (never the real calls: under Wine they end the prefix), the task-manager replacement at
// registry level with its check mark following the registry, and the window snapshot with its error box.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <thread>
#include <string>
#include <vector>

#include "app/frame/main_window.h"
#include "app/program.h"
#include "app/features/replacement_switch.h"
#include "app/features/snapshot_item.h"
#include "app/features/task_manager_item.h"
#include "box_answerer.h"
#include "core/power/power_actions.h"
#include "../support/jpeg_check.h"

namespace vantrel::app {
namespace {

constexpr wchar_t kTestOptionsKey[] = L"SOFTWARE\\VantrelAppTest\\taskmgr.exe";

struct RecordingPlatform final : power::IPowerPlatform {
  std::shared_ptr<std::vector<std::string>> calls;
  bool suspendAllowed = true;
  bool Note(const char* call) {
    calls->push_back(call);
    return true;
  }
  bool WTSAvailable() override { return true; }
  bool WTSDisconnectSession() override { return Note("WTSDisconnectSession"); }
  bool WTSLogoffSession() override { return Note("WTSLogoffSession"); }
  bool HasLockWorkStation() override { return true; }
  bool LockWorkStation() override { return Note("LockWorkStation"); }
  bool RunLockWorkStationCommand() override { return Note("RunLockWorkStationCommand"); }
  bool HasPowerManagement() override { return true; }
  bool IsPwrSuspendAllowed() override { return suspendAllowed; }
  bool IsPwrHibernateAllowed() override { return suspendAllowed; }
  bool SetSuspendState(bool hibernate, bool, bool) override {
    return Note(hibernate ? "SetSuspendState(hibernate)" : "SetSuspendState(sleep)");
  }
  bool IsNT() override { return true; }
  bool EnableShutdownPrivilege() override { return Note("EnableShutdownPrivilege"); }
  bool ExitWindowsEx(uint32_t flags) override {
    calls->push_back("ExitWindowsEx(" + std::to_string(flags) + ")");
    return true;
  }
  uint32_t LastError() override { return 0; }
};

struct FeatureFrame {
  std::shared_ptr<std::vector<std::string>> calls = std::make_shared<std::vector<std::string>>();
  bool suspendAllowed = true;
  bool adminOnly = true;  // what the file system would say of the program's file
  std::unique_ptr<MainWindow> main;
  explicit FeatureFrame(std::wstring snapshotFolder = L"") {
    StartupEnvironment env;
    env.isRemoteSession = [] { return false; };
    env.elevationButtonVisible = [] { return false; };
    env.trayShellNotify = [](DWORD, NOTIFYICONDATAW*) { return TRUE; };
    env.powerPlatform = [this](HWND) -> std::unique_ptr<power::IPowerPlatform> {
      auto platform = std::make_unique<RecordingPlatform>();
      platform->calls = calls;
      platform->suspendAllowed = suspendAllowed;
      return platform;
    };
    env.replacementKey = kTestOptionsKey;
    env.replacementFileIsAdminOnly = [this](const std::wstring&) { return adminOnly; };
    env.snapshotFolder = std::move(snapshotFolder);
    main = std::make_unique<MainWindow>(CommandLineSwitches({L"/NUC"}), env);
    main->refreshExecutor = [](const RefreshStep&) {};
  }
  void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchProgramMessage(main.get(), msg);
  }
  // Picks the item captioned caption (submenus searched too) as the menu would.
  void Pick(HMENU menu, const std::wstring& caption) {
    const UINT id = FindId(menu, caption);
    ASSERT_NE(id, 0u) << "no item " << std::string(caption.begin(), caption.end());
    ::SendMessageW(main->hwnd(), WM_COMMAND, id, 0);
    Pump();
  }
  // Whether the item captioned caption is checked, as the user sees the menu.
  static bool Checked(HMENU menu, const std::wstring& caption) {
    const UINT id = FindId(menu, caption);
    return id != 0 && (::GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
  }
  static UINT FindId(HMENU menu, const std::wstring& caption) {
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
      if (HMENU sub = ::GetSubMenu(menu, i)) {
        if (UINT id = FindId(sub, caption)) return id;
        continue;
      }
      wchar_t text[128] = {};
      ::GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
      if (caption == text) return ::GetMenuItemID(menu, i);
    }
    return 0;
  }
};

// Captions in order, "-" for a separator, "name>" for a submenu.
std::vector<std::wstring> Captions(HMENU menu) {
  std::vector<std::wstring> out;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    std::wstring caption = text;
    if (caption.empty()) caption = L"-";
    if (::GetSubMenu(menu, i)) caption += L">";
    out.push_back(caption);
  }
  return out;
}

HMENU SubmenuCaptioned(HMENU menu, const std::wstring& caption) {
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    if (caption == text) return ::GetSubMenu(menu, i);
  }
  return nullptr;
}

TEST(ProgramFeaturesTest, BothMenusCarryTheFeaturesInTheirPlaces) {
  FeatureFrame f;
  ASSERT_TRUE(f.main->CreateAndStart());
  const std::wstring load = TrayIcon::kLoadDisplayCaption;
  EXPECT_EQ(Captions(f.main->Menu().menu()),
            (std::vector<std::wstring>{L"新建任务...", L"-", L"查找句柄或 DLL\tCtrl+F", L"拍摄快照", L"-", L"关机>", L"-", load,
                                       L"替换任务管理器", L"-", L"命令行帮助...", L"关于...", L"-", L"退出"}));
  EXPECT_EQ(Captions(f.main->Tray().Menu()),
            (std::vector<std::wstring>{L"恢复", L"-", L"新建任务...", L"-", L"关机>", L"-", load, L"替换任务管理器", L"-",
                                       L"关于...", L"-", L"退出"}));
  const std::vector<std::wstring> power{L"切换用户", L"注销", L"锁定", L"-", L"重新启动", L"-", L"睡眠", L"休眠", L"-", L"关闭电源"};
  for (HMENU menu : {f.main->Menu().menu(), f.main->Tray().Menu()}) {
    HMENU sub = SubmenuCaptioned(menu, L"关机");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(Captions(sub), power);
  }
}

// Answers this process's next boxes in turn with the given buttons, noting the text of each.
class BoxSeries {
 public:
  explicit BoxSeries(std::vector<int> buttons) : buttons_(std::move(buttons)), thread_([this] { Run(); }) {}
  ~BoxSeries() { thread_.join(); }
  std::vector<std::wstring> texts;  // read after the destructor's join or once the boxes are gone

 private:
  struct Search {
    HWND skip;
    HWND found = nullptr;
  };
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<Search*>(lp);
    wchar_t cls[16] = {};
    ::GetClassNameW(hwnd, cls, 16);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (hwnd == search->skip || pid != ::GetCurrentProcessId() || std::wstring(cls) != L"#32770" ||
        !::IsWindowVisible(hwnd))
      return TRUE;
    search->found = hwnd;
    return FALSE;
  }
  void Run() {
    HWND last = nullptr;
    for (int button : buttons_) {
      Search search{last};
      for (int i = 0; i < 500 && !search.found; ++i) {
        ::EnumWindows(&BoxSeries::Visit, reinterpret_cast<LPARAM>(&search));
        if (!search.found) ::Sleep(20);
      }
      if (!search.found) return;
      wchar_t buf[512] = {};
      ::GetWindowTextW(::GetDlgItem(search.found, 0xFFFF), buf, 512);
      texts.push_back(buf);
      ::PostMessageW(search.found, WM_COMMAND, static_cast<WPARAM>(button), 0);
      for (int i = 0; i < 250 && ::IsWindow(search.found); ++i) ::Sleep(20);  // gone before the next one
      last = search.found;
    }
  }
  std::vector<int> buttons_;
  std::thread thread_;
};

TEST(ProgramFeaturesTest, PowerItemsConfirmThenCallThePlatform) {
  struct Case {
    const char* name;
    bool tray;
    std::wstring caption;
    std::vector<int> buttons;  // the confirmation's answer, then the warning's
    bool suspendAllowed;
    std::vector<std::string> calls;
    std::vector<std::wstring> texts;
  };
  const Case cases[] = {
      {"log off", false, L"注销", {IDYES}, true, {"WTSLogoffSession"}, {L"难道你真的想 注销?"}},
      {"restart from the tray", true, L"重新启动", {IDYES}, true, {"EnableShutdownPrivilege", "ExitWindowsEx(2)"},
       {L"难道你真的想 重新启动?"}},
      {"power off declined", false, L"关闭电源", {IDNO}, true, {}, {L"难道你真的想 关闭电源?"}},
      {"sleep not allowed", true, L"睡眠", {IDYES, IDOK}, false, {}, {L"难道你真的想 睡眠?", L"此系统上不支持睡眠。"}},
      {"hibernate", false, L"休眠", {IDYES}, true, {"SetSuspendState(hibernate)"}, {L"难道你真的想 休眠?"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FeatureFrame f;
    f.suspendAllowed = c.suspendAllowed;
    ASSERT_TRUE(f.main->CreateAndStart());
    std::vector<std::wstring> texts;
    {
      BoxSeries boxes(c.buttons);
      f.Pick(c.tray ? f.main->Tray().Menu() : f.main->Menu().menu(), c.caption);
      ::Sleep(50);
      f.Pump();
      texts = boxes.texts;
    }
    EXPECT_EQ(texts, c.texts);
    EXPECT_EQ(*f.calls, c.calls);
  }
}
// The test's own options key, with a neighbour value that must survive.
struct OptionsKey {
  OptionsKey() {
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTestOptionsKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr,
                      &key, nullptr);
    const wchar_t other[] = L"keep";
    ::RegSetValueExW(key, L"Other", 0, REG_SZ, reinterpret_cast<const BYTE*>(other), sizeof(other));
    ::RegCloseKey(key);
  }
  ~OptionsKey() { ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kTestOptionsKey, KEY_WOW64_64KEY, 0); }
  static std::wstring Read(const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof(buffer);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kTestOptionsKey, name, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr,
                       buffer, &size) != ERROR_SUCCESS)
      return L"<none>";
    return buffer;
  }
  static void Write(const std::wstring& debugger) {
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kTestOptionsKey, L"Debugger", REG_SZ, debugger.c_str(),
                      static_cast<DWORD>((debugger.size() + 1) * sizeof(wchar_t)));
  }
};

std::wstring OwnPath() {
  wchar_t path[MAX_PATH];
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

TEST(ProgramFeaturesTest, ReplacementWritesAndRemovesOnlyTheDebuggerValue) {
  OptionsKey key;
  FeatureFrame f;
  ASSERT_TRUE(f.main->CreateAndStart());
  EXPECT_FALSE(f.Checked(f.main->Menu().menu(), kReplaceTaskManagerCaption));

  f.Pick(f.main->Menu().menu(), kReplaceTaskManagerCaption);
  EXPECT_EQ(OptionsKey::Read(L"Debugger"), L"\"" + OwnPath() + L"\"");
  EXPECT_TRUE(f.Checked(f.main->Menu().menu(), kReplaceTaskManagerCaption));
  EXPECT_TRUE(f.Checked(f.main->Tray().Menu(), kReplaceTaskManagerCaption));

  f.Pick(f.main->Tray().Menu(), kReplaceTaskManagerCaption);
  EXPECT_EQ(OptionsKey::Read(L"Debugger"), L"<none>");
  EXPECT_EQ(OptionsKey::Read(L"Other"), L"keep");
  EXPECT_FALSE(f.Checked(f.main->Menu().menu(), kReplaceTaskManagerCaption));
  EXPECT_FALSE(f.Checked(f.main->Tray().Menu(), kReplaceTaskManagerCaption));
}

TEST(ProgramFeaturesTest, ReplacementMarkFollowsOutsideChangesAtActivation) {
  OptionsKey key;
  FeatureFrame f;
  ASSERT_TRUE(f.main->CreateAndStart());
  struct Step {
    std::wstring value;
    bool checked;
  };
  std::wstring upper = OwnPath();
  for (auto& ch : upper) ch = static_cast<wchar_t>(::towupper(ch));
  const Step steps[] = {
      {L"\"" + OwnPath() + L"\"", true},
      {L"\"C:\\other\\taskmgr2.exe\"", false},
      {upper, true},                    // letter case does not matter, quotes are optional
      {L"\"" + OwnPath(), false},       // a quote at the start only stays in place
  };
  for (const Step& step : steps) {
    OptionsKey::Write(step.value);
    // Nothing changes until the window is activated again.
    ::SendMessageW(f.main->hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(f.Checked(f.main->Menu().menu(), kReplaceTaskManagerCaption), step.checked)
        << std::string(step.value.begin(), step.value.end());
    EXPECT_EQ(f.Checked(f.main->Tray().Menu(), kReplaceTaskManagerCaption), step.checked);
  }
}

// Turning on needs a file only administrators can change and a yes before another program's value goes; turning
// off (our value) never asks.
TEST(ProgramFeaturesTest, ReplacementOnlyForAnAdminOnlyFileAndAfterAYesOverAnotherProgram) {
  const std::wstring ours = L"\"" + OwnPath() + L"\"";
  const std::wstring other = L"\"C:\\Tools\\other-taskmgr.exe\"";
  enum Before { kNone, kOurs, kOther };
  enum Box { kNoBox, kErrorBox, kQuestion };
  struct Case {
    bool adminOnly;
    Before before;
    int answer;  // IDYES / IDNO for a question
    Box box;
    Before after;
  } cases[] = {
      {false, kNone, 0, kErrorBox, kNone},     {false, kOther, 0, kErrorBox, kOther},
      {false, kOurs, 0, kNoBox, kNone},        {true, kNone, 0, kNoBox, kOurs},
      {true, kOurs, 0, kNoBox, kNone},         {true, kOther, IDYES, kQuestion, kOurs},
      {true, kOther, IDNO, kQuestion, kOther},
  };
  const auto valueOf = [&](Before b) { return b == kNone ? std::wstring(L"<none>") : b == kOurs ? ours : other; };
  for (const Case& c : cases) {
    OptionsKey key;
    if (c.before != kNone) OptionsKey::Write(valueOf(c.before));
    FeatureFrame f;
    f.adminOnly = c.adminOnly;
    ASSERT_TRUE(f.main->CreateAndStart());
    std::optional<BoxAnswerer> answer;
    if (c.box != kNoBox) answer.emplace(c.box == kErrorBox ? IDOK : c.answer);
    f.Pick(f.main->Menu().menu(), kReplaceTaskManagerCaption);
    const std::string name = "case " + std::to_string(&c - cases);
    if (answer) {
      for (int i = 0; i < 200 && !answer->found; ++i) ::Sleep(10);
      ASSERT_TRUE(answer->found) << name;
      if (c.box == kErrorBox) {
        EXPECT_EQ(answer->seen.text, kReplacementNotAdminOnly) << name;
        EXPECT_TRUE(answer->seen.hasOk) << name;
      } else {
        EXPECT_EQ(answer->seen.text, kReplaceOtherBefore + other.substr(1, other.size() - 2) + kReplaceOtherAfter)
            << name;
        EXPECT_TRUE(answer->seen.hasYes && answer->seen.hasNo) << name;
      }
    }
    EXPECT_EQ(OptionsKey::Read(L"Debugger"), valueOf(c.after)) << name;
    EXPECT_EQ(OptionsKey::Read(L"Other"), L"keep") << name;
    EXPECT_EQ(f.Checked(f.main->Menu().menu(), kReplaceTaskManagerCaption), c.after == kOurs) << name;
  }
}

std::vector<std::filesystem::path> JpegFiles(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) files.push_back(entry.path());
  return files;
}

TEST(ProgramFeaturesTest, SnapshotsNeverReplaceEachOtherAndHoldTheWholeWindow) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vantrel_app_snapshots";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  {
    FeatureFrame f(folder.wstring());
    ASSERT_TRUE(f.main->CreateAndStart());
    f.main->ShowAtStart(SW_SHOWNORMAL);
    f.Pump();
    f.Pick(f.main->Menu().menu(), kSnapshotCaption);
    f.Pick(f.main->Menu().menu(), kSnapshotCaption);
    RECT rect{};
    ::GetWindowRect(f.main->hwnd(), &rect);
    const auto files = JpegFiles(folder);
    ASSERT_EQ(files.size(), 2u);
    for (const auto& file : files) {
      EXPECT_EQ(file.extension(), ".jpg");
      std::ifstream in(file, std::ios::binary);
      const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
      const testing::JpegFacts facts = testing::DecodeJpeg(bytes);
      ASSERT_TRUE(facts.decoded);
      EXPECT_EQ(facts.width, rect.right - rect.left);
      EXPECT_EQ(facts.height, rect.bottom - rect.top);
    }
  }
  std::filesystem::remove_all(folder);
}

TEST(ProgramFeaturesTest, SnapshotIntoAMissingFolderShowsTheErrorBoxAndLeavesNoFile) {
  const std::filesystem::path parent = std::filesystem::temp_directory_path() / "vantrel_app_snapshot_missing";
  std::filesystem::remove_all(parent);
  std::filesystem::create_directories(parent);
  FeatureFrame f((parent / "gone").wstring());
  ASSERT_TRUE(f.main->CreateAndStart());
  BoxAnswerer answer(IDOK);
  f.Pick(f.main->Menu().menu(), kSnapshotCaption);
  for (int i = 0; i < 100 && !answer.found; ++i) ::Sleep(10);
  EXPECT_TRUE(answer.found);
  EXPECT_TRUE(answer.seen.hasOk);
  EXPECT_FALSE(answer.seen.text.empty());
  EXPECT_TRUE(JpegFiles(parent).empty());
  std::filesystem::remove_all(parent);
}

}  // namespace
}  // namespace vantrel::app
