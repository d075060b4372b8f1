// Startup entries the test creates in the registry (both views) and in the two startup folders: read, removed
// two of them, and everything put back whatever happens.
#include "system/startup/autorun_reader.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include "../support/startup_entries.h"
#include "system/os/file_version.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;  // the startup entries and their undo steps

const std::wstring kClsid = L"{7E1F3A52-9C4B-4D2E-8A61-5B0C2D9E4F13}";

const AutorunGroup* Group(const AutorunScan& scan, const std::wstring& path) {
  for (const AutorunGroup& g : scan.Groups)
    if (_wcsicmp(g.Group.Path.c_str(), path.c_str()) == 0) return &g;
  return nullptr;
}

std::vector<const AutorunRecord*> Entries(const AutorunGroup* group, const std::wstring& name) {
  std::vector<const AutorunRecord*> found;
  if (group)
    for (const AutorunRecord& e : group->Entries)
      if (_wcsicmp(e.Name.c_str(), name.c_str()) == 0) found.push_back(&e);
  return found;
}

TEST(Autoruns, ListsEveryPlaceAndRemovesExactlyTheChosenEntries) {
  Undo undo;
  const std::wstring p = L"VantrelT" + std::to_wstring(::GetCurrentProcessId());
  const std::wstring commonFolder = GetSpecialFolder(::GetDesktopWindow(), CSIDL_COMMON_STARTUP);
  const std::wstring userFolder = GetSpecialFolder(::GetDesktopWindow(), CSIDL_STARTUP);
  ASSERT_FALSE(commonFolder.empty());
  ASSERT_FALSE(userFolder.empty());

  constexpr REGSAM k64 = KEY_WOW64_64KEY, k32 = KEY_WOW64_32KEY;
  const std::wstring wow = L"Software\\Wow6432Node";
  ASSERT_TRUE(SetValue(undo, HKEY_CURRENT_USER, kRun, k64, p + L"Run", REG_SZ, L"C:\\windows\\notepad.exe /u"));
  ASSERT_TRUE(SetValue(undo, HKEY_LOCAL_MACHINE, kRun, k64, p + L"Run", REG_EXPAND_SZ, L"%windir%\\notepad.exe /64"));
  ASSERT_TRUE(SetValue(undo, HKEY_LOCAL_MACHINE, kRun, k32, p + L"Run", REG_SZ, L"C:\\windows\\notepad.exe /32"));
  ASSERT_TRUE(SetValue(undo, HKEY_LOCAL_MACHINE, kRun, k64, p + L"Other", REG_SZ, L"other.exe"));
  ASSERT_TRUE(SetValue(undo, HKEY_CURRENT_USER, kRunOnceEx + L"\\" + p, k64, p + L"Ex", REG_SZ,
                       L"||C:\\x\\lib.dll|Entry"));
  ASSERT_TRUE(SetValue(undo, HKEY_CURRENT_USER, kRunOnceEx + L"\\Depend", k64, p + L"Dep", REG_SZ, L"dep.exe"));
  ASSERT_TRUE(SetValue(undo, HKEY_LOCAL_MACHINE, kSessionManager, k64, L"BootExecute", REG_MULTI_SZ,
                       std::wstring(L"vantrel-boot-check *") + L'\0' + L"second"));
  for (const wchar_t* name : {L"Userinit", L"Shell"}) {
    if (!ValueExists(HKEY_LOCAL_MACHINE, kWinlogon, k64, name)) {
      ASSERT_TRUE(SetValue(undo, HKEY_LOCAL_MACHINE, kWinlogon, k64, name, REG_SZ, L"explorer.exe"));
    }
  }
  // The same object in both views, with its class under each view's CLSID key.
  for (const std::wstring& software : {std::wstring(L"Software"), wow}) {
    ASSERT_TRUE(CreateKey(undo, HKEY_LOCAL_MACHINE,
                          software + L"\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\" + kClsid,
                          k64));
    ASSERT_TRUE(SetValue(undo, HKEY_LOCAL_MACHINE, software + L"\\Classes\\CLSID\\" + kClsid, k64, L"", REG_SZ,
                         p + L" BHO"));
    ASSERT_TRUE(SetValue(undo, HKEY_LOCAL_MACHINE, software + L"\\Classes\\CLSID\\" + kClsid + L"\\InprocServer32",
                         k64, L"", REG_SZ, L"C:\\x\\" + software.substr(software.size() - 4) + L".dll"));
  }
  for (const std::wstring& folder : {commonFolder, userFolder}) {
    ASSERT_TRUE(CreateLink(undo, folder + L"\\" + p + L"Link.lnk", L"C:\\windows\\notepad.exe", L"/a \"b c\""));
    ASSERT_TRUE(CreateFileOnce(undo, folder + L"\\" + p + L"Plain.cmd"));
    ASSERT_TRUE(CreateFileOnce(undo, folder + L"\\" + p + L"readme"));
    ASSERT_TRUE(CreateFileOnce(undo, folder + L"\\desktop.ini"));
  }

  const AutorunScan scan = ReadAutoruns({});
  for (const std::wstring& line : scan.LogLines) ADD_FAILURE() << "log: " << std::string(line.begin(), line.end());
  ASSERT_FALSE(scan.Groups.empty());
  EXPECT_EQ(scan.Groups[0].Group.Path, L"Browser Helper Objects");
  const auto bho = Entries(&scan.Groups[0], p + L" BHO");
  ASSERT_EQ(bho.size(), 1u);  // registered in both views, listed once: the 64-bit view's comes first
  EXPECT_EQ(bho[0]->CmdLine, L"C:\\x\\ware.dll");
  EXPECT_FALSE(AutorunHasCheckBox(*bho[0], false));

  const AutorunGroup* userRun = Group(scan, L"HKCU\\" + kRun);
  const AutorunGroup* machineRun = Group(scan, L"HKLM\\" + kRun);
  const AutorunGroup* machineRun32 = Group(scan, L"HKLM\\" + wow + L"\\Microsoft\\Windows\\CurrentVersion\\Run");
  ASSERT_TRUE(userRun && machineRun && machineRun32);
  ASSERT_EQ(Entries(userRun, p + L"Run").size(), 1u);
  ASSERT_EQ(Entries(machineRun, p + L"Run").size(), 1u);
  ASSERT_EQ(Entries(machineRun32, p + L"Run").size(), 1u);
  EXPECT_EQ(Entries(userRun, p + L"Run")[0]->CmdLine, L"C:\\windows\\notepad.exe /u");
  const AutorunRecord& run64 = *Entries(machineRun, p + L"Run")[0];
  EXPECT_EQ(run64.CmdLine, L"%windir%\\notepad.exe /64");  // not expanded
  EXPECT_EQ(_wcsicmp(run64.ImageName.c_str(), L"C:\\windows\\notepad.exe"), 0) << run64.ImageName;
  EXPECT_TRUE(AutorunHasCheckBox(run64, false));
  const AutorunRecord run32 = *Entries(machineRun32, p + L"Run")[0];
  EXPECT_EQ(run32.CmdLine, L"C:\\windows\\notepad.exe /32");

  const AutorunGroup* onceEx = Group(scan, L"HKCU\\" + kRunOnceEx);
  ASSERT_EQ(Entries(onceEx, p + L"Ex").size(), 1u);
  EXPECT_EQ(Entries(onceEx, p + L"Ex")[0]->CmdLine, L"C:\\x\\lib.dll Entry");
  EXPECT_TRUE(Entries(onceEx, p + L"Dep").empty());

  const auto boot = Entries(Group(scan, L"HKLM\\" + kSessionManager), L"BootExecute");
  ASSERT_EQ(boot.size(), 1u);
  EXPECT_EQ(boot[0]->CmdLine, L"vantrel-boot-check *");
  for (const wchar_t* name : {L"UserInit", L"Shell"}) {
    const auto rows = Entries(Group(scan, L"HKLM\\" + kWinlogon), name);
    ASSERT_EQ(rows.size(), 1u) << name;
    EXPECT_FALSE(AutorunHasCheckBox(*rows[0], false)) << name;
  }

  AutorunRecord userLink;
  for (const std::wstring& folder : {commonFolder, userFolder}) {
    const AutorunGroup* g = Group(scan, folder);
    ASSERT_TRUE(g);
    const auto link = Entries(g, p + L"Link.lnk");
    ASSERT_EQ(link.size(), 1u);
    EXPECT_EQ(_wcsicmp(link[0]->CmdLine.c_str(), L"C:\\windows\\notepad.exe /a \"b c\""), 0) << link[0]->CmdLine;
    EXPECT_EQ(_wcsicmp(link[0]->ImageName.c_str(), L"C:\\windows\\notepad.exe"), 0);
    const auto plain = Entries(g, p + L"Plain.cmd");
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0]->CmdLine, p + L"Plain.cmd");
    EXPECT_EQ(plain[0]->ImageName, folder + L"\\" + p + L"Plain.cmd");
    EXPECT_EQ(Entries(g, p + L"readme").size(), 1u);
    EXPECT_TRUE(Entries(g, L"desktop.ini").empty());
    if (folder == userFolder) userLink = *link[0];
  }

  // The filter keeps names beginning with it; the browser-helper group stays.
  const AutorunScan filtered = ReadAutoruns({p + L"r"});
  ASSERT_FALSE(filtered.Groups.empty());
  EXPECT_EQ(filtered.Groups[0].Group.Path, L"Browser Helper Objects");
  size_t count = 0;
  for (const AutorunGroup& g : filtered.Groups)
    for (const AutorunRecord& e : g.Entries) {
      ++count;
      EXPECT_EQ(_wcsnicmp(e.Name.c_str(), (p + L"r").c_str(), p.size() + 1), 0);
    }
  EXPECT_EQ(count, 5u);  // three Run values and the two readme files

  // Remove the 32-bit view's Run value and the user's shortcut; nothing else changes.
  const auto run64Before = KeyContents(HKEY_LOCAL_MACHINE, kRun, k64);
  const auto run32Before = KeyContents(HKEY_LOCAL_MACHINE, kRun, k32);
  const auto userRunBefore = KeyContents(HKEY_CURRENT_USER, kRun, k64);
  const auto commonBefore = FolderContents(commonFolder);
  const auto userBefore = FolderContents(userFolder);
  const auto outcomes = RemoveAutoruns({run32, userLink});
  ASSERT_EQ(outcomes.size(), 2u);
  for (const AutorunRemovalOutcome& o : outcomes) EXPECT_TRUE(o.Ok) << o.Error;

  auto run32Expected = run32Before;
  run32Expected.erase(p + L"Run=C:\\windows\\notepad.exe /32" + std::wstring(1, L'\0'));
  auto userExpected = userBefore;
  userExpected.erase(p + L"Link.lnk");
  EXPECT_EQ(run32Expected.size(), run32Before.size() - 1);
  EXPECT_EQ(userExpected.size(), userBefore.size() - 1);
  EXPECT_EQ(KeyContents(HKEY_LOCAL_MACHINE, kRun, k32), run32Expected);
  EXPECT_EQ(KeyContents(HKEY_LOCAL_MACHINE, kRun, k64), run64Before);
  EXPECT_EQ(KeyContents(HKEY_CURRENT_USER, kRun, k64), userRunBefore);
  EXPECT_EQ(FolderContents(userFolder), userExpected);
  EXPECT_EQ(FolderContents(commonFolder), commonBefore);

  // A second removal reports the failing call's error; a row without a check box is refused.
  const auto again = RemoveAutoruns({run32, userLink, *Entries(Group(scan, L"HKLM\\" + kWinlogon), L"Shell")[0]});
  EXPECT_EQ(again[0].Error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(again[1].Error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(again[2].Ok);
  EXPECT_EQ(again[2].Error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

}  // namespace
}  // namespace vantrel
