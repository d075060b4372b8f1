// The startup page in the real window under Wine, over entries the test creates in the registry (both views) and
// in the two startup folders and removes again, pass or fail.
#include <windows.h>
#include <shlobj.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "../support/startup_entries.h"
#include "app/pages/startup_page.h"
#include "box_answerer.h"
#include "core/paths/paths.h"
#include "page_window.h"
#include "system/os/file_version.h"

namespace vantrel::app {
namespace {

using namespace vantrel::testing;  // the startup entries and their undo steps

const std::wstring kRun32 = L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kClsid = L"{5B1E7C40-2D8A-4F61-9E03-7C4D2A1B8E55}";
constexpr REGSAM k64 = KEY_WOW64_64KEY, k32 = KEY_WOW64_32KEY;

// Answers this process's next boxes, one after the other: Yes where there is one, else OK; notes their texts.
class BoxSeries {
 public:
  BoxSeries(size_t count, std::vector<std::wstring>& texts) : texts(texts), thread_([this, count] { Run(count); }) {}
  ~BoxSeries() { thread_.join(); }

 private:
  std::vector<std::wstring>& texts;  // the caller reads them once this answerer is gone
  // A visible message box of this process.
  static BOOL CALLBACK FindBox(HWND h, LPARAM p) {
    wchar_t cls[16] = {};
    ::GetClassNameW(h, cls, 16);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(h, &pid);
    if (pid != ::GetCurrentProcessId() || std::wstring(cls) != L"#32770" || !::IsWindowVisible(h)) return TRUE;
    *reinterpret_cast<HWND*>(p) = h;
    return FALSE;
  }
  void Run(size_t count) {
    for (int i = 0; i < 1000 && texts.size() < count; ++i) {
      HWND box = nullptr;
      ::EnumWindows(&FindBox, reinterpret_cast<LPARAM>(&box));
      if (!box || box == last_) {
        if (last_ && !::IsWindow(last_)) last_ = nullptr;
        ::Sleep(20);
        continue;
      }
      texts.push_back(test::WindowText(::GetDlgItem(box, 0xFFFF)));
      ::PostMessageW(box, WM_COMMAND, ::GetDlgItem(box, IDYES) ? IDYES : IDOK, 0);
      last_ = box;
    }
  }
  HWND last_ = nullptr;
  std::thread thread_;
};

struct StartupPageWindow : test::PageWindow {
  StartupPage& page() { return Page<StartupPage>(kPageStartup); }
  ui::TreeGrid& grid() { return page().tree(); }
  ui::TreeNode* Group(const std::wstring& path) {
    for (ui::TreeNode* n = grid().First(); n; n = grid().Next(n))
      if (StartupPage::IsGroupRow(*n) && _wcsicmp(n->As<AutorunRecord>()->Path.c_str(), path.c_str()) == 0) return n;
    return nullptr;
  }
  std::vector<ui::TreeNode*> Entries(const std::wstring& groupPath, const std::wstring& name) {
    std::vector<ui::TreeNode*> rows;
    if (ui::TreeNode* g = Group(groupPath))
      for (const auto& child : g->children())
        if (_wcsicmp(child->As<AutorunRecord>()->Name.c_str(), name.c_str()) == 0) rows.push_back(child);
    return rows;
  }
  ui::TreeNode* Entry(const std::wstring& groupPath, const std::wstring& name) {
    const auto rows = Entries(groupPath, name);
    return rows.size() == 1 ? rows[0] : nullptr;
  }
  std::wstring Cell(ui::TreeNode* node, int column) { return node ? grid().onGetText(*node, column) : L"<no row>"; }
  // The read runs on a worker: the list is rebuilt once its result reaches the window.
  bool Refresh() {
    main->RefreshActivePage();
    return WaitIdle();
  }
  bool WaitIdle() { return test::PumpUntil([this] { return !page().Busy(); }, 60000); }
  size_t EntryRows() {
    size_t n = 0;
    for (ui::TreeNode* r = grid().First(); r; r = grid().Next(r)) n += StartupPage::IsGroupRow(*r) ? 0 : 1;
    return n;
  }
};

class StartupPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    p_ = L"VantrelP" + std::to_wstring(::GetCurrentProcessId());
    common_ = GetSpecialFolder(::GetDesktopWindow(), CSIDL_COMMON_STARTUP);
    user_ = GetSpecialFolder(::GetDesktopWindow(), CSIDL_STARTUP);
    ASSERT_FALSE(common_.empty());
    ASSERT_FALSE(user_.empty());
    ASSERT_TRUE(SetValue(undo_, HKEY_CURRENT_USER, kRun, k64, p_ + L"Run", REG_SZ, L"C:\\windows\\notepad.exe /u"));
    ASSERT_TRUE(SetValue(undo_, HKEY_LOCAL_MACHINE, kRun, k64, p_ + L"Run", REG_SZ, L"C:\\windows\\notepad.exe /64"));
    ASSERT_TRUE(SetValue(undo_, HKEY_LOCAL_MACHINE, kRun, k32, p_ + L"Run", REG_SZ, L"C:\\windows\\notepad.exe /32"));
    ASSERT_TRUE(SetValue(undo_, HKEY_CURRENT_USER, kRunOnceEx + L"\\" + p_, k64, p_ + L"Ex", REG_SZ,
                         L"||C:\\x\\lib.dll|Entry"));
    ASSERT_TRUE(SetValue(undo_, HKEY_LOCAL_MACHINE, kSessionManager, k64, L"BootExecute", REG_MULTI_SZ,
                         std::wstring(L"autocheck autochk *") + L'\0'));
    for (const wchar_t* name : {L"Userinit", L"Shell"}) {
      if (!ValueExists(HKEY_LOCAL_MACHINE, kWinlogon, k64, name)) {
        ASSERT_TRUE(SetValue(undo_, HKEY_LOCAL_MACHINE, kWinlogon, k64, name, REG_SZ, L"explorer.exe"));
      }
    }
    for (const std::wstring software : {L"Software", L"Software\\Wow6432Node"}) {
      ASSERT_TRUE(CreateKey(undo_, HKEY_LOCAL_MACHINE,
                            software + L"\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\" + kClsid,
                            k64));
      ASSERT_TRUE(SetValue(undo_, HKEY_LOCAL_MACHINE, software + L"\\Classes\\CLSID\\" + kClsid, k64, L"", REG_SZ,
                           p_ + L" Helper"));
      ASSERT_TRUE(SetValue(undo_, HKEY_LOCAL_MACHINE, software + L"\\Classes\\CLSID\\" + kClsid + L"\\InprocServer32",
                           k64, L"", REG_SZ, L"C:\\x\\helper.dll"));
    }
    for (const std::wstring& folder : {common_, user_}) {
      ASSERT_TRUE(CreateLink(undo_, folder + L"\\" + p_ + L"Link.lnk", L"C:\\windows\\notepad.exe", L"/a \"b c\""));
      ASSERT_TRUE(CreateEmptyFile(undo_, folder + L"\\" + p_ + L"Plain.cmd"));
    }
    ASSERT_TRUE(CreateFileOnce(undo_, user_ + L"\\desktop.ini"));
    ASSERT_TRUE(w_.main->CreateAndStart());
    w_.main->SetActivePage(kPageStartup);
    ASSERT_TRUE(w_.WaitIdle());  // the start-up sequence's read
  }

