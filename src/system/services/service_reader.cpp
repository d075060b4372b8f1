#include "system/services/service_reader.h"

#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "core/services/service_rules.h"
#include "system/com_ptr.h"
#include "system/os/file_version.h"
#include "system/process/image_file_facts.h"
#include "system/security/admin_only_path.h"
#include "system/services/sc_handle.h"

namespace vantrel {

namespace {

using win::UniqueScHandle;

// The configuration is at most 8 KiB on Windows; anything far above is not a configuration. Buffers start at that
// size so that one call usually does.
constexpr DWORD kMaxConfigBytes = 64 * 1024;
constexpr size_t kConfigBufferBytes = 8192;
constexpr size_t kConfigWorkers = 4;
constexpr size_t kServicesPerWorker = 32;

// What one read learns once: the environment for command lines; the executables' facts come from the reader's
// cache, as many services share one executable.
class ReadContext {
 public:
  explicit ReadContext(const ServiceReadOptions& options) : options_(options), env_(GetEnvironmentList()) {}

  // The caller holds the reader's lock.
  std::wstring ImageOf(const std::wstring& cmdLine) {
    return vantrel::ExtractFileFromCommandLine(
        cmdLine, env_, [this](const std::wstring& file) { return drives_.IsLocalFixedPath(file) && FileExists(file); });
  }
  const ServiceReadOptions& options() const { return options_; }

  // For a single service's configuration.
  std::vector<uint64_t> configBuffer = std::vector<uint64_t>(kConfigBufferBytes / sizeof(uint64_t));

 private:
  const ServiceReadOptions& options_;
  std::vector<std::wstring> env_;
  DriveKindsOfOneRead drives_;  // each probe of a command line asks about its drive
};

std::wstring TextOf(const wchar_t* s) { return s ? std::wstring(s) : std::wstring(); }

// The dependency list: NUL-separated names ending with an empty one, read only inside the buffer.
std::wstring DependenciesOf(const wchar_t* list, const uint8_t* bufferEnd) {
  if (!list) return {};
  const auto* end = reinterpret_cast<const wchar_t*>(bufferEnd);
  if (list >= end) return {};
  return JoinServiceDependencies(std::wstring_view(list, static_cast<size_t>(end - list)));
}

// QueryServiceConfigW sized by the manager's own answer, within a cap; one retry when the configuration grew
// between the two calls.
const QUERY_SERVICE_CONFIGW* QueryConfig(SC_HANDLE service, std::vector<uint64_t>& buffer, const uint8_t*& end) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(uint64_t));
    auto* config = buffer.empty() ? nullptr : reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    DWORD needed = 0;
    if (::QueryServiceConfigW(service, config, bytes, &needed)) {
      if (!config) return nullptr;
      end = reinterpret_cast<const uint8_t*>(buffer.data()) + bytes;
      return config;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= bytes || needed > kMaxConfigBytes) return nullptr;
    buffer.assign((needed + sizeof(uint64_t) - 1) / sizeof(uint64_t), 0);
  }
  return nullptr;
}

// The configuration through a handle of its own; false when it cannot be read (the row keeps the enumeration's
// values). Safe to run for several services at once.
bool ReadConfig(SC_HANDLE manager, ServiceRecord& r, std::vector<uint64_t>& buffer) {
  UniqueScHandle service(::OpenServiceW(manager, r.Name.c_str(), SERVICE_QUERY_CONFIG));
  if (!service) return false;
  const uint8_t* end = nullptr;
  const QUERY_SERVICE_CONFIGW* c = QueryConfig(service.get(), buffer, end);
  if (!c) return false;
  r.Typ = c->dwServiceType;
  r.StartUp = static_cast<int32_t>(c->dwStartType);
  r.ErrCtrl = static_cast<int32_t>(c->dwErrorControl);
  r.CmdLine = TextOf(c->lpBinaryPathName);
  r.Group = TextOf(c->lpLoadOrderGroup);
  r.Tag = static_cast<int32_t>(c->dwTagId);
  r.ObjectName = TextOf(c->lpServiceStartName);
  r.DependOnService = DependenciesOf(c->lpDependencies, end);
  return true;
}

