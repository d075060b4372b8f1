#include "system/process/process_snapshot.h"

#include <psapi.h>

#include <cstring>
#include <exception>

#include "core/text/str_utils.h"
#include "system/os/accounts.h"
#include "system/os/file_version.h"
#include "system/os/native_api.h"
#include "system/os/system_facts.h"
#include "system/raii.h"
#include "system/process/native_process_layouts.h"
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

}  // namespace

std::wstring ReadProcessImageName(HANDLE process, const std::wstring& name) {
  wchar_t buffer[MAX_PATH + 1] = {};
  // The system's own record of the image first: the module list would be read from the process's memory, a few
  // reads of another process each (about 5 ms a process under Wine), for the same path.
  if (const auto query = SystemEntryPoints().QueryFullProcessImageNameW) {
    DWORD size = MAX_PATH + 1;
    if (query(process, 0, buffer, &size)) {
      std::wstring s = TextUpToNul(buffer, std::min<size_t>(size, MAX_PATH + 1));
      if (!s.empty()) return s;
    }
  }
  std::fill(std::begin(buffer), std::end(buffer), L'\0');
  if (::GetModuleFileNameExW(process, nullptr, buffer, MAX_PATH + 1)) {
    std::wstring s = RemoveNtPathPrefix(TextUpToNul(buffer, MAX_PATH + 1));
    if (!s.empty()) return s;
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

// Made at the first question: one connection per walk, and one for the command lines of a snapshot.
struct TWmiOnDemand {
  TWmiConnection connection;
  bool tried = false;

  // The property of the process's Win32_Process instance, or empty.
  std::wstring ProcessProperty(uint32_t pid, const wchar_t* property) {
    if (!tried) {
      tried = true;
      connection.Connect(L"", L"", L"", L"root\\CIMV2");
    }
    if (!connection.Connected()) return {};
    TInstances instances;
    try {
      if (connection.Command(L"select * from Win32_Process where ProcessId=" + std::to_wstring(pid), instances) > 0)
        return WmiTextOrEmpty(GetInstancePropValue(instances, property, 0, 0));
    } catch (const TWmiError&) {
      // no WMI answer: empty, and asked again later
    }
    return {};
  }
};

namespace {

// The second-phase facts that never change while the process lives, but the command line.
TProcessStaticFacts ReadStaticFacts(HANDLE process, uint32_t pid, const std::wstring& name, TWmiOnDemand& wmi) {
  TProcessStaticFacts f;
  f.ImageName = ReadProcessImageName(process, name);
  f.NameFromImage = !f.ImageName.empty();
  if (!f.ImageName.empty() && !FileExists(f.ImageName)) f.ImageName = ExpandEnvVars(f.ImageName, true);
  if (const auto isWow64 = SystemEntryPoints().IsWow64Process) {
    BOOL wow = FALSE;
    if (isWow64(process, &wow)) f.Is64bit = !wow && SystemFacts().Is64BitOS;
  }
  if (f.ImageName.empty()) {
    TProcessParameters params;
    if (ReadTargetProcessParameters(process, params)) f.ImageName = params.ImagePathName;
  }
  if (f.ImageName.empty()) f.ImageName = wmi.ProcessProperty(pid, L"ExecutablePath");
  return f;
}

// From the process's parameters block, else from WMI.
std::wstring ReadCommandLine(HANDLE process, uint32_t pid, TWmiOnDemand& wmi) {
  TProcessParameters params;
  if (ReadTargetProcessParameters(process, params) && !params.CommandLine.empty()) return params.CommandLine;
  return wmi.ProcessProperty(pid, L"CommandLine");
}

void ApplyStaticFacts(TProcessRecord& r, const TProcessStaticFacts& f) {
  r.ImageName = f.ImageName;
  r.Is64bit = f.Is64bit;
}

void ApplyFileFacts(TProcessRecord& r, const TImageFileFacts& f) {
  r.Desc = f.Desc;
  r.Company = f.Company;
  r.Version = f.Version;
  r.Copyright = f.Copyright;
  r._ImageIndex = f.ImageIndex;
  r.Size = f.Size;
}

void ApplyListCounters(TProcessRecord& r, const TProcessListEntry& e) {
  r.WorkingSet = e.VMCounters.WorkingSetSize;
  r.PeakWorkingSet = e.VMCounters.PeakWorkingSetSize;
  r.VMCounters = e.VMCounters;
  r.IOCounters = e.IOCounters;
  r.HandleCount = e.HandleCount;
  r.CPUTimes = e.CPUTimes;
}

// Without the native list: the counters of one opened process, call by call.
void ReadCountersOfProcess(HANDLE process, TProcessRecord& p) {
  PROCESS_MEMORY_COUNTERS pmc{};
  GetProcessMemoryCounters(process, pmc);
  p.WorkingSet = pmc.WorkingSetSize;
  p.PeakWorkingSet = pmc.PeakWorkingSetSize;
  FILETIME created{}, exited{}, kernel{}, user{};
  if (::GetProcessTimes(process, &created, &exited, &kernel, &user)) p.CreationTime = FileTimeToDateTime(created, true);
  NativeVmCounters vm{};
  if (QueryProcess(process, kProcessVmCounters, vm)) p.VMCounters = ToRecord(vm);
  IO_COUNTERS io{};
  if (QueryProcess(process, kProcessIoCounters, io)) p.IOCounters = ToRecord(io);
  ULONG handles = 0;
  if (QueryProcess(process, kProcessHandleCount, handles)) p.HandleCount = static_cast<int32_t>(handles);
  NativeTimes times{};
  if (QueryProcess(process, kProcessTimes, times))
    p.CPUTimes = {Ticks(times.CreateTime), Ticks(times.ExitTime), Ticks(times.KernelTime), Ticks(times.UserTime)};
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

uint64_t TTopLevelWindows::Candidate(uint32_t pid) const {
  const auto it = map_.find(pid);
  return it == map_.end() ? 0 : it->second.Candidate;
}

bool TTopLevelWindows::IsResponding(uint32_t pid, UINT timeoutMs) const {
  const uint64_t candidate = Candidate(pid);
  if (candidate == 0) return true;
  DWORD_PTR result = 0;
  const HWND hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(candidate));
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
  NativeBasicInformation basic{};
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

struct TProcessSnapshot::TWalkContext {
  const TProcesses& sessionProcesses;
  const TLogFn& log;
  uint64_t nowMs = ::GetTickCount64();
  uint32_t ownPid = ::GetCurrentProcessId();
  bool haveCounters = false;
  bool wantsSessionProcesses = false;
  TWmiOnDemand wmi;
  // The process opened for work in this walk, if it was.
  win::UniqueHandle process;
};

void TProcessSnapshot::FirstPhase(const TProcessListEntry& entry, TCacheEntry& cached, TWalkContext& walk,
                                  TProcessRecord& r) {
  r.PID = entry.PID;
  r.PPID = entry.PPID;
  r.Priority = entry.Priority;
  r.Name = ProcessDisplayName(r.PID, entry.ExeFile);
  r._ImageIndex = Options.DefaultImageIndex;
  r.CPUTimes.CreateTime = entry.CPUTimes.CreateTime;

  // Access and the owner are learnt at the first sight of a process; a failed owner read is tried again later.
  if (!cached.Opened) {
    cached.Opened = true;
    win::UniqueHandle terminate(::OpenProcess(PROCESS_TERMINATE, FALSE, r.PID));
    cached.CanBeKilled = static_cast<bool>(terminate);
    walk.process.reset(OpenForWork(r.PID));
    cached.Accessible = static_cast<bool>(walk.process);
  }
  r.CanBeKilled = cached.CanBeKilled;
  r.IsAccesible = cached.Accessible;
  if (!cached.HaveOwner && cached.Accessible && cached.OwnerRetry.Due(walk.nowMs)) {
    if (!walk.process) walk.process.reset(OpenForWork(r.PID));
    if (walk.process && GetProcessUserName(walk.process.get(), cached.Username, cached.Domain))
      cached.HaveOwner = true;
    else
      cached.OwnerRetry.Failed(walk.nowMs);
  }
  if (cached.HaveOwner) r.Username = cached.Username, r.Domain = cached.Domain;
  ApplyWellKnownOwner(r);

  if (entry.HaveSession) r.Session = entry.Session;
  if (!walk.sessionProcesses.empty()) {
    try {
      MatchSessionProcesses(r, walk.sessionProcesses);
    } catch (const std::exception& e) {
      if (walk.log) walk.log(L"RefreshProcesses.MatchWTSP: " + ExceptionMessage(e));
    }
    cached.MetSessionList = true;
    if (!cached.HaveOwner && r.PID >= 10) cached.SessionListUser = r.Username;
  } else if (IsBlank(r.Username)) {
    r.Username = cached.SessionListUser;
  }
  // Only the session process list knows the owner of a process that cannot be opened.
  if (!cached.HaveOwner && r.PID >= 10 && !cached.MetSessionList) walk.wantsSessionProcesses = true;
  r.System = IsSystemProcess(r);
  // This program answers: the thread asking is the one that would answer, busy with this very walk.
  const uint64_t candidate = r.PID == walk.ownPid ? 0 : windows_.Candidate(r.PID);
  r.IsResponding = probe_.IsResponding(r.PID, candidate);
  probe_.Ask(r.PID, candidate);
  r.ThreadCount = entry.ThreadCount;
  r.WinCount = windows_.WindowCount(r.PID);
  // The list's counters are fresher than the session list's, and exist for processes that cannot be opened.
  if (entry.HaveCounters) {
    ApplyListCounters(r, entry);
    if (cached.CreationTime == 0 && entry.CPUTimes.CreateTime != 0)
      cached.CreationTime = FileTimeToDateTime(TicksToFileTime(entry.CPUTimes.CreateTime), true);
    r.CreationTime = cached.CreationTime;
  }
}

void TProcessSnapshot::SecondPhase(TCacheEntry& cached, TWalkContext& walk, TProcessRecord& p) {
  if (!cached.HaveFacts && cached.FactsRetry.Due(walk.nowMs)) {
    if (!walk.process) walk.process.reset(OpenForWork(p.PID));
    if (walk.process) {
      cached.Facts = ReadStaticFacts(walk.process.get(), p.PID, p.Name, walk.wmi);
      cached.HaveFacts = !cached.Facts.ImageName.empty();
    }
    if (!cached.HaveFacts) cached.FactsRetry.Failed(walk.nowMs);
  }
  ApplyStaticFacts(p, cached.Facts);
  if (cached.HaveCommandLine) p.CommandLine = cached.CommandLine;
  // Icon, version and size belong to a path the system gave; one read from the process's memory or WMI has none.
  if (cached.Facts.NameFromImage) ApplyFileFacts(p, files_.Get(p.ImageName, Options.DefaultImageIndex));
  if (!walk.haveCounters) {
    if (!walk.process) walk.process.reset(OpenForWork(p.PID));
    if (walk.process) ReadCountersOfProcess(walk.process.get(), p);
  }
}

void TProcessSnapshot::Walk(const TProcesses& sessionProcesses, const TRowSink& sink, const TLogFn& log) {
  if (!Options.UseCache) cache_.clear(), files_ = TImageFileCache();
  windows_.Enumerate();
  const std::vector<TProcessListEntry> entries = sourceForced_ ? list_.Read(forcedSource_) : list_.Read();
  ++walkNumber_;
  TWalkContext walk{sessionProcesses, log};
  walk.haveCounters = list_.LastSource() == TProcessListSource::Native;

  for (const TProcessListEntry& entry : entries) {
    walk.process.reset();
    // Without a creation time a PID alone is no identity: such a process is read afresh each time.
    TCacheEntry uncached;
    const TKey key{entry.PID, entry.CPUTimes.CreateTime};
    const bool cacheable = entry.CPUTimes.CreateTime != 0;
    TCacheEntry& cached = cacheable ? cache_[key] : uncached;
    cached.SeenInWalk = walkNumber_;

    TProcessRecord r;
    FirstPhase(entry, cached, walk, r);
    TProcessRecord* row = sink ? sink(r) : nullptr;
    if (row && row->IsAccesible) SecondPhase(cached, walk, *row);
  }
  walk.process.reset();
  // What belongs to processes and files that are gone would only pile up.
  std::erase_if(cache_, [this](const auto& entry) { return entry.second.SeenInWalk != walkNumber_; });
  files_.DropUnused();
  probe_.ForgetUnasked();
  // Without the native list the session process list also gives counters.
  wantsSessionProcesses_ = walk.wantsSessionProcesses || !walk.haveCounters;
}

bool TProcessSnapshot::CompleteCommandLine(TProcessRecord& r) {
  TWmiOnDemand wmi;
  return CompleteCommandLine(r, wmi);
}

bool TProcessSnapshot::CompleteCommandLine(TProcessRecord& r, TWmiOnDemand& wmi) {
  const auto it = cache_.find({r.PID, r.CPUTimes.CreateTime});
  TCacheEntry uncached;
  TCacheEntry& cached = it != cache_.end() ? it->second : uncached;
  const uint64_t now = ::GetTickCount64();
  if (!cached.HaveCommandLine && r.IsAccesible && cached.CommandLineRetry.Due(now)) {
    win::UniqueHandle process(OpenForWork(r.PID));
    if (process) cached.CommandLine = ReadCommandLine(process.get(), r.PID, wmi);
    cached.HaveCommandLine = !cached.CommandLine.empty();
    if (!cached.HaveCommandLine) cached.CommandLineRetry.Failed(now);
  }
  r.CommandLine = cached.CommandLine;
  return cached.HaveCommandLine;
}

TProcesses TProcessSnapshot::Snapshot(const std::function<bool(const TProcessRecord&)>& show) {
  TProcesses rows;
  std::vector<size_t> shown;
  Walk({}, [&](const TProcessRecord& r) -> TProcessRecord* {
    rows.push_back(r);
    if (show && !show(r)) return nullptr;
    shown.push_back(rows.size() - 1);
    return &rows.back();
  });
  TWmiOnDemand wmi;  // one connection for all the rows
  for (const size_t i : shown)
    if (rows[i].IsAccesible) CompleteCommandLine(rows[i], wmi);
  return rows;
}

}  // namespace vantrel
