// The process snapshot: one walk of the process list in two phases (what the list and the caches give for every
// process; what must be read from the process only for those the caller shows), the top-level window map of one
// refresh, and the facts that stay fixed for a process's life, kept between refreshes by PID and creation time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/process/process_params.h"
#include "core/process/process_record.h"
#include "core/process/process_rules.h"
#include "core/process/read_retry.h"
#include "system/os/account_names.h"
#include "system/process/image_file_facts.h"
#include "system/process/process_list.h"
#include "system/process/responsiveness_probe.h"
#include "system/process/wmi_process_facts.h"

namespace vantrel {

// Every top-level window with its process, in z-order.
std::vector<TTopLevelWindow> EnumerateTopLevelWindows();

// The top-level windows of one moment, enumerated once and asked per process.
class TTopLevelWindows {
 public:
  void Enumerate();
  int32_t WindowCount(uint32_t pid) const;
  // The window asked whether the process responds; 0 without windows.
  uint64_t Candidate(uint32_t pid) const;
  // Asks the candidate window and waits for the answer: for single questions, never for a refresh.
  bool IsResponding(uint32_t pid, UINT timeoutMs = kRespondTimeoutMs) const;

 private:
  std::unordered_map<uint32_t, TProcessWindows> map_;
};

// Each enumerates the windows anew and waits for the answer; a refresh uses its TResponsivenessProbe instead.
bool IsProcessResponding(uint32_t PID);
int32_t GetProcessWindowCount(uint32_t PID);

// ReadProcessMemory of exactly the bytes asked for.
class TProcessHandleReader : public ProcessMemoryReader {
 public:
  explicit TProcessHandleReader(HANDLE process) : process_(process) {}
  bool Read(uint64_t address, void* buffer, size_t size) override;

 private:
  HANDLE process_;
};

// The parameters block of a process opened with query and VM-read access, in the target's own layout (the
// 32-bit one for WOW64 targets). A 32-bit build cannot read 64-bit targets: false.
bool ReadTargetProcessParameters(HANDLE process, TProcessParameters& params);
bool ReadTargetEnvironment(HANDLE process, std::vector<std::wstring>& lines);

// The path of the process's image: the system's record of it, else the main module, else the kernel's device path,
// else the name searched along the system path. Empty when none answers.
std::wstring ReadProcessImageName(HANDLE process, const std::wstring& name);

// What the second phase learns once per process life; the file's own facts come from TImageFileCache.
struct TProcessStaticFacts {
  std::wstring ImageName;
  bool NameFromImage = false;  // the path came from ReadProcessImageName, not from the process's memory or WMI
  bool Remote = false;         // on another machine: its file is read on a worker (TRemoteFileFacts)
  bool Is64bit = false;
};

// The reads of a process's own memory and records that tests replace.
struct TProcessReads {
  std::function<std::wstring(HANDLE, const std::wstring&)> ImageName = ReadProcessImageName;
  std::function<bool(HANDLE, TProcessParameters&)> Parameters = ReadTargetProcessParameters;
};

enum class TCommandLineState {
  Known,   // in the record
  AskWmi,  // only WMI may know it: ask off the window thread, then MergeWmiTexts
  Unknown  // not readable now (tried again later)
};

class TProcessSnapshot {
 public:
  struct TOptions {
    int32_t DefaultImageIndex = 0;  // the stock application icon
    bool UseCache = true;  // false: every fact is read anew (the benchmark's comparison)
  };
  // Given the first-phase record, returns the record to complete (the new row's), or null when not shown.
  using TRowSink = std::function<TProcessRecord*(const TProcessRecord&)>;
  using TLogFn = std::function<void(const std::wstring&)>;

  TOptions Options;
  TProcessReads Reads;

  TProcessSnapshot();
  // Stand-ins for the account-name lookup and the WMI query (tests); both run on workers.
  void SetAccountLookup(TSidLookupFn lookup);
  void SetWmiQuery(TWmiProcessQuery query);

