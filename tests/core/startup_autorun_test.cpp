#include <gtest/gtest.h>

#include <set>

#include "core/paths/paths.h"
#include "core/paths/shell_link.h"
#include "core/startup/autorun.h"

namespace vantrel {
namespace {

TEST(RunOnceExCommandLine, Table) {
  struct Case {
    const wchar_t* data;
    const wchar_t* line;
  } cases[] = {
      {L"||C:\\x\\lib.dll|Entry", L"C:\\x\\lib.dll Entry"},
      {L"C:\\x\\app.exe /s", L"C:\\x\\app.exe /s"},
      {L"||a.dll|b|c", L"a.dll b|c"},  // only the first bar
      {L"a|b||c", L"a bc"},           // "||" goes first, then the first "|"
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(RunOnceExCommandLine(c.data), c.line) << c.data;
}

TEST(StartupFolderFiles, SkippedAndLinks) {
  struct Case {
    const wchar_t* name;
    bool skipped;
    bool link;
  } cases[] = {
      {L"desktop.ini", true, false}, {L"DESKTOP.INI", true, false}, {L"a.in", true, false},
      {L"a.i", true, false},         {L"readme", false, false},     {L"tool.exe", false, false},
      {L"x.lnk", false, true},       {L"X.LNK", false, true},       {L"a.ini.bat", false, false},
      {L"my.inix", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsSkippedStartupFile(c.name), c.skipped) << c.name;
    EXPECT_EQ(IsShellLinkFile(c.name), c.link) << c.name;
  }
  EXPECT_EQ(LinkCommandLine(L"C:\\a.exe", L""), L"C:\\a.exe ");  // ends with a blank
  EXPECT_EQ(LinkCommandLine(L"C:\\a.exe", L"-x"), L"C:\\a.exe -x");
  EXPECT_EQ(WithSystemDirectory(L"C:\\W\\System32", L"n.dll", true), L"C:\\W\\System32\\n.dll");
  EXPECT_EQ(WithSystemDirectory(L"C:\\W\\System32", L"D:\\n.dll", true), L"D:\\n.dll");
  EXPECT_EQ(WithSystemDirectory(L"C:\\W\\System32", L"D:\\n.dll", false), L"C:\\W\\System32\\D:\\n.dll");
}

TEST(FixLinkTargetX86, OnlyAsAFallback) {
  const std::set<std::wstring> files{L"C:\\Program Files\\Native\\a.exe", L"C:\\Program Files (x86)\\Old\\b.exe",
                                     L"C:\\Program Files\\Old\\b.exe"};
  const FileExistsFn exists = [&](const std::wstring& f) { return files.count(f) > 0; };
  struct Case {
    const wchar_t* target;
    const wchar_t* result;
  } cases[] = {
      {L"C:\\Program Files (x86)\\Native\\a.exe", L"C:\\Program Files\\Native\\a.exe"},  // only native exists
      {L"C:\\Program Files (x86)\\Old\\b.exe", L"C:\\Program Files (x86)\\Old\\b.exe"},  // exists where it is
      {L"C:\\Program Files (x86)\\Gone\\c.exe", L"C:\\Program Files (x86)\\Gone\\c.exe"},  // neither exists
      {L"C:\\Program Files (X86)\\Native\\a.exe", L"C:\\Program Files (X86)\\Native\\a.exe"},  // not lower case
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(FixLinkTargetX86(c.target, exists), c.result) << c.target;
}

AutorunRecord Entry(AutorunLocation loc, const std::wstring& path, const std::wstring& name,
                     AutorunPlace place = AutorunPlace::Run) {
  AutorunRecord r;
  r.Location = loc;
  r.Path = path;
  r.Name = name;
  r.Place = place;
  r.Root = RegistryRoot::LocalMachine;
  r.RegKey = path.size() > 5 ? path.substr(5) : path;
  return r;
}

TEST(AutorunListBuilder, GroupsFilterAndBrowserHelpers) {
  const std::wstring run = L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::wstring run32 = L"HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::wstring userRun = L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  auto fill = [&](AutorunListBuilder& b) {
    b.BeginPlace();
    b.Add(Entry(AutorunLocation::BrowserHelper, std::wstring(kBrowserHelperGroup), L"Helper", AutorunPlace::BrowserHelper));
    b.BeginPlace();
    b.Add(Entry(AutorunLocation::Registry, run, L"One"));
    b.Add(Entry(AutorunLocation::Registry, run, L"Two"));
    b.BeginPlace();
    b.Add(Entry(AutorunLocation::BrowserHelper, std::wstring(kBrowserHelperGroup), L"HELPER", AutorunPlace::BrowserHelper));  // same name
    b.Add(Entry(AutorunLocation::Registry, run32, L"One"));
    b.BeginPlace();
    b.Add(Entry(AutorunLocation::Registry, userRun, L"Onedrive"));
    b.BeginPlace();  // a place with no entries creates no group
  };
  AutorunListBuilder all(L"");
  fill(all);
  const std::vector<AutorunGroup>& g = all.Groups();
  ASSERT_EQ(g.size(), 4u);
  EXPECT_EQ(g[0].Group.Path, L"Browser Helper Objects");
  EXPECT_EQ(g[0].Entries.size(), 1u);  // listed once
  EXPECT_EQ(g[1].Group.Path, run);
  EXPECT_EQ(g[1].Entries.size(), 2u);
  EXPECT_EQ(g[2].Group.Path, run32);  // the same name in two places gives two rows
  EXPECT_EQ(g[3].Group.Path, userRun);
  EXPECT_EQ(AutorunEntryCount(g), 5u);
  EXPECT_EQ(AutorunsTabCaption(AutorunEntryCount(g)), L" 自动运行 (5) ");

  AutorunListBuilder filtered(L"one");
  fill(filtered);
  const std::vector<AutorunGroup>& f = filtered.Groups();
  ASSERT_EQ(f.size(), 4u);
  EXPECT_TRUE(f[0].Entries.empty());  // the empty browser-helper group is still there
  EXPECT_EQ(f[1].Entries.size(), 1u);
  EXPECT_EQ(f[1].Entries[0].Name, L"One");
  EXPECT_EQ(f[3].Entries[0].Name, L"Onedrive");
  EXPECT_FALSE(filtered.Wants(AutorunLocation::Registry, L"xOne"));  // begins with, not contains
}

TEST(AutorunCheckBoxAndRemoval, Table) {
  const std::wstring winlogon = L"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
  struct Case {
    AutorunRecord record;
    bool box;
  } cases[] = {
      {Entry(AutorunLocation::Registry, winlogon, L"UserInit", AutorunPlace::Winlogon), false},
      {Entry(AutorunLocation::Registry, winlogon, L"Shell", AutorunPlace::Winlogon), false},
      {Entry(AutorunLocation::Registry, winlogon, L"GinaDLL", AutorunPlace::Winlogon), true},
      {Entry(AutorunLocation::Registry, winlogon + L"\\Notify", L"x", AutorunPlace::WinlogonNotify), false},
      {Entry(AutorunLocation::Registry, L"HKLM\\System\\CurrentControlSet\\Control\\Session Manager", L"BootExecute",
             AutorunPlace::BootExecute),
       true},
      {Entry(AutorunLocation::BrowserHelper, L"Browser Helper Objects", L"h", AutorunPlace::BrowserHelper), false},
      {Entry(AutorunLocation::Folder, L"C:\\S", L"a.lnk", AutorunPlace::StartupFolder), true},
      {[] {
         AutorunRecord r = Entry(AutorunLocation::Registry, L"HKCU\\Software\\M\\Run", L"a\\0b", AutorunPlace::Run);
         r.NameUnreachable = true;  // a NUL in the name: deleting by name would hit "a"
         return r;
       }(),
       false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AutorunHasCheckBox(c.record, false), c.box) << c.record.Name;
    EXPECT_FALSE(AutorunHasCheckBox(c.record, true));
    EXPECT_EQ(AutorunRemovalFor(c.record).has_value(), c.box) << c.record.Name;
  }
  // A RunOnceEx entry is removed in its subkey, a folder entry by its file.
  AutorunRecord ex = Entry(AutorunLocation::Registry, L"HKCU\\Software\\M\\RunOnceEx", L"step", AutorunPlace::RunOnceEx);
  ex.Root = RegistryRoot::CurrentUser;
  ex.RegKey = L"Software\\M\\RunOnceEx\\0001";
  const auto r = AutorunRemovalFor(ex);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Root, RegistryRoot::CurrentUser);
  EXPECT_EQ(r->Key, L"Software\\M\\RunOnceEx\\0001");
  EXPECT_EQ(r->Value, L"step");
  const auto file = AutorunRemovalFor(cases[6].record);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->File, L"\\\\?\\C:\\S\\a.lnk");
}

// Names and paths the removal must not confuse with their neighbours.
TEST(AutorunRemoval, ExactNamesAndPaths) {
  const std::wstring nul(L"run\0x", 5);
  EXPECT_TRUE(HasEmbeddedNul(nul));
  EXPECT_EQ(EscapedValueName(nul), L"run\\0x");
  EXPECT_EQ(EscapedValueName(L"run"), L"run");
  EXPECT_FALSE(HasEmbeddedNul(L"run"));
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"C:\\S\\x.txt ", L"\\\\?\\C:\\S\\x.txt "},
      {L"C:\\S\\x.", L"\\\\?\\C:\\S\\x."},
      {L"\\\\srv\\share\\x.lnk", L"\\\\?\\UNC\\srv\\share\\x.lnk"},
      {L"\\\\?\\C:\\S\\x", L"\\\\?\\C:\\S\\x"},
  };
  for (const Case& c : cases) EXPECT_EQ(LongPathForm(c.in), c.out);
}

