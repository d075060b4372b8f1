// What the environment page shows the user, in one place (the tab caption is in core/environment/environment.h).
#pragma once

namespace vantrel::app::environment_texts {

constexpr const wchar_t* kColumns[] = {L"变量", L"值"};
constexpr wchar_t kValueFont[] = L"Courier New";

}  // namespace vantrel::app::environment_texts
