// A file-name query that hangs for names containing a part, until the test lets it go (bounded).
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <cwctype>
#include <string>
#include <utility>

#include "system/process/handle_list.h"
#include "system/raii.h"

namespace vantrel::test {

// The threads of this process right now.
inline size_t OwnThreads() {
  win::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  size_t count = 0;
  for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry))
    if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
  return count;
}

inline bool ContainsIgnoringCaseForTest(const std::wstring& s, const std::wstring& part) {
  auto lower = [](std::wstring t) {
    for (wchar_t& c : t) c = static_cast<wchar_t>(std::towlower(c));
    return t;
  };
  return lower(s).find(lower(part)) != std::wstring::npos;
}

class HangingQuery {
 public:
  explicit HangingQuery(std::wstring part) : part_(std::move(part)), release_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~HangingQuery() { Release(); }
  void Release() { ::SetEvent(release_.get()); }
  HandleListOptions Options() {
    HandleListOptions o;
    o.queryFileName = [part = part_, release = release_.get()](HANDLE file) {
      std::wstring name = QueryFileName(file);
      if (ContainsIgnoringCaseForTest(name, part)) ::WaitForSingleObject(release, 20000);
      return name;
    };
    return o;
  }

 private:
  std::wstring part_;
  win::UniqueHandle release_;
};

}  // namespace vantrel::test
