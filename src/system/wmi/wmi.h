// WMI as text: connect to a namespace, run a WQL query or list a class's instances, every value rendered as text.
#pragma once

#include <wbemcli.h>

#include <stdexcept>
#include <string>

#include "core/wmi/wmi_values.h"
#include "system/com_ptr.h"

namespace vantrel {

// A failed query, with the interface's error code.
class WmiError : public std::runtime_error {
 public:
  WmiError(const char* what, HRESULT hr) : std::runtime_error(what), hr_(hr) {}
  HRESULT Code() const { return hr_; }

 private:
  HRESULT hr_;
};

// One connection; a refresh makes one and runs all its queries on it.
class WmiConnection {
 public:
  WmiConnection() = default;
  ~WmiConnection();
  WmiConnection(const WmiConnection&) = delete;
  WmiConnection& operator=(const WmiConnection&) = delete;

  // Empty server: this machine; empty user and password: the caller's own credentials. Replaces an earlier
  // connection. False when COM or the connection fails.
  bool Connect(const std::wstring& server, const std::wstring& user, const std::wstring& password,
               const std::wstring& nameSpace);
  bool Connected() const { return static_cast<bool>(services_); }
  // Runs a SELECT statement, or lists the direct instances of the named class; the number of instances, or -1
  // without a connection. Throws WmiError when the interface reports an error.
  int Command(const std::wstring& query, WmiInstances& instances);

 private:
  void Release();
  win::ComPtr<IWbemLocator> locator_;
  win::ComPtr<IWbemServices> services_;
  bool comInitialised_ = false;
};

// The module-wide connection of the last WMIConnect.
bool WMIConnect(const std::wstring& server, const std::wstring& user, const std::wstring& password,
                const std::wstring& nameSpace);
int WMICommand(const std::wstring& query, WmiInstances& instances);

}  // namespace vantrel
