#include "core/process/module_records.h"

#include <gtest/gtest.h>

#include <set>

namespace vantrel {
namespace {

TEST(ModuleRecords, DeduplicatesByFullPathIgnoringCase) {
  ModuleDeduplicator dedup;
  const struct {
    const wchar_t* path;
    bool listed;
  } walk[] = {
      {L"C:\\app\\webapi.dll", true},
      {L"C:\\app\\api.dll", true},  // a name inside an earlier name is its own module
      {L"c:\\APP\\WEBAPI.DLL", false},  // reported twice
      {L"C:\\sxs\\v2\\api.dll", true},  // same name, another folder
      {L"C:\\app\\api.dll", false},
  };
  for (const auto& m : walk) EXPECT_EQ(dedup.FirstTime(m.path), m.listed) << m.path;
}

TEST(ModuleRecords, RepairsAPathStepByStep) {
  const std::set<std::wstring> files = {L"C:\\windows\\system32\\ntdll.dll", L"C:\\windows\\system32\\drv.sys",
                                        L"C:\\windows\\found.dll"};
  ModulePathRepair repair;
  repair.exists = [&](const std::wstring& p) { return files.count(p) > 0; };
  repair.expand = [](const std::wstring& p) {
    return p.rfind(L"\\SystemRoot\\", 0) == 0 ? L"C:\\windows\\" + p.substr(12) : p;
  };
  repair.search = [&](const std::wstring& p) {
    const std::wstring candidate = L"C:\\windows\\" + p;
    return files.count(candidate) ? candidate : std::wstring();
  };
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"C:\\windows\\system32\\ntdll.dll", L"C:\\windows\\system32\\ntdll.dll"},
      {L"\\??\\C:\\windows\\system32\\ntdll.dll", L"C:\\windows\\system32\\ntdll.dll"},
      {L"\\SystemRoot\\system32\\drv.sys", L"C:\\windows\\system32\\drv.sys"},
      {L"found.dll", L"C:\\windows\\found.dll"},
      {L"missing.dll", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(RepairModulePath(c.in, repair), c.out) << c.in;
}

TEST(ModuleRecords, MainModuleAndTexts) {
  ModuleRecord m;
  m.Name = L"Notepad.EXE";
  m.Desc = L"d";
  m.Company = L"c";
  m.Version = L"1.2.3.4";
  m.ImageName = L"C:\\windows\\notepad.exe";
  EXPECT_TRUE(IsMainModule(m, L"notepad.exe"));
  EXPECT_FALSE(IsMainModule(m, L"notepad"));
  EXPECT_FALSE(IsMainModule(m, L""));
  const wchar_t* cells[] = {L"Notepad.EXE", L"d", L"c", L"1.2.3.4", L"C:\\windows\\notepad.exe"};
  for (int col = Index(ModuleColumn::Name); col <= Index(ModuleColumn::ImageName); ++col) EXPECT_EQ(ModuleCellText(m, col), cells[col]);
  EXPECT_EQ(ModulesCaption(0), L" 模块 (0) ");
}

}  // namespace
}  // namespace vantrel