  Undo undo_;  // outlives the window
  StartupPageWindow w_;
  std::wstring p_, common_, user_;
};

TEST_F(StartupPageTest, ListsEveryPlaceUnderItsGroupWithTheTextsAndBoxesAsRuled) {
  ASSERT_TRUE(w_.Refresh());
  ui::TreeGrid& grid = w_.grid();
  ASSERT_NE(grid.First(), nullptr);
  EXPECT_EQ(w_.Cell(grid.First(), 0), L"Browser Helper Objects") << "always the first row";
  EXPECT_EQ(grid.FocusedNode(), grid.First());
  EXPECT_EQ(w_.main->Tabs().Caption(kPageStartup), L" 自动运行 (" + std::to_wstring(w_.EntryRows()) + L") ");
  const ui::TreeGrid::CellStyle groupStyle = grid.onGetCellStyle(*grid.First(), 1);
  EXPECT_TRUE(groupStyle.bold);
  EXPECT_EQ(groupStyle.background, RGB(166, 202, 240));
  EXPECT_FALSE(grid.First()->hasCheckBox());

  // Registered in both views: listed once, without a box.
  const auto helpers = w_.Entries(L"Browser Helper Objects", p_ + L" Helper");
  ASSERT_EQ(helpers.size(), 1u);
  EXPECT_EQ(w_.Cell(helpers[0], 1), L"C:\\x\\helper.dll");
  EXPECT_FALSE(helpers[0]->hasCheckBox());
  EXPECT_FALSE(grid.onGetCellStyle(*helpers[0], 0).bold);

  // The same name in three places: three rows under three groups, each with a box.
  const std::pair<std::wstring, std::wstring> runs[] = {{L"HKCU\\" + kRun, L"C:\\windows\\notepad.exe /u"},
                                                        {L"HKLM\\" + kRun, L"C:\\windows\\notepad.exe /64"},
                                                        {L"HKLM\\" + kRun32, L"C:\\windows\\notepad.exe /32"}};
  for (const auto& [group, cmdLine] : runs) {
    ui::TreeNode* row = w_.Entry(group, p_ + L"Run");
    ASSERT_NE(row, nullptr) << std::string(group.begin(), group.end());
    EXPECT_EQ(w_.Cell(row, 0), p_ + L"Run");
    EXPECT_EQ(w_.Cell(row, 1), cmdLine);
    EXPECT_TRUE(row->hasCheckBox());
  }
  EXPECT_EQ(w_.Cell(w_.Entry(L"HKCU\\" + kRunOnceEx, p_ + L"Ex"), 1), L"C:\\x\\lib.dll Entry");
  ui::TreeNode* boot = w_.Entry(L"HKLM\\" + kSessionManager, L"BootExecute");
  EXPECT_EQ(w_.Cell(boot, 1), L"autocheck autochk *");
  EXPECT_TRUE(boot && boot->hasCheckBox());
  for (const wchar_t* name : {L"UserInit", L"Shell"}) {
    ui::TreeNode* row = w_.Entry(L"HKLM\\" + kWinlogon, name);
    ASSERT_NE(row, nullptr);
    EXPECT_FALSE(row->hasCheckBox()) << "without it nobody can log on";
  }
  for (const std::wstring& folder : {common_, user_}) {
    ui::TreeNode* link = w_.Entry(folder, p_ + L"Link.lnk");
    EXPECT_EQ(_wcsicmp(w_.Cell(link, 1).c_str(), L"C:\\windows\\notepad.exe /a \"b c\""), 0) << w_.Cell(link, 1);
    EXPECT_EQ(w_.Cell(w_.Entry(folder, p_ + L"Plain.cmd"), 1), p_ + L"Plain.cmd");
  }
  EXPECT_TRUE(w_.Entries(user_, L"desktop.ini").empty());

  // The panel below shows the focused entry's file, and a group's place.
  grid.SetFocusedNode(w_.Group(user_));
  EXPECT_EQ(w_.page().EntryPanel().title(), user_);
  EXPECT_EQ(w_.page().EntryPanel().subtitle(), L"");
  grid.SetFocusedNode(w_.Entry(user_, p_ + L"Link.lnk"));
  EXPECT_NE(w_.page().EntryPanel().title(), user_) << "an entry shows its file's description, not the place";

  // The name filter keeps entries whose names begin with it; the browser-helper group stays.
  w_.main->NameFilter().SetText(p_ + L"r");
  ASSERT_TRUE(w_.Refresh());
  EXPECT_EQ(w_.Cell(grid.First(), 0), L"Browser Helper Objects");
  EXPECT_EQ(w_.EntryRows(), 3u);
  for (ui::TreeNode* n = grid.First(); n; n = grid.Next(n)) {
    if (!StartupPage::IsGroupRow(*n)) {
      EXPECT_EQ(n->As<AutorunRecord>()->Name, p_ + L"Run");
    }
  }
  EXPECT_EQ(w_.main->Tabs().Caption(kPageStartup), L" 自动运行 (3) ");
}