  // One refresh over every process in snapshot order. The session process list is only read.
  void Walk(const TProcesses& sessionProcesses, const TRowSink& sink, const TLogFn& log = {});
  // The command line of a row's process, read from its memory at the first request: no list column shows it, and
  // reading another process's memory costs milliseconds a process under Wine. Never asks WMI.
  TCommandLineState CompleteCommandLine(TProcessRecord& r);
  // What WMI answered for a process, asked off the window thread; kept for the process's life.
  void MergeWmiTexts(uint32_t pid, uint64_t createTime, const TWmiProcessTexts& texts);
  // Thread-safe: may be used on any worker while the snapshot lives, and after.
  std::shared_ptr<TWmiProcessReader> WmiReader() const { return wmi_; }
  // Waits, at most boundMs, until the owner names and WMI answers asked by the walks have arrived (never on the
  // window thread: a walk shows what has arrived and leaves the rest to the next).
  bool WaitForLookups(DWORD boundMs) const;
  size_t PendingLookups() const { return names_->Pending() + wmi_->Pending(); }
  // For callers that may wait: every process, with the owners and WMI answers the walk asked for (waited for,
  // bounded); the second phase, command line included, for those show accepts (all when show is empty).
  TProcesses Snapshot(const std::function<bool(const TProcessRecord&)>& show = {});

  const TTopLevelWindows& Windows() const { return windows_; }
  const TResponsivenessProbe& Responsiveness() const { return probe_; }
  TProcessListSource LastSource() const { return list_.LastSource(); }
  // Whether the last walk met a process whose owner only the session process list could give and that has not been
  // matched with one yet (always so while the list source has no counters).
  bool WantsSessionProcesses() const { return wantsSessionProcesses_; }
  size_t CachedProcesses() const { return cache_.size(); }
  size_t CachedFiles() const { return files_.size(); }
  // The source of the next walks (tests compare the two); the native query is the default.
  void ForceSource(TProcessListSource source) { forcedSource_ = source, sourceForced_ = true; }

 private:
  // What one process identity keeps between refreshes.
  struct TCacheEntry {
    bool Opened = false;  // access was tried once
    bool Accessible = false, CanBeKilled = false;
    bool HaveOwnerSid = false;
    TSidBytes OwnerSid;
    TReadRetry OwnerRetry;
    bool HaveFacts = false;
    TProcessStaticFacts Facts;
    TReadRetry FactsRetry;
    bool HaveCommandLine = false;
    std::wstring CommandLine;
    TReadRetry CommandLineRetry;
    bool WmiAnswered = false;  // Win32_Process answered for it: never asked again
    TReadRetry WmiRetry;
    TDateTime CreationTime = 0;
    uint64_t SeenInWalk = 0;       // the number of the last walk that listed it
    bool MetSessionList = false;   // a walk had a session process list to match this process with
    std::wstring SessionListUser;  // the user the list gave, for walks without the list
  };
  using TKey = std::pair<uint32_t, uint64_t>;
  struct TWalkContext;

  // Owner names and WMI answers that arrived since the walk made the record.
  void ApplyArrivedLookups(TProcessRecord& r, bool shown);
  void MergeWmi(TCacheEntry& cached, const TWmiProcessTexts& texts, uint64_t nowMs);
  void TakeWmiAnswer(const TKey& key, TCacheEntry& cached, uint64_t nowMs);
  void FirstPhase(const TProcessListEntry& entry, TCacheEntry& cached, TWalkContext& walk, TProcessRecord& r);
  void SecondPhase(TCacheEntry& cached, TWalkContext& walk, TProcessRecord& row);

  TProcessListReader list_;
  TTopLevelWindows windows_;
  TResponsivenessProbe probe_;
  std::map<TKey, TCacheEntry> cache_;
  TImageFileCache files_;
  TRemoteFileFacts remoteFiles_;
  std::unique_ptr<TAccountNames> names_;
  std::shared_ptr<TWmiProcessReader> wmi_;
  uint64_t walkNumber_ = 0;
  bool wantsSessionProcesses_ = true;
  bool sourceForced_ = false;
  TProcessListSource forcedSource_ = TProcessListSource::Native;
};

}  // namespace vantrel