TEST(AutorunTexts, CellsPanelAndMessages) {
  AutorunRecord e = Entry(AutorunLocation::Registry, L"HKLM\\X", L"Name");
  e.CmdLine = L"a.exe /b";
  e.Desc = L"Tool";
  e.Version = L"";
  EXPECT_EQ(AutorunCellText(e, false, Index(AutorunColumn::Name)), L"Name");
  EXPECT_EQ(AutorunCellText(e, false, Index(AutorunColumn::CmdLine)), L"a.exe /b");
  EXPECT_EQ(AutorunCellText(e, true, Index(AutorunColumn::Name)), L"HKLM\\X");
  EXPECT_EQ(AutorunCellText(e, true, Index(AutorunColumn::CmdLine)), L"");
  EXPECT_EQ(AutorunDescriptionLine(e, false), L"Tool");
  EXPECT_EQ(AutorunDescriptionLine(e, true), L"HKLM\\X");
  struct Case {
    const wchar_t* company;
    const wchar_t* copyright;
    const wchar_t* line;
  } cases[] = {{L"", L"(c) X", L"(c) X"},
               {L"Acme", L"", L"Acme"},
               {L"Acme", L"Copyright Acme 2020", L"Copyright Acme 2020"},
               {L"Acme", L"(c) Other", L"Acme - (c) Other"}};
  for (const Case& c : cases) {
    e.Company = c.company;
    e.Copyright = c.copyright;
    EXPECT_EQ(AutorunCompanyLine(e, false), c.line);
  }
  EXPECT_EQ(AutorunCompanyLine(e, true), L"");
  EXPECT_EQ(AutorunDeleteConfirmation(2), L"你真的要删除 2 检查自动运行?");
  EXPECT_EQ(AutorunRemoveErrorText(L"x", L"Access is denied."), L"Autorun x cannot be removed.\r\nAccess is denied.");
}

}  // namespace
}  // namespace vantrel
