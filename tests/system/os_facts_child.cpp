// Helper child of the system tests: prints the start-up facts it computed, one "name=value" line each (UTF-8).
// "--exit" ends at once; "--wait" waits (at most 30 s) until it is ended.
#include <windows.h>

#include <string>

#include "system/os/accounts.h"
#include "system/os/system_facts.h"

namespace {

void Put(const std::wstring& name, const std::wstring& value) {
  const std::wstring line = name + L"=" + value + L"\n";
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr,
                                      nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), out.data(), n, nullptr, nullptr);
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"--exit") return 0;
  if (mode == L"--wait") {
    ::Sleep(30000);
    return 0;
  }
  vantrel::InitSystemFacts();
  const vantrel::SystemFactSheet& f = vantrel::SystemFacts();
  const OSVERSIONINFOEXW& v = f.OSVersionInfo;
  Put(L"Reported", std::to_wstring(v.dwMajorVersion) + L"." + std::to_wstring(v.dwMinorVersion) + L"." +
                       std::to_wstring(v.dwBuildNumber));
  Put(L"ProductType", std::to_wstring(v.wProductType) + L" suite " + std::to_wstring(v.wSuiteMask) + L" sp " +
                          std::to_wstring(v.wServicePackMajor));
  Put(L"OS", std::to_wstring(static_cast<int>(f.OS)));
  Put(L"OSCaption", f.OSCaption);
  Put(L"OSKernelName", f.OSKernelName);
  Put(L"OSKernelVersion", f.OSKernelVersion);
  Put(L"OSCompatibilityMode", f.OSCompatibilityMode ? L"1" : L"0");
  Put(L"Is64BitOS", f.Is64BitOS ? L"1" : L"0");
  Put(L"IsWow64", f.IsWow64 ? L"1" : L"0");
  Put(L"SessionLabel", vantrel::SessionLabel());
  return 0;
}
