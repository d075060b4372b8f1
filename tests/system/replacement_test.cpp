// The task-manager replacement against the prefix's registry: only "Debugger" changes, in the 64-bit view, and
// the check mark follows a change made by someone else.
#include "system/replacement/task_manager_replacement.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

const wchar_t kExe[] = L"C:\\Program Files\\Vantrel\\Vantrel.exe";

class Replacement : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTaskmgrOptionsKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    key_ = key;
    const DWORD flag = 0x200;
    ASSERT_EQ(RegSetValueExW(key_, L"GlobalFlag", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&flag), sizeof(flag)),
              ERROR_SUCCESS);
    RegDeleteValueW(key_, kDebuggerValue);
  }
  void TearDown() override {
    if (key_) {
      RegDeleteValueW(key_, kDebuggerValue);
      RegDeleteValueW(key_, L"GlobalFlag");
      RegCloseKey(key_);
    }
  }
  std::wstring RawDebugger() const {
    wchar_t buffer[512] = {};
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key_, kDebuggerValue, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) !=
        ERROR_SUCCESS)
      return L"<none>";
    return buffer;
  }
  DWORD ValueCount() const {
    DWORD values = 0;
    RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    return values;
  }
  HKEY key_ = nullptr;
};

TEST_F(Replacement, OnWritesTheQuotedPathOffRemovesOnlyThatValue) {
  EXPECT_EQ(GetTaskManagerReplacement(), L"taskmgr.exe");
  EXPECT_FALSE(IsTaskManagerReplaced(kExe));

  ASSERT_EQ(SetTaskManagerReplacement(true, kExe), ERROR_SUCCESS);
  EXPECT_EQ(RawDebugger(), std::wstring(L"\"") + kExe + L"\"");
  EXPECT_EQ(ValueCount(), 2u);
  EXPECT_EQ(GetTaskManagerReplacement(), kExe);
  EXPECT_TRUE(IsTaskManagerReplaced(kExe));

  ASSERT_EQ(SetTaskManagerReplacement(false, kExe), ERROR_SUCCESS);
  EXPECT_EQ(RawDebugger(), L"<none>");
  EXPECT_EQ(ValueCount(), 1u);  // GlobalFlag stays, and so does the key
  EXPECT_FALSE(IsTaskManagerReplaced(kExe));
  EXPECT_EQ(SetTaskManagerReplacement(false, kExe), ERROR_SUCCESS);  // already off
}

TEST_F(Replacement, ChangesMadeOutsideAreReadBack) {
  const std::wstring other = L"\"C:\\Tools\\other.exe\"";
  const std::wstring ours = L"\"C:\\PROGRAM FILES\\VANTREL\\vantrel.exe\"";
  const std::wstring halfQuoted = std::wstring(L"\"") + kExe;
  struct Case {
    const std::wstring* value;
    bool ours;
  } cases[] = {{&other, false}, {&ours, true}, {&halfQuoted, false}};
  for (const Case& c : cases) {
    ASSERT_EQ(RegSetValueExW(key_, kDebuggerValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(c.value->c_str()),
                             static_cast<DWORD>((c.value->size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    EXPECT_EQ(IsTaskManagerReplaced(kExe), c.ours);
  }
}

TEST_F(Replacement, AMissingKeyIsNeitherCreatedNorWritten) {
  const wchar_t missing[] =
      L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\vantrel-missing.exe";
  EXPECT_EQ(SetTaskManagerReplacement(true, kExe, missing), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(SetTaskManagerReplacement(false, kExe, missing), ERROR_FILE_NOT_FOUND);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, missing, 0, KEY_READ | KEY_WOW64_64KEY, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetTaskManagerReplacement(missing), L"taskmgr.exe");
}

}  // namespace
}  // namespace vantrel
