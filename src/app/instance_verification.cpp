#include "app/instance_verification.h"

#include <utility>
#include <vector>

#include "system/os/accounts.h"
#include "system/raii.h"

namespace vantrel::app {
namespace {

std::wstring ImagePathOf(HANDLE process) {
  std::vector<wchar_t> path(32768);
  DWORD size = static_cast<DWORD>(path.size());
  if (!::QueryFullProcessImageNameW(process, 0, path.data(), &size)) return L"";
  return std::wstring(path.data(), size);
}

bool TokenIsElevated(HANDLE process) {
  win::UniqueHandle token;
  if (!::OpenProcessToken(process, TOKEN_QUERY, token.put())) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return ::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
         elevation.TokenIsElevated != 0;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return !a.empty() && ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

InstanceIdentity InstanceIdentity::OfThisProcess() { return {ImagePathOf(::GetCurrentProcess()), IsElevated()}; }

bool IsCopyOf(HWND window, const InstanceIdentity& identity) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid == 0) return false;
  win::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process || !SamePath(ImagePathOf(process.get()), identity.imagePath)) return false;
  return !identity.elevated || TokenIsElevated(process.get());
}

WindowVerifier VerifierFor(InstanceIdentity identity) {
  return [identity = std::move(identity)](HWND window) { return IsCopyOf(window, identity); };
}

}  // namespace vantrel::app
