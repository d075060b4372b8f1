// Command-line splitting, environment expansion and device-path conversion on arbitrary UTF-16 text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/paths/paths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  static const std::vector<std::wstring> env{L"SystemRoot=C:\\Windows", L"ProgramFiles=C:\\Program Files (x86)",
                                             L"A=%A%"};
  int probes = 0;
  const vantrel::FileExistsFn exists = [&probes](const std::wstring& s) {
    ++probes;
    return s.size() % 7 == 3;
  };
  (void)vantrel::ExtractFileFromCommandLine(text, env, exists);
  if (probes > vantrel::kMaxCommandLineProbes) __builtin_trap();
  (void)vantrel::ParseEnvironmentBlock(text);
  vantrel::DriveLetterMap map;
  map[2] = {L"c:", L"\\Device\\HarddiskVolume1", 23};
  const std::wstring converted = vantrel::DevicePathToDosPrefix(text, map);
  if (converted.size() > text.size() + 2) __builtin_trap();
  return 0;
}
