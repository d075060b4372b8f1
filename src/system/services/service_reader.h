// The services of the local service control manager as records. They touch no window, so that a page can run
// them on a worker thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "core/services/service_enumeration.h"
#include "core/services/service_record.h"
#include "system/process/image_file_facts.h"
#include "system/services/service_config_watch.h"

namespace vantrel {

struct ServiceReadOptions {
  std::wstring Filter;            // display-name prefix; empty keeps all
  int32_t DefaultImageIndex = 0;  // the stock icon when the executable gives none
  bool ReadFileFacts = true;      // icon, version texts and size of each executable
};

struct ServicesRead {
  bool Opened = false;  // the manager could be opened; the list is empty otherwise
  DWORD Error = 0;      // the error of the open or of the enumeration call that ended it
  EnumerationEnd End = EnumerationEnd::Failed;
  ServiceRecords Services;  // in the order the manager returned them
};

// Reads the services again and again: states anew at every read; a configuration again when any configuration may
// have changed (the manager's registry key changed), when the service's state changed or it is new, and after
// ForgetConfigurations; the executables' facts once per file for as long as a service names that file. Safe to
// use from several threads.
class ServicesReader {
 public:
  explicit ServicesReader(ImageFileReader fileReader = ReadImageFileFacts) : files_(std::move(fileReader)) {}

  // Every Win32 service (own and shared process), with its configuration and the facts of its executable. A
  // complete read without filter forgets the files that no service named since the previous one.
  ServicesRead Read(const ServiceReadOptions& options);
  // The next read reads every configuration (F5).
  void ForgetConfigurations() { forget_ = true; }
  // One service by its key name; false when it cannot be opened or its state read.
  bool ReadOne(const std::wstring& name, const ServiceReadOptions& options, ServiceRecord& record);
  size_t CachedFiles() const;

 private:
  // Keeps the rows whose configuration this read has; forgetOthers: only those.
  void RememberConfigs(const ServicesRead& read, const std::vector<char>& configRead, bool forgetOthers);

  mutable std::mutex filesLock_;
  ImageFileCache files_;
  std::mutex configsLock_;
  ServiceConfigWatch configWatch_;
  std::map<std::wstring, ServiceRecord> configs_;  // by key name: the last read's rows whose configuration was read
  std::atomic<bool> forget_{false};
};

// A read with a reader of its own, which keeps nothing.
ServicesRead ReadServices(const ServiceReadOptions& options);
bool ReadService(const std::wstring& name, const ServiceReadOptions& options, ServiceRecord& record);

// The bare enumeration that the reader builds on, for comparison: the number of services, -1 on failure.
int CountServices();

}  // namespace vantrel
