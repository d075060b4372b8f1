// The process snapshot: one walk of the process list in two phases (what the list and the caches give for every
// process; what must be read from the process only for those the caller shows), and the facts that stay fixed for a
// process's life, kept between refreshes by PID and creation time.
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
#include "system/process/process_image_name.h"
#include "system/process/process_list.h"
#include "system/process/process_memory.h"
#include "system/process/responsiveness_probe.h"
#include "system/process/top_level_windows.h"
#include "system/process/wmi_process_facts.h"

namespace vantrel {

// What the second phase learns once per process life; the file's own facts come from ImageFileCache.
struct ProcessStaticFacts {
  std::wstring ImageName;
  bool NameFromImage = false;  // the path came from ReadProcessImageName, not from the process's memory or WMI
  bool Remote = false;         // not on a local fixed drive: its file is never opened
  bool Is64bit = false;
};

// The reads of a process's own memory and records that tests replace.
struct ProcessReads {
  std::function<std::wstring(HANDLE, const std::wstring&)> ImageName = ReadProcessImageName;
  std::function<bool(HANDLE, ProcessParameters&)> Parameters = ReadTargetProcessParameters;
  // The file's icon, version and size; only ever given paths on a local fixed drive.
  ImageFileReader FileFacts = ReadImageFileFacts;
};

enum class CommandLineState {
  Known,   // in the record
  AskWmi,  // only WMI may know it: ask off the window thread, then MergeWmiTexts
  Unknown  // not readable now (tried again later)
};

class ProcessSnapshot {
 public:
  struct SnapshotOptions {
    int32_t DefaultImageIndex = 0;  // the stock application icon
    bool UseCache = true;           // false: every fact is read anew (the benchmark's comparison)
  };
  // Given the first-phase record, returns the record to complete (the new row's), or null when not shown.
  using RowSink = std::function<ProcessRecord*(const ProcessRecord&)>;
  using LogFn = std::function<void(const std::wstring&)>;

  SnapshotOptions Options;
  ProcessReads Reads;

  ProcessSnapshot();
  // Stand-ins for the account-name lookup and the WMI query (tests); both run on workers.
  void SetAccountLookup(SidLookupFn lookup);
  void SetWmiQuery(WmiProcessQuery query);

  // One refresh over every process in snapshot order. The session process list is only read.
  void Walk(const ProcessRecords& sessionProcesses, const RowSink& sink, const LogFn& log = {});
  // The command line of a row's process, read from its memory at the first request: no list column shows it, and
  // reading another process's memory costs milliseconds a process under Wine. Never asks WMI.
  CommandLineState CompleteCommandLine(ProcessRecord& r);
  // What WMI answered for a process, asked off the window thread; kept for the process's life.
  void MergeWmiTexts(uint32_t pid, uint64_t createTime, const WmiProcessTexts& texts);
  // Thread-safe: may be used on any worker while the snapshot lives, and after.
  std::shared_ptr<WmiProcessReader> WmiReader() const { return wmi_; }
  // Waits, at most boundMs, until the owner names and WMI answers asked by the walks have arrived (never on the
  // window thread: a walk shows what has arrived and leaves the rest to the next).
  bool WaitForLookups(DWORD boundMs) const;
  size_t PendingLookups() const { return names_->Pending() + wmi_->Pending(); }
  // For callers that may wait: every process, with the owners and WMI answers the walk asked for (waited for,
  // bounded); the second phase, command line included, for those show accepts (all when show is empty).
  ProcessRecords Snapshot(const std::function<bool(const ProcessRecord&)>& show = {});

  const TopLevelWindows& Windows() const { return windows_; }
  const ResponsivenessProbe& Responsiveness() const { return probe_; }
  ProcessListSource LastSource() const { return list_.LastSource(); }
  // Whether the last walk met a process whose owner only the session process list could give and that has not been
  // matched with one yet (always so while the list source has no counters).
  bool WantsSessionProcesses() const { return wantsSessionProcesses_; }
  size_t CachedProcesses() const { return cache_.size(); }
  size_t CachedFiles() const { return files_.size(); }
  // The source of the next walks (tests compare the two); the native query is the default.
  void ForceSource(ProcessListSource source) { forcedSource_ = source, sourceForced_ = true; }

 private:
  // What one process identity keeps between refreshes.
  struct CacheEntry {
    bool Opened = false;  // access was tried once
    bool Accessible = false, CanBeKilled = false, Critical = false;
    bool HaveOwnerSid = false;
    SidBytes OwnerSid;
    ReadRetry OwnerRetry;
    bool HaveFacts = false;
    ProcessStaticFacts Facts;
    ReadRetry FactsRetry;
    bool HaveCommandLine = false;
    std::wstring CommandLine;
    ReadRetry CommandLineRetry;
    bool WmiAnswered = false;  // Win32_Process answered for it: never asked again
    ReadRetry WmiRetry;
    DateTime CreationTime = 0;
    uint64_t SeenInWalk = 0;       // the number of the last walk that listed it
    bool MetSessionList = false;   // a walk had a session process list to match this process with
    std::wstring SessionListUser;  // the user the list gave, for walks without the list
  };
  using ProcessKey = std::pair<uint32_t, uint64_t>;
  struct WalkContext;

  // Owner names and WMI answers that arrived since the walk made the record.
  void ApplyArrivedLookups(ProcessRecord& r, bool shown);
  void MergeWmi(CacheEntry& cached, const WmiProcessTexts& texts, uint64_t nowMs);
  void TakeWmiAnswer(const ProcessKey& key, CacheEntry& cached, uint64_t nowMs);
  void FirstPhase(const ProcessListEntry& entry, CacheEntry& cached, WalkContext& walk, ProcessRecord& r);
  void SecondPhase(CacheEntry& cached, WalkContext& walk, ProcessRecord& row);
  ImageFileReader FileFactsThroughReads();

  ProcessListReader list_;
  TopLevelWindows windows_;
  ResponsivenessProbe probe_;
  std::map<ProcessKey, CacheEntry> cache_;
  ImageFileCache files_;
  std::unique_ptr<AccountNames> names_;
  std::shared_ptr<WmiProcessReader> wmi_;
  uint64_t walkNumber_ = 0;
  bool wantsSessionProcesses_ = true;
  bool sourceForced_ = false;
  ProcessListSource forcedSource_ = ProcessListSource::Native;
};

}  // namespace vantrel