// What ReadConfig fills, from a row of an earlier read.
void CopyConfig(const ServiceRecord& from, ServiceRecord& r) {
  r.Typ = from.Typ;
  r.StartUp = from.StartUp;
  r.ErrCtrl = from.ErrCtrl;
  r.CmdLine = from.CmdLine;
  r.Group = from.Group;
  r.Tag = from.Tag;
  r.ObjectName = from.ObjectName;
  r.DependOnService = from.DependOnService;
}

// The executable behind the command line and its facts, once the configuration was read. The caller holds the
// cache's lock.
void FillImage(ServiceRecord& r, ReadContext& context, ImageFileCache& files) {
  const ServiceReadOptions& options = context.options();
  r.ImageName = context.ImageOf(r.CmdLine);
  r.ImageIndexValue = options.DefaultImageIndex;
  if (r.ImageName.empty() || !options.ReadFileFacts) return;
  const ImageFileFacts& f = files.Get(r.ImageName, options.DefaultImageIndex);
  r.ImageIndexValue = f.ImageIndex;
  r.Desc = f.Desc;
  r.Company = f.Company;
  r.Version = f.Version;
  r.Copyright = f.Copyright;
  r.Size = f.Size;
}

// Each configuration is a round trip to the manager, which answers several at once: a few workers share the
// rows asked for. The records are filled in place; the flags say which configurations were read.
void ReadConfigs(SC_HANDLE manager, ServiceRecords& records, const std::vector<size_t>& rows, std::vector<char>& read) {
  std::atomic<size_t> next{0};
  const auto work = [&]() noexcept {
    try {
      std::vector<uint64_t> buffer(kConfigBufferBytes / sizeof(uint64_t));
      for (size_t i = next++; i < rows.size(); i = next++)
        read[rows[i]] = ReadConfig(manager, records[rows[i]], buffer);
    } catch (...) {
      // Out of memory: the rows left keep the enumeration's values.
    }
  };
  std::vector<std::thread> workers;
  const size_t extra = std::min<size_t>(kConfigWorkers - 1, rows.size() / kServicesPerWorker);
  for (size_t i = 0; i < extra; ++i) {
    try {
      workers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // no thread: the calling one does the rest
    }
  }
  work();
  for (std::thread& t : workers) t.join();
}

// Every Win32 service in the manager's order through the bounded loop; lastError is the error of the call that
// ended it when it did not complete.
EnumerationEnd EnumerateServices(SC_HANDLE manager, DWORD& lastError,
                                 const std::function<void(const ENUM_SERVICE_STATUSW&)>& entry) {
  DWORD resume = 0;
  const auto call = [&](std::vector<uint8_t>& buffer) {
    DWORD needed = 0, returned = 0;
    const DWORD from = resume;
    const BOOL ok = ::EnumServicesStatusW(manager, SERVICE_WIN32, SERVICE_STATE_ALL,
                                          reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data()),
                                          static_cast<DWORD>(buffer.size()), &needed, &returned, &resume);
    lastError = ok ? 0 : ::GetLastError();
    return EnumerationCall{ok != FALSE, !ok && lastError == ERROR_MORE_DATA, returned, needed, resume != from};
  };
  const auto batch = [&](const std::vector<uint8_t>& buffer, uint32_t count) {
    const auto* entries = reinterpret_cast<const ENUM_SERVICE_STATUSW*>(buffer.data());
    const size_t fits = buffer.size() / sizeof(ENUM_SERVICE_STATUSW);
    for (uint32_t i = 0; i < count && i < fits; ++i) entry(entries[i]);
  };
  return RunBoundedEnumeration(EnumerationLimits{}, call, batch);
}

}  // namespace

