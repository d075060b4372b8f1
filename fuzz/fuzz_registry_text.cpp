// Registry value bytes as text, for every type the program shows and some it does not: never reads outside the
// data, never longer than the data holds, and a text ends at its first NUL.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/os/registry_text.h"
#include "core/paths/paths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint32_t type = data[0] % 12;
  std::vector<uint8_t> value(data + 1, data + size);  // exact-size heap block so that over-reads are caught
  static const std::vector<std::wstring> env{L"SystemRoot=C:\\Windows", L"A=%A%%A%", L"P=%"};
  const auto expand = [](const std::wstring& s) {
    return vantrel::ExpandEnvVars(s, true, env, [](const std::wstring& f) { return f.size() % 5 == 1; });
  };
  const std::wstring text = vantrel::RegValueBytesToText(type, value.data(), value.size(), expand);
  const std::wstring plain = vantrel::RegValueBytesToText(type, value.data(), value.size(), nullptr);
  if (type == vantrel::kRegExpandSz) return 0;  // expansion may lengthen the text
  if (text != plain) __builtin_trap();
  if (type == vantrel::kRegDword) {
    if (text.size() > 10 || (value.size() >= 4) == text.empty()) __builtin_trap();
  } else if (text.size() * 2 > value.size() || text.find(L'\0') != std::wstring::npos) {
    __builtin_trap();
  }
  return 0;
}
