// One instance per logon session: a named mutex in the session's namespace.
#pragma once

#include <string>

namespace vantrel::app {

constexpr wchar_t kProgramId[] = L"{19A4A861-22B1-4874-A017-22ECEA02C92E}";
constexpr wchar_t kMainWindowClass[] = L"Twnd_tm_Main";

// True when another instance holds the mutex "Local\" + id; with activate, that instance's main window (found by
// its class) is restored when minimised and brought to the front. The first instance keeps the mutex for the
// life of the process. A mutex that cannot be created lets the program run as the first instance.
bool CheckRunningInstance(const std::wstring& id, const std::wstring& className, bool activate);

}  // namespace vantrel::app
