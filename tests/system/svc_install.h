// Installs services for tests and benchmarks and removes them whatever happens, with the manager's own calls (not
// the code under test), so that a broken action never leaves a service behind.
#pragma once

#include <windows.h>

#include <string>

namespace vantrel::testing {

// The test service executable beside the running executable.
inline std::wstring TestServiceExePath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n);
  dir.resize(dir.find_last_of(L'\\') + 1);
  return dir + L"svc_test_service.exe";
}

// Stops the service (waiting at most 5 s) and deletes it; quiet when it does not exist. Returns once the
// manager has let go of the name (at most 5 s more): a service marked for deletion lives on while its process
// winds down, and a new one of the same name would meet ERROR_SERVICE_MARKED_FOR_DELETE when started.
inline void RemoveServiceNow(const std::wstring& name) {
  SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!manager) return;
  if (SC_HANDLE service = ::OpenServiceW(manager, name.c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE)) {
    SERVICE_STATUS status{};
    if (::ControlService(service, SERVICE_CONTROL_STOP, &status)) {
      for (int i = 0; i < 250 && ::QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED;
           ++i)
        ::Sleep(20);
    }
    ::DeleteService(service);
    ::CloseServiceHandle(service);
  }
  for (int i = 0; i < 250; ++i) {
    SC_HANDLE lingering = ::OpenServiceW(manager, name.c_str(), SERVICE_QUERY_STATUS);
    if (!lingering) break;
    ::CloseServiceHandle(lingering);
    ::Sleep(20);
  }
  ::CloseServiceHandle(manager);
}

// A demand-start service of the test executable (or of a copy at exePath), removed when this goes out of scope.
class InstalledService {
 public:
  InstalledService(std::wstring name, const std::wstring& displayName, const wchar_t* dependencies = nullptr,
                    const std::wstring& exePath = TestServiceExePath())
      : name_(std::move(name)) {
    RemoveServiceNow(name_);  // a leftover of an earlier, killed run
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
    if (!manager) {
      error_ = ::GetLastError();
      return;
    }
    const std::wstring binPath = L"\"" + exePath + L"\"";
    SC_HANDLE service = ::CreateServiceW(manager, name_.c_str(), displayName.c_str(), SERVICE_ALL_ACCESS,
                                         SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                         binPath.c_str(), nullptr, nullptr, dependencies, nullptr, nullptr);
    if (service)
      ::CloseServiceHandle(service);
    else
      error_ = ::GetLastError();
    ::CloseServiceHandle(manager);
  }
  ~InstalledService() { RemoveServiceNow(name_); }
  InstalledService(const InstalledService&) = delete;
  InstalledService& operator=(const InstalledService&) = delete;

  bool Installed() const { return error_ == 0; }
  DWORD Error() const { return error_; }
  const std::wstring& Name() const { return name_; }

 private:
  std::wstring name_;
  DWORD error_ = 0;
};

}  // namespace vantrel::testing