ServicesRead ServicesReader::Read(const ServiceReadOptions& options) {
  ServicesRead result;
  UniqueScHandle manager(::OpenSCManagerW(nullptr, nullptr, GENERIC_READ));
  if (!manager) {
    result.Error = ::GetLastError();
    return result;
  }
  result.Opened = true;
  ReadContext context(options);
  const std::lock_guard configsGuard(configsLock_);
  // Asked before the enumeration: a change made during this read shows at the next one.
  const bool configsMayHaveChanged = configWatch_.ChangedSinceLastAsked() | forget_.exchange(false);
  DWORD lastError = 0;
  result.End = EnumerateServices(manager.get(), lastError, [&](const ENUM_SERVICE_STATUSW& e) {
    const std::wstring display = TextOf(e.lpDisplayName);
    if (!ServicePassesFilter(display, options.Filter)) return;
    ServiceRecord r;
    r.DisplayName = display;
    r.Name = TextOf(e.lpServiceName);
    r.Status = static_cast<int32_t>(e.ServiceStatus.dwCurrentState);
    r.Typ = e.ServiceStatus.dwServiceType;
    result.Services.push_back(std::move(r));
  });
  std::vector<char> configRead(result.Services.size(), 0);
  std::vector<size_t> toRead;
  for (size_t i = 0; i < result.Services.size(); ++i) {
    ServiceRecord& r = result.Services[i];
    const auto known = configs_.find(r.Name);
    if (configsMayHaveChanged || known == configs_.end() || known->second.Status != r.Status) {
      toRead.push_back(i);
    } else {
      CopyConfig(known->second, r);
      configRead[i] = 1;
    }
  }
  ReadConfigs(manager.get(), result.Services, toRead, configRead);
  // After a change, a filtered read leaves the other services' configurations unread: they are forgotten too.
  RememberConfigs(result, configRead,
                  configsMayHaveChanged || (options.Filter.empty() && result.End == EnumerationEnd::Complete));
  {
    const win::ComScope com;
    const std::lock_guard guard(filesLock_);
    for (size_t i = 0; i < result.Services.size(); ++i)
      if (configRead[i]) FillImage(result.Services[i], context, files_);
    // A filtered or broken read names only some of the files: forgetting the others would re-read them soon.
    if (options.ReadFileFacts && options.Filter.empty() && result.End == EnumerationEnd::Complete) files_.DropUnused();
  }
  if (result.End != EnumerationEnd::Complete) result.Error = lastError;
  return result;
}

void ServicesReader::RememberConfigs(const ServicesRead& read, const std::vector<char>& configRead, bool forgetOthers) {
  if (forgetOthers) configs_.clear();
  for (size_t i = 0; i < read.Services.size(); ++i) {
    const ServiceRecord& r = read.Services[i];
    if (configRead[i]) {
      configs_.insert_or_assign(r.Name, r);
    } else {
      configs_.erase(r.Name);  // read again next time
    }
  }
}

bool ServicesReader::ReadOne(const std::wstring& name, const ServiceReadOptions& options, ServiceRecord& record) {
  record = ServiceRecord{};
  UniqueScHandle manager(::OpenSCManagerW(nullptr, nullptr, GENERIC_READ));
  if (!manager) return false;
  UniqueScHandle service(::OpenServiceW(manager.get(), name.c_str(), SERVICE_QUERY_STATUS));
  if (!service) return false;
  SERVICE_STATUS status{};
  if (!::QueryServiceStatus(service.get(), &status)) return false;
  wchar_t display[257] = {};
  DWORD size = static_cast<DWORD>(std::size(display));
  record.Name = name;
  record.DisplayName = ::GetServiceDisplayNameW(manager.get(), name.c_str(), display, &size) ? display : name;
  record.Status = static_cast<int32_t>(status.dwCurrentState);
  record.Typ = status.dwServiceType;
  ReadContext context(options);
  if (ReadConfig(manager.get(), record, context.configBuffer)) {
    const win::ComScope com;
    const std::lock_guard guard(filesLock_);
    FillImage(record, context, files_);
  }
  return true;
}

size_t ServicesReader::CachedFiles() const {
  const std::lock_guard guard(filesLock_);
  return files_.size();
}

ServicesRead ReadServices(const ServiceReadOptions& options) { return ServicesReader().Read(options); }

bool ReadService(const std::wstring& name, const ServiceReadOptions& options, ServiceRecord& record) {
  return ServicesReader().ReadOne(name, options, record);
}

int CountServices() {
  UniqueScHandle manager(::OpenSCManagerW(nullptr, nullptr, GENERIC_READ));
  if (!manager) return -1;
  int count = 0;
  DWORD lastError = 0;
  const EnumerationEnd end = EnumerateServices(manager.get(), lastError, [&](const ENUM_SERVICE_STATUSW&) { ++count; });
  return end == EnumerationEnd::Complete ? count : -1;
}

}  // namespace vantrel
