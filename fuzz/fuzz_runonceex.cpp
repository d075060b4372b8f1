// RunOnceEx values as any program may write them: the rewritten command line, then the file found behind it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/paths/paths.h"
#include "core/startup/autorun.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring value;
  for (size_t i = 0; i + 1 < size; i += 2) value += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  const std::wstring cmdLine = vantrel::RunOnceExCommandLine(value);
  // Only the first "||" goes; the bar after it becomes a blank in place.
  const size_t removed = value.find(L"||") == std::wstring::npos ? 0 : 2;
  if (cmdLine.size() != value.size() - removed) __builtin_trap();

  static const std::vector<std::wstring> env{L"SystemRoot=C:\\Windows", L"ProgramFiles=C:\\Program Files (x86)"};
  int probes = 0;
  const vantrel::FileExistsFn exists = [&probes](const std::wstring& s) {
    ++probes;
    if (s.size() > vantrel::kMaxCommandLineChars) __builtin_trap();
    return s.size() % 5 == 1;
  };
  (void)vantrel::ExtractFileFromCommandLine(cmdLine, env, exists);
  if (probes > vantrel::kMaxCommandLineProbes) __builtin_trap();
  return 0;
}
