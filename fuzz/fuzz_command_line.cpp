// Command-line splitting and switch parsing on arbitrary UTF-16 text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/shell/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring line;
  for (size_t i = 0; i + 1 < size; i += 2) line += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  const auto words = vantrel::SplitCommandLine(line);
  if (words.empty()) __builtin_trap();
  vantrel::CommandLineSwitches switches(words);
  (void)switches.Has(vantrel::Switch::HIDE);
  return 0;
}
