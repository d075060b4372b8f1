// The bare floor of a process list: one NtQuerySystemInformation(SystemProcessInformation) per second and nothing
// else, until the stop event of peer_idle is set. bench/peer_bench.sh measures its CPU and memory.
#include <windows.h>

#include <vector>

namespace {

using QueryFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr ULONG kSystemProcessInformation = 5;

}  // namespace

int main() {
  const auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return 3;
  HANDLE stop = ::CreateEventW(nullptr, TRUE, FALSE, L"Local\\vantrel-peer-bench-stop");
  std::vector<unsigned char> buffer(256 * 1024);
  for (int seconds = 0; seconds < 3600; ++seconds) {
    ULONG needed = 0;
    while (query(kSystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) ==
               kInfoLengthMismatch &&
           buffer.size() < (64u << 20))
      buffer.resize(buffer.size() * 2);
    if (::WaitForSingleObject(stop, 1000) == WAIT_OBJECT_0) break;
  }
  if (stop) ::CloseHandle(stop);
  return 0;
}
