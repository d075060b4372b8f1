// What the services page shows the user, in one place (the texts that decide on a record live with its rules).
#pragma once

#include "core/services/service_rules.h"

namespace vantrel::app::services_texts {

constexpr const wchar_t* kControlButton = kServiceStartCaption;  // until a row tells otherwise
constexpr const wchar_t* kUninstallButton = kServiceUninstallCaption;
constexpr const wchar_t* kManagerButton = kServiceManagerCaption;
constexpr wchar_t kConsoleFailed[] = L"The services console cannot be started.";

}  // namespace vantrel::app::services_texts
