// A file-name query that hangs for names containing a part, until the test lets it go (bounded).
#pragma once

#include <windows.h>

#include <cwctype>
#include <string>
#include <utility>

#include "system/process/handle_list.h"
#include "system/raii.h"

namespace vantrel::test {

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
