#include "system/services/service_config_watch.h"

namespace vantrel {
namespace {

constexpr wchar_t kServicesKey[] = L"SYSTEM\\CurrentControlSet\\Services";
constexpr DWORD kChanges = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
#ifndef REG_NOTIFY_THREAD_AGNOSTIC
constexpr DWORD REG_NOTIFY_THREAD_AGNOSTIC = 0x10000000;
#endif

}  // namespace

ServiceConfigWatch::ServiceConfigWatch() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServicesKey, 0, KEY_NOTIFY, key_.put());
}

bool ServiceConfigWatch::Arm() {
  if (!key_ || !event_) return false;
  ::ResetEvent(event_.get());
  // The reads run on workers that come and go: the watch must outlive the thread that armed it. Systems before
  // Windows 8 refuse the flag; there a thread's end signals the event, which costs only a full read.
  if (::RegNotifyChangeKeyValue(key_.get(), TRUE, kChanges | REG_NOTIFY_THREAD_AGNOSTIC, event_.get(), TRUE) ==
      ERROR_SUCCESS)
    return true;
  return ::RegNotifyChangeKeyValue(key_.get(), TRUE, kChanges, event_.get(), TRUE) == ERROR_SUCCESS;
}

bool ServiceConfigWatch::ChangedSinceLastAsked() {
  const bool changed = !armed_ || ::WaitForSingleObject(event_.get(), 0) != WAIT_TIMEOUT;
  if (changed) armed_ = Arm();
  return changed;
}

}  // namespace vantrel