TEST_F(StartupPageTest, RemovesExactlyTheCheckedEntriesAfterYesAndReportsAFailure) {
  ASSERT_TRUE(w_.Refresh());
  EXPECT_FALSE(w_.page().DeleteButton().Enabled());
  ui::TreeNode* run32 = w_.Entry(L"HKLM\\" + kRun32, p_ + L"Run");
  ui::TreeNode* link = w_.Entry(user_, p_ + L"Link.lnk");
  ASSERT_TRUE(run32 && link);
  w_.grid().ToggleCheck(run32);  // as the user's click on the box
  w_.grid().ToggleCheck(link);
  EXPECT_TRUE(w_.page().DeleteButton().Enabled());

  const auto run64Before = KeyContents(HKEY_LOCAL_MACHINE, kRun, k64);
  const auto run32Before = KeyContents(HKEY_LOCAL_MACHINE, kRun, k32);
  const auto userRunBefore = KeyContents(HKEY_CURRENT_USER, kRun, k64);
  const auto commonBefore = FolderContents(common_);
  const auto userBefore = FolderContents(user_);
  {
    BoxAnswerer no(IDNO);
    ::SendMessageW(w_.page().DeleteButton().hwnd(), BM_CLICK, 0, 0);
    ASSERT_TRUE(no.found);
    EXPECT_EQ(no.seen.text, L"你真的要删除 2 检查自动运行?");
  }
  EXPECT_EQ(KeyContents(HKEY_LOCAL_MACHINE, kRun, k32), run32Before) << "No changes nothing";
  EXPECT_EQ(FolderContents(user_), userBefore);

  {
    BoxAnswerer yes(IDYES);
    ::SendMessageW(w_.page().DeleteButton().hwnd(), BM_CLICK, 0, 0);
    ASSERT_TRUE(yes.found);
  }
  ASSERT_TRUE(w_.WaitIdle());  // the removal, then the read after it
  auto run32Expected = run32Before;
  EXPECT_EQ(run32Expected.erase(p_ + L"Run=C:\\windows\\notepad.exe /32" + std::wstring(1, L'\0')), 1u);
  auto userExpected = userBefore;
  EXPECT_EQ(userExpected.erase(p_ + L"Link.lnk"), 1u);
  EXPECT_EQ(KeyContents(HKEY_LOCAL_MACHINE, kRun, k32), run32Expected);
  EXPECT_EQ(KeyContents(HKEY_LOCAL_MACHINE, kRun, k64), run64Before);
  EXPECT_EQ(KeyContents(HKEY_CURRENT_USER, kRun, k64), userRunBefore);
  EXPECT_EQ(FolderContents(user_), userExpected);
  EXPECT_EQ(FolderContents(common_), commonBefore);
  // Refreshed: the removed rows are gone, nothing is checked.
  EXPECT_EQ(w_.Entry(L"HKLM\\" + kRun32, p_ + L"Run"), nullptr);
  EXPECT_EQ(w_.Entry(user_, p_ + L"Link.lnk"), nullptr);
  EXPECT_NE(w_.Entry(common_, p_ + L"Link.lnk"), nullptr);
  EXPECT_FALSE(w_.page().DeleteButton().Enabled());

  // An entry removed behind the page's back: the error box names it and gives the system's reason; the other
  // checked entry is still removed.
  ui::TreeNode* gone = w_.Entry(L"HKCU\\" + kRun, p_ + L"Run");
  ui::TreeNode* plain = w_.Entry(common_, p_ + L"Plain.cmd");
  ASSERT_TRUE(gone && plain);
  w_.grid().ToggleCheck(gone);
  w_.grid().ToggleCheck(plain);
  HKEY key = nullptr;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kRun.c_str(), 0, KEY_SET_VALUE | k64, &key), ERROR_SUCCESS);
  ::RegDeleteValueW(key, (p_ + L"Run").c_str());
  ::RegCloseKey(key);
  std::vector<std::wstring> texts;
  {
    BoxSeries boxes(2, texts);
    ::SendMessageW(w_.page().DeleteButton().hwnd(), BM_CLICK, 0, 0);
    ASSERT_TRUE(w_.WaitIdle());
  }
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], L"你真的要删除 2 检查自动运行?");
  const std::wstring firstLine = L"Autorun " + p_ + L"Run cannot be removed.\r\n";
  EXPECT_EQ(texts[1].rfind(firstLine, 0), 0u);
  EXPECT_GT(texts[1].size(), firstLine.size()) << "the system's reason follows";
  EXPECT_EQ(::GetFileAttributesW((common_ + L"\\" + p_ + L"Plain.cmd").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A Run value of 100,000 characters, as any program of the user may write: read off the window thread, listed
// with a bounded file name, and every other entry still there.
TEST_F(StartupPageTest, AHostileRunValueIsListedWithoutHoldingTheWindow) {
  std::wstring hostile;
  for (int i = 0; i < 50000; ++i) hostile += L"a ";
  ASSERT_TRUE(SetValue(undo_, HKEY_CURRENT_USER, kRun, k64, p_ + L"Long", REG_SZ, hostile));
  ASSERT_NE(w_.Entry(L"HKCU\\" + kRun, p_ + L"Run"), nullptr);
  w_.main->RefreshActivePage();
  EXPECT_TRUE(w_.page().Busy()) << "the read runs on a worker";
  EXPECT_NE(w_.Entry(L"HKCU\\" + kRun, p_ + L"Run"), nullptr) << "the last list stays until the new one arrives";
  ASSERT_TRUE(w_.WaitIdle());

  ui::TreeNode* row = w_.Entry(L"HKCU\\" + kRun, p_ + L"Long");
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(w_.Cell(row, 1), hostile) << "the command line as stored";
  EXPECT_LE(row->As<AutorunRecord>()->ImageName.size(), kMaxCommandLineChars);
  EXPECT_TRUE(row->hasCheckBox());
  EXPECT_NE(w_.Entry(L"HKCU\\" + kRun, p_ + L"Run"), nullptr);
  EXPECT_NE(w_.Entry(L"HKLM\\" + kRun, p_ + L"Run"), nullptr);
  EXPECT_NE(w_.Entry(user_, p_ + L"Link.lnk"), nullptr);
  EXPECT_EQ(w_.main->Tabs().Caption(kPageStartup), L" 自动运行 (" + std::to_wstring(w_.EntryRows()) + L") ");
}

using NtValueKeyFn = LONG(NTAPI*)(HANDLE, UNICODE_STRING*, ULONG, ULONG, void*, ULONG);
using NtDeleteValueKeyFn = LONG(NTAPI*)(HANDLE, UNICODE_STRING*);

// A value whose name holds a NUL, which the Reg* calls cannot name; removed again at the end.
bool SetValueWithNul(Undo& undo, const std::wstring& name, const std::wstring& data) {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  auto set = reinterpret_cast<NtValueKeyFn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtSetValueKey")));
  auto del = reinterpret_cast<NtDeleteValueKeyFn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtDeleteValueKey")));
  if (!set || !del || !CreateKey(undo, HKEY_CURRENT_USER, kRun, k64)) return false;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRun.c_str(), 0, KEY_ALL_ACCESS | k64, &key) != ERROR_SUCCESS) return false;
  auto unicode = [](const std::wstring& s) {
    UNICODE_STRING u{};
    u.Buffer = const_cast<wchar_t*>(s.data());
    u.Length = u.MaximumLength = static_cast<USHORT>(s.size() * sizeof(wchar_t));
    return u;
  };
  UNICODE_STRING u = unicode(name);
  const LONG status = set(key, &u, 0, REG_SZ, const_cast<wchar_t*>(data.c_str()),
                          static_cast<ULONG>((data.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
  undo.Add([name, del, unicode] {
    HKEY k = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRun.c_str(), 0, KEY_ALL_ACCESS | k64, &k) != ERROR_SUCCESS) return;
    UNICODE_STRING n = unicode(name);
    del(k, &n);
    ::RegCloseKey(k);
  });
  return status >= 0;
}

// What is deleted is exactly what the page showed: an entry changed since the read is kept and named in an error
// box, a file with a trailing blank is not confused with its neighbour, and a name with a NUL cannot be chosen.
TEST_F(StartupPageTest, RemovesOnlyWhatThePageShowed) {
  const std::wstring nulName = p_ + L"Nul" + std::wstring(1, L'\0') + L"x";
  ASSERT_TRUE(SetValue(undo_, HKEY_CURRENT_USER, kRun, k64, p_ + L"Changed", REG_SZ, L"C:\\windows\\notepad.exe /a"));
  ASSERT_TRUE(SetValue(undo_, HKEY_CURRENT_USER, kRun, k64, p_ + L"Nul", REG_SZ, L"C:\\windows\\notepad.exe /n"));
  ASSERT_TRUE(SetValueWithNul(undo_, nulName, L"C:\\windows\\notepad.exe /nul"));
  const std::wstring swap = user_ + L"\\" + p_ + L"Swap.lnk";
  ASSERT_TRUE(CreateLink(undo_, swap, L"C:\\windows\\notepad.exe", L"/s"));
  const std::wstring blankName = p_ + L"x.txt ";
  ASSERT_TRUE(CreateEmptyFile(undo_, L"\\\\?\\" + user_ + L"\\" + blankName));
  ASSERT_TRUE(CreateEmptyFile(undo_, user_ + L"\\" + p_ + L"x.txt"));
  ASSERT_TRUE(w_.Refresh());

  ui::TreeNode* nul = w_.Entry(L"HKCU\\" + kRun, p_ + L"Nul\\0x");
  ASSERT_NE(nul, nullptr) << "shown, escaped";
  EXPECT_FALSE(nul->hasCheckBox());
  ASSERT_NE(w_.Entry(L"HKCU\\" + kRun, p_ + L"Nul"), nullptr);
  ui::TreeNode* changed = w_.Entry(L"HKCU\\" + kRun, p_ + L"Changed");
  ui::TreeNode* swapped = w_.Entry(user_, p_ + L"Swap.lnk");
  ui::TreeNode* blank = w_.Entry(user_, blankName);
  ASSERT_TRUE(changed && swapped && blank);
  for (ui::TreeNode* row : {nul, changed, swapped, blank}) w_.grid().ToggleCheck(row);

  // Behind the page's back: the value rewritten, the shortcut replaced by another one.
  ASSERT_TRUE(SetValue(undo_, HKEY_CURRENT_USER, kRun, k64, p_ + L"Changed", REG_SZ, L"C:\\evil.exe"));
  ASSERT_TRUE(CreateLink(undo_, swap, L"C:\\windows\\regedit.exe", L"/other arguments"));
  const auto runBefore = KeyContents(HKEY_CURRENT_USER, kRun, k64);
  auto folderExpected = FolderContents(user_);
  ASSERT_EQ(folderExpected.erase(blankName), 1u);

  std::vector<std::wstring> texts;
  {
    BoxSeries boxes(3, texts);
    ::SendMessageW(w_.page().DeleteButton().hwnd(), BM_CLICK, 0, 0);
    ASSERT_TRUE(w_.WaitIdle());
  }
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], L"你真的要删除 3 检查自动运行?") << "the row without a box is not counted";
  EXPECT_EQ(texts[1], L"Autorun " + p_ + L"Changed cannot be removed.\r\n" + kAutorunChangedReason);
  EXPECT_EQ(texts[2], L"Autorun " + p_ + L"Swap.lnk cannot be removed.\r\n" + kAutorunChangedReason);
  EXPECT_EQ(KeyContents(HKEY_CURRENT_USER, kRun, k64), runBefore) << "no value deleted, the NUL one included";
  EXPECT_EQ(FolderContents(user_), folderExpected) << "only the file with the trailing blank went";
  EXPECT_NE(::GetFileAttributesW((user_ + L"\\" + p_ + L"x.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace vantrel::app
