// Shell links created by the test, and the program's own environment.
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include "core/environment/environment.h"
#include "system/com_ptr.h"
#include "system/os/file_version.h"
#include "system/shell/shell_link.h"

namespace vantrel {
namespace {

// Writes a .lnk; true on success.
bool MakeLink(const std::wstring& file, const std::wstring& target, const std::wstring& arguments,
              const std::wstring& description) {
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  win::ComPtr<IShellLinkW> link;
  win::ComPtr<IPersistFile> persist;
  const bool ok = SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                               link.put_void())) &&
                  SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(link->SetArguments(arguments.c_str())) &&
                  SUCCEEDED(link->SetDescription(description.c_str())) &&
                  SUCCEEDED(link->SetWorkingDirectory(L"C:\\windows")) &&
                  SUCCEEDED(link->QueryInterface(IID_IPersistFile, persist.put_void())) &&
                  SUCCEEDED(persist->Save(file.c_str(), TRUE));
  persist.reset();
  link.reset();
  ::CoUninitialize();
  return ok;
}

std::wstring TempDir() {
  wchar_t buf[MAX_PATH];
  const DWORD n = ::GetTempPathW(MAX_PATH, buf);
  return std::wstring(buf, n);
}

bool Write(const std::wstring& file, const char* text) {
  HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  ::WriteFile(h, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
  ::CloseHandle(h);
  return true;
}

TEST(ResolveShellLink, FieldsNoArgumentsAndNotALink) {
  const std::wstring dir = TempDir();
  const std::wstring withArgs = dir + L"vantrel_args.lnk", plain = dir + L"vantrel_plain.lnk",
                     notLink = dir + L"vantrel_not_a_link.lnk";
  ASSERT_TRUE(MakeLink(withArgs, L"C:\\windows\\notepad.exe", L"/x \"a b\"", L"记事本 link"));
  ASSERT_TRUE(MakeLink(plain, L"C:\\windows\\notepad.exe", L"", L""));
  ASSERT_TRUE(Write(notLink, "this is no shell link"));

  ShellLinkRecord r;
  EXPECT_GE(ResolveShellLink(withArgs, r), 0);
  EXPECT_EQ(_wcsicmp(r.Target.c_str(), L"C:\\windows\\notepad.exe"), 0) << r.Target;
  EXPECT_EQ(r.Arguments, L"/x \"a b\"");
  EXPECT_EQ(r.Name, L"记事本 link");
  EXPECT_EQ(_wcsicmp(r.WorkingDirectory.c_str(), L"C:\\windows"), 0);

  EXPECT_GE(ResolveShellLink(plain, r), 0);
  EXPECT_FALSE(r.Target.empty());
  EXPECT_EQ(r.Arguments, L"");

  EXPECT_LT(ResolveShellLink(notLink, r), 0);
  EXPECT_TRUE(r.Target.empty() && r.Arguments.empty() && r.Name.empty() && r.WorkingDirectory.empty());
  EXPECT_EQ(r.ShowCmd, 0);

  for (const std::wstring& f : {withArgs, plain, notLink}) ::DeleteFileW(f.c_str());
}

TEST(ResolveShellLink, X86TargetFoundUnderTheNativeFolderOnlyWhenMissing) {
  const std::wstring native = L"C:\\Program Files\\VantrelLinkTest", x86 = L"C:\\Program Files (x86)\\VantrelLinkTest";
  const std::wstring onlyNative = L"\\native.exe", both = L"\\both.exe";
  ::CreateDirectoryW(native.c_str(), nullptr);
  ::CreateDirectoryW(x86.c_str(), nullptr);
  ASSERT_TRUE(Write(native + onlyNative, "x") && Write(native + both, "x") && Write(x86 + both, "x"));
  const std::wstring link1 = TempDir() + L"vantrel_x86_1.lnk", link2 = TempDir() + L"vantrel_x86_2.lnk";
  // The target is written while the file exists, then removed under the 32-bit folder.
  ASSERT_TRUE(Write(x86 + onlyNative, "x"));
  ASSERT_TRUE(MakeLink(link1, x86 + onlyNative, L"", L""));
  ::DeleteFileW((x86 + onlyNative).c_str());
  ASSERT_TRUE(MakeLink(link2, x86 + both, L"", L""));

  ShellLinkRecord r;
  ResolveShellLink(link1, r);
  EXPECT_EQ(_wcsicmp(r.Target.c_str(), (native + onlyNative).c_str()), 0) << r.Target;
  ResolveShellLink(link2, r);
  EXPECT_EQ(_wcsicmp(r.Target.c_str(), (x86 + both).c_str()), 0) << r.Target;

  for (const std::wstring& f : {link1, link2, native + onlyNative, native + both, x86 + both}) ::DeleteFileW(f.c_str());
  ::RemoveDirectoryW(native.c_str());
  ::RemoveDirectoryW(x86.c_str());
}

TEST(EnvironmentList, LongAndChineseValuesWhole) {
  const std::wstring longValue = L"start;" + std::wstring(5200, L'p') + L";end";
  ASSERT_TRUE(::SetEnvironmentVariableW(L"VANTREL_ENV_LONG", longValue.c_str()));
  ASSERT_TRUE(::SetEnvironmentVariableW(L"VANTREL_ENV_中文", L"中文值 ü=1"));
  const std::vector<EnvironmentRecord> records = EnvironmentRecords(GetEnvironmentList(), L"vantrel_env_");
  // Variables that sort after the long one are still there.
  bool windir = false;
  for (const EnvironmentRecord& r : EnvironmentRecords(GetEnvironmentList(), L""))
    windir |= _wcsicmp(r.Variable.c_str(), L"windir") == 0;
  EXPECT_TRUE(windir);
  ::SetEnvironmentVariableW(L"VANTREL_ENV_LONG", nullptr);
  ::SetEnvironmentVariableW(L"VANTREL_ENV_中文", nullptr);
  ASSERT_EQ(records.size(), 2u);
  for (const EnvironmentRecord& r : records) {
    if (r.Variable == L"VANTREL_ENV_LONG")
      EXPECT_EQ(r.Value, longValue);
    else
      EXPECT_EQ(r.Value, L"中文值 ü=1");
  }
}

}  // namespace
}  // namespace vantrel
