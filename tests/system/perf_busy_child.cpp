// Keeps one processor busy: perf_busy_child <seconds>. The parent pins it with an affinity mask.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  const double seconds = argc > 1 ? std::wcstod(argv[1], nullptr) : 10.0;
  const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  volatile unsigned long long spin = 0;
  while (::GetTickCount64() < end)
    for (int i = 0; i < 100000; ++i) spin = spin + 1;
  return 0;
}
