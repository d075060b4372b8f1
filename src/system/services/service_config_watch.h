// Whether a service's configuration may have changed: the manager writes every configuration to the services'
// registry key, which is watched for changes below it.
#pragma once

#include <windows.h>

#include "system/raii.h"

namespace vantrel {

class ServiceConfigWatch {
 public:
  ServiceConfigWatch();
  ServiceConfigWatch(const ServiceConfigWatch&) = delete;
  ServiceConfigWatch& operator=(const ServiceConfigWatch&) = delete;

  // True when a configuration may have changed since the previous call, and at the first call. The watch is armed
  // again before it returns, so that a change during the read that follows shows at the next call. Any doubt (no
  // key, no event, a registration the system refused) counts as a change.
  bool ChangedSinceLastAsked();

 private:
  bool Arm();

  win::UniqueRegKey key_;
  win::UniqueHandle event_;
  bool armed_ = false;
};

}  // namespace vantrel
