#include "system/process/process_snapshot.h"

#include <psapi.h>

#include <cstring>
#include <exception>

#include "core/text/str_utils.h"
#include "system/os/accounts.h"
#include "system/os/file_version.h"
#include "system/os/native_api.h"
#include "system/os/system_facts.h"
#include "system/process/critical_process.h"
#include "system/raii.h"
#include "system/security/admin_only_path.h"
#include "system/process/native_process_layouts.h"
#include "system/process/process_query.h"
#include "system/text/locale_text.h"
#include "core/os/accounts.h"

namespace vantrel {
namespace {

using detail::kProcessHandleCount;
using detail::kProcessIoCounters;
using detail::kProcessTimes;
using detail::kProcessVmCounters;
using detail::QueryProcess;

HANDLE OpenForWork(DWORD pid) {
  static const DWORD kAccess[] = {PROCESS_ALL_ACCESS,
                                  PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_VM_OPERATION,
                                  PROCESS_QUERY_INFORMATION, PROCESS_QUERY_LIMITED_INFORMATION};
  for (DWORD access : kAccess)
    if (HANDLE h = ::OpenProcess(access, FALSE, pid)) return h;
  return nullptr;
}

}  // namespace

namespace {

// The program's own account is known without a lookup, so the first list already shows its processes under the
// user's name (a list filtered to the user's processes would otherwise start empty).
void SeedOwnAccount(AccountNames& names) {
  SidBytes sid;
  if (!ReadProcessOwnerSid(::GetCurrentProcess(), sid)) return;
  wchar_t domain[256] = {};
  const DWORD n = ::GetEnvironmentVariableW(L"USERDOMAIN", domain, 256);
  names.Seed(sid, SystemFacts().CurrentUserName, n > 0 && n < 256 ? std::wstring(domain, n) : std::wstring());
}

// The second-phase facts that never change while the process lives, but the command line. WMI is not asked here.
ProcessStaticFacts ReadStaticFacts(HANDLE process, const std::wstring& name, const ProcessReads& reads,
                                   DriveKindsOfOneRead& drives) {
  ProcessStaticFacts f;
  f.ImageName = reads.ImageName(process, name);
  f.NameFromImage = !f.ImageName.empty();
  // A file on another machine is never touched here: an unreachable server would hold the walk.
  f.Remote = f.NameFromImage && !drives.IsLocalFixedPath(f.ImageName);
  if (!f.ImageName.empty() && !f.Remote && !FileExists(f.ImageName)) f.ImageName = ExpandEnvVars(f.ImageName, true);
  if (const auto isWow64 = SystemEntryPoints().IsWow64Process) {
    BOOL wow = FALSE;
    if (isWow64(process, &wow)) f.Is64bit = !wow && SystemFacts().Is64BitOS;
  }
  if (f.ImageName.empty()) {
    ProcessParameters params;
    if (reads.Parameters(process, params)) f.ImageName = params.ImagePathName;
  }
  return f;
}

// An owner whose name is on its way is not "no owner": until the name arrives, only the SIDs of the NT AUTHORITY
// accounts (one sub-authority under authority 5) and of the window manager make a system process.
bool IsSystemBySid(const SidBytes& sid) {
  const std::wstring text = SIDToText(sid.data(), sid.size());
  if (text.rfind(L"S-1-5-90-", 0) == 0) return true;
  return text.rfind(L"S-1-5-", 0) == 0 && text.find(L'-', 6) == std::wstring::npos;
}

void ApplyStaticFacts(ProcessRecord& r, const ProcessStaticFacts& f) {
  r.ImageName = f.ImageName;
  r.Is64bit = f.Is64bit;
}

void ApplyFileFacts(ProcessRecord& r, const ImageFileFacts& f) {
  r.Desc = f.Desc;
  r.Company = f.Company;
  r.Version = f.Version;
  r.Copyright = f.Copyright;
  r.ImageIndexValue = f.ImageIndex;
  r.Size = f.Size;
}

void ApplyListCounters(ProcessRecord& r, const ProcessListEntry& e) {
  r.WorkingSet = e.VMCounters.WorkingSetSize;
  r.PeakWorkingSet = e.VMCounters.PeakWorkingSetSize;
  r.VMCounters = e.VMCounters;
  r.IOCounters = e.IOCounters;
  r.HandleCount = e.HandleCount;
  r.CPUTimes = e.CPUTimes;
}

// Without the native list: the counters of one opened process, call by call.
void ReadCountersOfProcess(HANDLE process, ProcessRecord& p) {
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

// ---- the walk ----

struct ProcessSnapshot::WalkContext {
  const ProcessRecords& sessionProcesses;
  const LogFn& log;
  uint64_t nowMs = ::GetTickCount64();
  uint32_t ownPid = ::GetCurrentProcessId();
  bool haveCounters = false;
  bool wantsSessionProcesses = false;
  // The process opened for work in this walk, if it was.
  win::UniqueHandle process;
  DriveKindsOfOneRead drives;  // a first walk asks about the drive of every process's file
};

void ProcessSnapshot::FirstPhase(const ProcessListEntry& entry, CacheEntry& cached, WalkContext& walk,
                                 ProcessRecord& r) {
  r.PID = entry.PID;
  r.PPID = entry.PPID;
  r.Priority = entry.Priority;
  r.Name = ProcessDisplayName(r.PID, entry.ExeFile);
  r.ImageIndexValue = Options.DefaultImageIndex;
  r.CPUTimes.CreateTime = entry.CPUTimes.CreateTime;

  // Access and the owner are learnt at the first sight of a process; a failed owner read is tried again later.
  if (!cached.Opened) {
    cached.Opened = true;
    win::UniqueHandle terminate(::OpenProcess(PROCESS_TERMINATE, FALSE, r.PID));
    cached.CanBeKilled = static_cast<bool>(terminate);
    walk.process.reset(OpenForWork(r.PID));
    cached.Accessible = static_cast<bool>(walk.process);
    cached.Critical = IsCriticalProcess(walk.process.get());
  }
  r.CanBeKilled = cached.CanBeKilled;
  r.Critical = cached.Critical;
  r.IsAccessible = cached.Accessible;
  if (!cached.HaveOwnerSid && cached.Accessible && cached.OwnerRetry.Due(walk.nowMs)) {
    if (!walk.process) walk.process.reset(OpenForWork(r.PID));
    if (walk.process && ReadProcessOwnerSid(walk.process.get(), cached.OwnerSid)) cached.HaveOwnerSid = true;
    else cached.OwnerRetry.Failed(walk.nowMs);
  }
  // The name is looked up on a worker: until it arrives the user stays empty (or the session list's).
  const bool ownerPending = cached.HaveOwnerSid && !names_->Get(cached.OwnerSid, walk.nowMs, r.Username, r.Domain);
  ApplyWellKnownOwner(r);

  if (entry.HaveSession) r.Session = entry.Session;
  if (!walk.sessionProcesses.empty()) {
    try {
      MatchSessionProcesses(r, walk.sessionProcesses);
    } catch (const std::exception& e) {
      if (walk.log) walk.log(L"RefreshProcesses.MatchWTSP: " + ExceptionMessage(e));
    }
    cached.MetSessionList = true;
    if (!cached.HaveOwnerSid && r.PID >= 10) cached.SessionListUser = r.Username;
  } else if (IsBlank(r.Username)) {
    r.Username = cached.SessionListUser;
  }
  // Only the session process list knows the owner of a process that cannot be opened.
  if (!cached.HaveOwnerSid && r.PID >= 10 && !cached.MetSessionList) walk.wantsSessionProcesses = true;
  r.System = ownerPending && IsBlank(r.Username) ? r.PID < 10 || IsSystemBySid(cached.OwnerSid) : IsSystemProcess(r);
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

void ProcessSnapshot::SecondPhase(CacheEntry& cached, WalkContext& walk, ProcessRecord& p) {
  const ProcessKey key{p.PID, p.CPUTimes.CreateTime};
  const bool cacheable = key.second != 0;
  if (cacheable) TakeWmiAnswer(key, cached, walk.nowMs);
  if (!cached.HaveFacts && cached.FactsRetry.Due(walk.nowMs)) {
    if (!walk.process) walk.process.reset(OpenForWork(p.PID));
    if (walk.process) {
      cached.Facts = ReadStaticFacts(walk.process.get(), p.Name, Reads, walk.drives);
      cached.HaveFacts = !cached.Facts.ImageName.empty();
    }
    if (!cached.HaveFacts) cached.FactsRetry.Failed(walk.nowMs);
  }
  // WMI answers on its worker; a later walk takes the answer (kept with the process's other facts).
  if (cacheable && cached.Facts.ImageName.empty() && !cached.WmiAnswered && cached.WmiRetry.Due(walk.nowMs))
    wmi_->Request(key);
  ApplyStaticFacts(p, cached.Facts);
  if (cached.HaveCommandLine) p.CommandLine = cached.CommandLine;
  // Icon, version and size belong to a path the system gave; one read from the process's memory or WMI has none.
  if (cached.Facts.NameFromImage) ApplyFileFacts(p, files_.Get(p.ImageName, Options.DefaultImageIndex));
  if (!walk.haveCounters) {
    if (!walk.process) walk.process.reset(OpenForWork(p.PID));
    if (walk.process) ReadCountersOfProcess(walk.process.get(), p);
  }
}

void ProcessSnapshot::TakeWmiAnswer(const ProcessKey& key, CacheEntry& cached, uint64_t nowMs) {
  WmiProcessTexts texts;
  if (wmi_->Take(key, texts)) MergeWmi(cached, texts, nowMs);
}

void ProcessSnapshot::MergeWmi(CacheEntry& cached, const WmiProcessTexts& texts, uint64_t nowMs) {
  if (!texts.Answered) {
    cached.WmiRetry.Failed(nowMs);
    return;
  }
  cached.WmiAnswered = true;
  if (!cached.HaveCommandLine && !texts.CommandLine.empty()) {
    cached.CommandLine = texts.CommandLine;
    cached.HaveCommandLine = true;
  }
  if (cached.Facts.ImageName.empty() && !texts.ExecutablePath.empty()) {
    cached.Facts.ImageName = texts.ExecutablePath;
    cached.Facts.NameFromImage = false;
    cached.HaveFacts = true;
  }
}

void ProcessSnapshot::MergeWmiTexts(uint32_t pid, uint64_t createTime, const WmiProcessTexts& texts) {
  const auto it = cache_.find({pid, createTime});
  if (it != cache_.end()) MergeWmi(it->second, texts, ::GetTickCount64());
}

ProcessSnapshot::ProcessSnapshot()
    : files_(FileFactsThroughReads()),
      names_(std::make_unique<AccountNames>()),
      wmi_(std::make_shared<WmiProcessReader>()) {
  SeedOwnAccount(*names_);
}

ImageFileReader ProcessSnapshot::FileFactsThroughReads() {
  return
      [this](const std::wstring& path, int32_t defaultImageIndex) { return Reads.FileFacts(path, defaultImageIndex); };
}

void ProcessSnapshot::SetAccountLookup(SidLookupFn lookup) {
  names_ = std::make_unique<AccountNames>(std::move(lookup));
}

void ProcessSnapshot::SetWmiQuery(WmiProcessQuery query) {
  wmi_ = std::make_shared<WmiProcessReader>(std::move(query));
}

bool ProcessSnapshot::WaitForLookups(DWORD boundMs) const {
  const ULONGLONG start = ::GetTickCount64();
  if (!names_->WaitIdle(boundMs)) return false;
  while (wmi_->Pending() > 0) {
    if (::GetTickCount64() - start >= boundMs) return false;
    ::Sleep(10);
  }
  return true;
}

void ProcessSnapshot::Walk(const ProcessRecords& sessionProcesses, const RowSink& sink, const LogFn& log) {
  if (!Options.UseCache) cache_.clear(), files_ = ImageFileCache(FileFactsThroughReads());
  windows_.Enumerate();
  const std::vector<ProcessListEntry> entries = sourceForced_ ? list_.Read(forcedSource_) : list_.Read();
  ++walkNumber_;
  WalkContext walk{sessionProcesses, log};
  walk.haveCounters = list_.LastSource() == ProcessListSource::Native;

  for (const ProcessListEntry& entry : entries) {
    walk.process.reset();
    // Without a creation time a PID alone is no identity: such a process is read afresh each time.
    CacheEntry uncached;
    const ProcessKey key{entry.PID, entry.CPUTimes.CreateTime};
    const bool cacheable = entry.CPUTimes.CreateTime != 0;
    CacheEntry& cached = cacheable ? cache_[key] : uncached;
    cached.SeenInWalk = walkNumber_;

    ProcessRecord r;
    FirstPhase(entry, cached, walk, r);
    ProcessRecord* row = sink ? sink(r) : nullptr;
    if (row && row->IsAccessible) SecondPhase(cached, walk, *row);
  }
  walk.process.reset();
  // What belongs to processes and files that are gone would only pile up.
  std::erase_if(cache_, [this](const auto& entry) { return entry.second.SeenInWalk != walkNumber_; });
  wmi_->Retain([this](const ProcessKey& key) { return cache_.count(key) > 0; });
  files_.DropUnused();
  probe_.ForgetUnasked();
  // Without the native list the session process list also gives counters.
  wantsSessionProcesses_ = walk.wantsSessionProcesses || !walk.haveCounters;
}

CommandLineState ProcessSnapshot::CompleteCommandLine(ProcessRecord& r) {
  const ProcessKey key{r.PID, r.CPUTimes.CreateTime};
  const auto it = cache_.find(key);
  CacheEntry uncached;
  CacheEntry& cached = it != cache_.end() ? it->second : uncached;
  const uint64_t now = ::GetTickCount64();
  if (it != cache_.end()) TakeWmiAnswer(key, cached, now);
  if (!cached.HaveCommandLine && r.IsAccessible && cached.CommandLineRetry.Due(now)) {
    win::UniqueHandle process(OpenForWork(r.PID));
    ProcessParameters params;
    if (process && Reads.Parameters(process.get(), params) && !params.CommandLine.empty()) {
      cached.CommandLine = params.CommandLine;
      cached.HaveCommandLine = true;
    } else {
      cached.CommandLineRetry.Failed(now);
    }
  }
  r.CommandLine = cached.CommandLine;
  if (cached.HaveCommandLine) return CommandLineState::Known;
  if (r.IsAccessible && !cached.WmiAnswered && cached.WmiRetry.Due(now)) return CommandLineState::AskWmi;
  return CommandLineState::Unknown;
}

void ProcessSnapshot::ApplyArrivedLookups(ProcessRecord& r, bool shown) {
  const ProcessKey key{r.PID, r.CPUTimes.CreateTime};
  const auto it = cache_.find(key);
  if (it == cache_.end()) return;
  CacheEntry& cached = it->second;
  const uint64_t now = ::GetTickCount64();
  if (cached.HaveOwnerSid && IsBlank(r.Username) && names_->Get(cached.OwnerSid, now, r.Username, r.Domain)) {
    ApplyWellKnownOwner(r);
    r.System = IsSystemProcess(r);
  }
  TakeWmiAnswer(key, cached, now);
  if (shown && r.IsAccessible && r.ImageName.empty()) ApplyStaticFacts(r, cached.Facts);
}

ProcessRecords ProcessSnapshot::Snapshot(const std::function<bool(const ProcessRecord&)>& show) {
  constexpr DWORD kLookupBoundMs = 5000, kWmiBoundMs = 15000;
  ProcessRecords rows;
  std::vector<size_t> shown;
  Walk({}, [&](const ProcessRecord& r) -> ProcessRecord* {
    rows.push_back(r);
    if (show && !show(r)) return nullptr;
    shown.push_back(rows.size() - 1);
    return &rows.back();
  });
  // This caller may wait for what the walk left to the workers.
  if (PendingLookups() > 0) {
    WaitForLookups(kLookupBoundMs);
    std::vector<bool> isShown(rows.size());
    for (const size_t i : shown) isShown[i] = true;
    for (size_t i = 0; i < rows.size(); ++i) ApplyArrivedLookups(rows[i], isShown[i]);
  }
  // One deadline for all the rows that only WMI can complete.
  const ULONGLONG deadline = ::GetTickCount64() + kWmiBoundMs;
  for (const size_t i : shown) {
    ProcessRecord& r = rows[i];
    if (!r.IsAccessible || CompleteCommandLine(r) != CommandLineState::AskWmi) continue;
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) break;
    MergeWmiTexts(r.PID, r.CPUTimes.CreateTime, wmi_->Ask(r.PID, static_cast<DWORD>(deadline - now)));
    CompleteCommandLine(r);
  }
  return rows;
}

}  // namespace vantrel
