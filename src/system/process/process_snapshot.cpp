#include "system/process/process_snapshot.h"

#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstring>
#include <exception>
#include <set>

#include "system/os/accounts.h"
#include "system/os/file_version.h"
#include "system/os/native_api.h"
#include "system/os/system_facts.h"
#include "system/raii.h"
#include "system/text/locale_text.h"
#include "system/wmi/wmi.h"

namespace vantrel {
namespace {

constexpr ULONG kProcessBasicInformation = 0;
constexpr ULONG kProcessIoCounters = 2;
constexpr ULONG kProcessVmCounters = 3;
constexpr ULONG kProcessTimes = 4;
constexpr ULONG kProcessHandleCount = 20;
constexpr ULONG kProcessWow64Information = 26;
constexpr ULONG kProcessImageFileName = 27;
constexpr ULONG kSystemProcessInformation = 5;

// The build's own layouts of the native records.
struct BasicInformation {
  LONG ExitStatus;
  PVOID PebBaseAddress;
  ULONG_PTR AffinityMask;
  LONG BasePriority;
  ULONG_PTR UniqueProcessId;
  ULONG_PTR InheritedFromUniqueProcessId;
};
struct NativeVmCounters {
  SIZE_T PeakVirtualSize, VirtualSize;
  ULONG PageFaultCount;
  SIZE_T PeakWorkingSetSize, WorkingSetSize, QuotaPeakPagedPoolUsage, QuotaPagedPoolUsage,
      QuotaPeakNonPagedPoolUsage, QuotaNonPagedPoolUsage, PagefileUsage, PeakPagefileUsage;
};
struct NativeTimes {
  LARGE_INTEGER CreateTime, ExitTime, KernelTime, UserTime;
};
struct NativeCountedString {
  USHORT Length, MaximumLength;
  PWSTR Buffer;
};
struct SystemProcessEntry {
  ULONG NextEntryOffset;
  ULONG NumberOfThreads;
  LARGE_INTEGER WorkingSetPrivateSize;
  ULONG HardFaultCount;
  ULONG NumberOfThreadsHighWatermark;
  ULONGLONG CycleTime;
  LARGE_INTEGER CreateTime, UserTime, KernelTime;
  NativeCountedString ImageName;
  LONG BasePriority;
  HANDLE UniqueProcessId;
  HANDLE InheritedFromUniqueProcessId;
  ULONG HandleCount;
  ULONG SessionId;
  ULONG_PTR UniqueProcessKey;
  NativeVmCounters Vm;
  SIZE_T PrivatePageCount;
  IO_COUNTERS Io;
};

VM_COUNTERS ToRecord(const NativeVmCounters& v) {
  return {v.PeakVirtualSize,         v.VirtualSize,         v.PageFaultCount,          v.PeakWorkingSetSize,
          v.WorkingSetSize,          v.QuotaPeakPagedPoolUsage, v.QuotaPagedPoolUsage, v.QuotaPeakNonPagedPoolUsage,
          v.QuotaNonPagedPoolUsage,  v.PagefileUsage,       v.PeakPagefileUsage};
}
IO_COUNTERSEX ToRecord(const IO_COUNTERS& io) {
  return {io.ReadOperationCount, io.WriteOperationCount, io.OtherOperationCount,
          io.ReadTransferCount,  io.WriteTransferCount,  io.OtherTransferCount};
}
uint64_t Ticks(const LARGE_INTEGER& v) { return static_cast<uint64_t>(v.QuadPart); }

// One SystemProcessInformation query: the counters of every process at once.
std::unordered_map<uint32_t, SystemProcessEntry> QuerySystemProcesses() {
  std::unordered_map<uint32_t, SystemProcessEntry> table;
  const auto query = NativeApi().NtQuerySystemInformation;
  if (!query) return table;
  std::vector<uint8_t> buffer(256 * 1024);
  NtStatus status = kStatusInfoLengthMismatch;
  ULONG needed = 0;
  for (int attempt = 0; attempt < 6; ++attempt) {
    status = query(kSystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status != kStatusInfoLengthMismatch && status != kStatusBufferTooSmall) break;
    const size_t next = std::max<size_t>(buffer.size() * 2, size_t{needed} + 64 * 1024);
    if (next > 64u * 1024 * 1024) break;
    buffer.assign(next, 0);
  }
  if (status < 0) return table;
  size_t offset = 0;
  while (offset + sizeof(SystemProcessEntry) <= buffer.size()) {
    SystemProcessEntry e;
    std::memcpy(&e, buffer.data() + offset, sizeof e);
    table.emplace(static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(e.UniqueProcessId)), e);
    if (e.NextEntryOffset == 0) break;
    offset += e.NextEntryOffset;
  }
  return table;
}

template <typename T>
bool QueryProcess(HANDLE process, ULONG infoClass, T& value) {
  const auto query = NativeApi().NtQueryInformationProcess;
  ULONG returned = 0;
  return query && query(process, infoClass, &value, sizeof value, &returned) >= 0;
}

HANDLE OpenForWork(DWORD pid) {
  static const DWORD kAccess[] = {PROCESS_ALL_ACCESS, PROCESS_QUERY_INFORMATION | PROCESS_VM_READ |
                                  PROCESS_VM_OPERATION, PROCESS_QUERY_INFORMATION,
                                  PROCESS_QUERY_LIMITED_INFORMATION};
  for (DWORD access : kAccess)
    if (HANDLE h = ::OpenProcess(access, FALSE, pid)) return h;
  return nullptr;
}

std::wstring TextUpToNul(const wchar_t* buffer, size_t capacity) {
  size_t n = 0;
  while (n < capacity && buffer[n]) ++n;
  return std::wstring(buffer, n);
}

std::wstring ImageNameFromSystem(HANDLE process, const std::wstring& name) {
  wchar_t buffer[MAX_PATH + 1] = {};
  if (::GetModuleFileNameExW(process, nullptr, buffer, MAX_PATH + 1)) {
    std::wstring s = RemoveNtPathPrefix(TextUpToNul(buffer, MAX_PATH + 1));
    if (!s.empty()) return s;
  }
  if (const auto query = SystemEntryPoints().QueryFullProcessImageNameW) {
    DWORD size = MAX_PATH + 1;
    std::fill(std::begin(buffer), std::end(buffer), L'\0');
    if (query(process, 0, buffer, &size)) {
      std::wstring s = TextUpToNul(buffer, std::min<size_t>(size, MAX_PATH + 1));
      if (!s.empty()) return s;
    }
  }
  {
    alignas(8) uint8_t raw[sizeof(NativeCountedString) + 1024] = {};
    const auto query = NativeApi().NtQueryInformationProcess;
    ULONG returned = 0;
    if (query && query(process, kProcessImageFileName, raw, sizeof raw, &returned) >= 0) {
      NativeCountedString str;
      std::memcpy(&str, raw, sizeof str);
      // The text must lie inside our own buffer, whatever the answer claims.
      const auto* begin = reinterpret_cast<const uint8_t*>(str.Buffer);
      if (str.Buffer && begin >= raw + sizeof str && begin + str.Length <= raw + sizeof raw) {
        std::wstring s(reinterpret_cast<const wchar_t*>(begin), str.Length / 2);
        const size_t first = s.find_first_not_of(L" \t\r\n");
        const size_t last = s.find_last_not_of(L" \t\r\n");
        s = first == std::wstring::npos ? std::wstring() : s.substr(first, last - first + 1);
        if (!s.empty()) return DevicePathToDosPrefix(s, SystemFacts().DriveMap);
      }
    }
  }
  if (!name.empty()) {
    wchar_t found[MAX_PATH + 1] = {};
    const std::wstring path = GetSearchPath();
    const DWORD n = ::SearchPathW(path.c_str(), name.c_str(), nullptr, MAX_PATH + 1, found, nullptr);
    if (n > 0 && n <= MAX_PATH) return std::wstring(found, n);
  }
  return {};
}

// The second-phase facts that never change while the process lives.
TProcessStaticFacts ReadStaticFacts(HANDLE process, const TProcessRecord& record, int32_t defaultImageIndex,
                                    TWmiConnection& wmi, bool& wmiTried) {
  TProcessStaticFacts f;
  f.ImageIndex = defaultImageIndex;
  f.ImageName = ImageNameFromSystem(process, record.Name);
  if (!f.ImageName.empty() && !FileExists(f.ImageName)) f.ImageName = ExpandEnvVars(f.ImageName, true);
  if (!f.ImageName.empty()) {
    SHFILEINFOW info{};
    if (::SHGetFileInfoW(f.ImageName.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
      f.ImageIndex = info.iIcon;
    TVersionInfo vi;
    GetFileVerInfo(f.ImageName, vi);
    f.Desc = vi.Description;
    f.Company = vi.CompanyName;
    f.Version = vi.FileVersion;
    f.Copyright = vi.Copyright;
    f.Size = std::max<int64_t>(GetFileSize(f.ImageName), 0);
  }
  if (const auto isWow64 = SystemEntryPoints().IsWow64Process) {
    BOOL wow = FALSE;
    if (isWow64(process, &wow)) f.Is64bit = !wow && SystemFacts().Is64BitOS;
  }
  TProcessParameters params;
  if (ReadTargetProcessParameters(process, params)) {
    f.CommandLine = params.CommandLine;
    if (f.ImageName.empty()) f.ImageName = params.ImagePathName;
  }
  if (f.CommandLine.empty() || f.ImageName.empty()) {
    if (!wmiTried) {
      wmiTried = true;
      wmi.Connect(L"", L"", L"", L"root\\CIMV2");
    }
    if (wmi.Connected()) {
      TInstances instances;
      try {
        if (wmi.Command(L"select * from Win32_Process where ProcessId=" + std::to_wstring(record.PID), instances) >
            0) {
          if (f.CommandLine.empty())
            f.CommandLine = WmiTextOrEmpty(GetInstancePropValue(instances, L"CommandLine", 0, 0));
          if (f.ImageName.empty())
            f.ImageName = WmiTextOrEmpty(GetInstancePropValue(instances, L"ExecutablePath", 0, 0));
        }
      } catch (const TWmiError&) {
        // no WMI answer: the texts stay empty
      }
    }
  }
  return f;
}

void ApplyStaticFacts(TProcessRecord& r, const TProcessStaticFacts& f) {
  r.ImageName = f.ImageName;
  r.CommandLine = f.CommandLine;
  r.Desc = f.Desc;
  r.Company = f.Company;
  r.Version = f.Version;
  r.Copyright = f.Copyright;
  r._ImageIndex = f.ImageIndex;
  r.Size = f.Size;
  r.Is64bit = f.Is64bit;
}

}  // namespace

// ---- windows ----

namespace {
BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  reinterpret_cast<std::vector<TTopLevelWindow>*>(param)->push_back(
      {static_cast<uint64_t>(reinterpret_cast<uintptr_t>(hwnd)), pid});
  return TRUE;
}
}  // namespace

std::vector<TTopLevelWindow> EnumerateTopLevelWindows() {
  std::vector<TTopLevelWindow> windows;
  ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

void TTopLevelWindows::Enumerate() { map_ = BuildProcessWindowMap(EnumerateTopLevelWindows()); }

int32_t TTopLevelWindows::WindowCount(uint32_t pid) const {
  const auto it = map_.find(pid);
  return it == map_.end() ? 0 : it->second.Count;
}

bool TTopLevelWindows::IsResponding(uint32_t pid, UINT timeoutMs) const {
  const auto it = map_.find(pid);
  if (it == map_.end() || it->second.Candidate == 0) return true;
  DWORD_PTR result = 0;
  const HWND hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(it->second.Candidate));
  return ::SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

bool IsProcessResponding(uint32_t PID) {
  TTopLevelWindows windows;
  windows.Enumerate();
  return windows.IsResponding(PID);
}

int32_t GetProcessWindowCount(uint32_t PID) {
  TTopLevelWindows windows;
  windows.Enumerate();
  return windows.WindowCount(PID);
}

// ---- process memory ----

bool TProcessHandleReader::Read(uint64_t address, void* buffer, size_t size) {
  if (address > UINTPTR_MAX || size > UINTPTR_MAX - address) return false;
  SIZE_T got = 0;
  return ::ReadProcessMemory(process_, reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(address)), buffer, size,
                             &got) &&
         got == size;
}

namespace {
bool LocateParameters(HANDLE process, uint64_t& peb, TPebLayout& layout) {
#ifdef _WIN64
  ULONG_PTR peb32 = 0;
  if (QueryProcess(process, kProcessWow64Information, peb32) && peb32 != 0) {
    peb = peb32;
    layout = TPebLayout::Wow64x86;
    return true;
  }
  layout = TPebLayout::Native64;
#else
  if (SystemFacts().Is64BitOS) {  // only targets of our own bitness
    const auto isWow64 = SystemEntryPoints().IsWow64Process;
    BOOL wow = FALSE;
    if (!isWow64 || !isWow64(process, &wow) || !wow) return false;
  }
  layout = TPebLayout::Wow64x86;
#endif
  BasicInformation basic{};
  if (!QueryProcess(process, kProcessBasicInformation, basic) || !basic.PebBaseAddress) return false;
  peb = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(basic.PebBaseAddress));
  return true;
}
}  // namespace

bool ReadTargetProcessParameters(HANDLE process, TProcessParameters& params) {
  params = {};
  uint64_t peb = 0;
  TPebLayout layout{};
  if (!LocateParameters(process, peb, layout)) return false;
  TProcessHandleReader reader(process);
  return ReadProcessParameters(reader, peb, layout, params);
}

bool ReadTargetEnvironment(HANDLE process, std::vector<std::wstring>& lines) {
  lines.clear();
  uint64_t peb = 0;
  TPebLayout layout{};
  if (!LocateParameters(process, peb, layout)) return false;
  TProcessHandleReader reader(process);
  return ReadProcessEnvironment(reader, peb, layout, lines);
}

// ---- the walk ----

void TProcessSnapshot::Walk(const TProcesses& sessionProcesses, const TRowSink& sink, const TLogFn& log) {
  windows_.Enumerate();
  const auto table = QuerySystemProcesses();
  TWmiConnection wmi;
  bool wmiTried = false;
  std::set<TKey> seen;

  win::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
    TProcessRecord r;
    r.Priority = entry.pcPriClassBase;
    {
      win::UniqueHandle terminate(::OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
      r.CanBeKilled = static_cast<bool>(terminate);
    }
    win::UniqueHandle process(OpenForWork(entry.th32ProcessID));
    r.IsAccesible = static_cast<bool>(process);
    r.PID = entry.th32ProcessID;
    r.PPID = entry.th32ParentProcessID;
    r._ImageIndex = Options.DefaultImageIndex;
    r.Name = ProcessDisplayName(r.PID, std::wstring_view(entry.szExeFile, std::size(entry.szExeFile)));

    const auto sys = table.find(r.PID);
    const bool inTable = sys != table.end();
    if (inTable) r.CPUTimes.CreateTime = Ticks(sys->second.CreateTime);
    const TKey key{r.PID, r.CPUTimes.CreateTime};
    const bool cacheable = Options.UseCache && r.CPUTimes.CreateTime != 0;
    TCacheEntry* cached = nullptr;
    if (cacheable) {
      cached = &cache_[key];
      seen.insert(key);
    }

    if (cached && cached->HaveOwner) {
      r.Username = cached->Owner.Username;
      r.Domain = cached->Owner.Domain;
    } else if (process) {
      const bool read = GetProcessUserName(process.get(), r.Username, r.Domain);
      if (cached && read) cached->Owner = {r.Username, r.Domain}, cached->HaveOwner = true;
    }
    ApplyWellKnownOwner(r);

    DWORD session = 0;
    if (inTable)
      r.Session = static_cast<int32_t>(sys->second.SessionId);
    else if (const auto toSession = SystemEntryPoints().ProcessIdToSessionId; toSession && toSession(r.PID, &session))
      r.Session = static_cast<int32_t>(session);

    try {
      MatchSessionProcesses(r, sessionProcesses);
    } catch (const std::exception& e) {
      if (log) log(L"RefreshProcesses.MatchWTSP: " + ExceptionMessage(e));
    }
    r.System = IsSystemProcess(r);
    r.IsResponding = windows_.IsResponding(r.PID, Options.RespondTimeoutMs);
    r.ThreadCount = static_cast<int32_t>(entry.cntThreads);
    r.WinCount = windows_.WindowCount(r.PID);

    TProcessRecord* row = sink ? sink(r) : nullptr;
    if (!row || !row->IsAccesible) continue;

    // Second phase, into the row's own record.
    TProcessRecord& p = *row;
    if (cached && cached->HaveFacts) {
      ApplyStaticFacts(p, cached->Facts);
    } else {
      TProcessStaticFacts facts = ReadStaticFacts(process.get(), p, Options.DefaultImageIndex, wmi, wmiTried);
      ApplyStaticFacts(p, facts);
      if (cached) cached->Facts = std::move(facts), cached->HaveFacts = true;
    }
    if (inTable) {
      const SystemProcessEntry& e = sys->second;
      p.WorkingSet = e.Vm.WorkingSetSize;
      p.PeakWorkingSet = e.Vm.PeakWorkingSetSize;
      p.CreationTime = FileTimeToDateTime(TicksToFileTime(Ticks(e.CreateTime)), true);
      p.VMCounters = ToRecord(e.Vm);
      p.IOCounters = ToRecord(e.Io);
      p.HandleCount = static_cast<int32_t>(e.HandleCount);
      p.CPUTimes = {Ticks(e.CreateTime), 0, Ticks(e.KernelTime), Ticks(e.UserTime)};
    } else {
      PROCESS_MEMORY_COUNTERS pmc{};
      GetProcessMemoryCounters(process.get(), pmc);
      p.WorkingSet = pmc.WorkingSetSize;
      p.PeakWorkingSet = pmc.PeakWorkingSetSize;
      FILETIME created{}, exited{}, kernel{}, user{};
      if (::GetProcessTimes(process.get(), &created, &exited, &kernel, &user))
        p.CreationTime = FileTimeToDateTime(created, true);
      NativeVmCounters vm{};
      if (QueryProcess(process.get(), kProcessVmCounters, vm)) p.VMCounters = ToRecord(vm);
      IO_COUNTERS io{};
      if (QueryProcess(process.get(), kProcessIoCounters, io)) p.IOCounters = ToRecord(io);
      ULONG handles = 0;
      if (QueryProcess(process.get(), kProcessHandleCount, handles)) p.HandleCount = static_cast<int32_t>(handles);
      NativeTimes times{};
      if (QueryProcess(process.get(), kProcessTimes, times))
        p.CPUTimes = {Ticks(times.CreateTime), Ticks(times.ExitTime), Ticks(times.KernelTime), Ticks(times.UserTime)};
    }
  }
  // Facts of processes that are gone would only pile up.
  if (Options.UseCache)
    for (auto it = cache_.begin(); it != cache_.end();) it = seen.count(it->first) ? std::next(it) : cache_.erase(it);
}

TProcesses TProcessSnapshot::Snapshot(const std::function<bool(const TProcessRecord&)>& show) {
  TProcesses rows;
  Walk({}, [&](const TProcessRecord& r) -> TProcessRecord* {
    const bool shown = !show || show(r);
    rows.push_back(r);
    return shown ? &rows.back() : nullptr;
  });
  return rows;
}

}  // namespace vantrel
