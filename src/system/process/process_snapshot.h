// The process snapshot: a Toolhelp walk in two phases (cheap facts for every process, expensive ones only for the
// processes the caller shows), the top-level window map of one refresh, and the facts that stay fixed for a
// process's life, kept between refreshes by PID and creation time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/process/process_params.h"
#include "core/process/process_record.h"
#include "core/process/process_rules.h"

namespace vantrel {

// A hung window is given this long to answer WM_NULL.
inline constexpr UINT kRespondTimeoutMs = 1000;

// Every top-level window with its process, in z-order.
std::vector<TTopLevelWindow> EnumerateTopLevelWindows();

// The top-level windows of one moment, enumerated once and asked per process.
class TTopLevelWindows {
 public:
  void Enumerate();
  int32_t WindowCount(uint32_t pid) const;
  // True without windows; otherwise whether the process's candidate window answers WM_NULL in time.
  bool IsResponding(uint32_t pid, UINT timeoutMs = kRespondTimeoutMs) const;

 private:
  std::unordered_map<uint32_t, TProcessWindows> map_;
};

// Each enumerates the windows anew; a refresh uses one TTopLevelWindows instead.
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

// What the second phase learns once per process life.
struct TProcessStaticFacts {
  std::wstring ImageName, CommandLine, Desc, Company, Version, Copyright;
  int32_t ImageIndex = 0;
  int64_t Size = 0;
  bool Is64bit = false;
};

class TProcessSnapshot {
 public:
  struct TOptions {
    int32_t DefaultImageIndex = 0;  // the stock application icon
    UINT RespondTimeoutMs = kRespondTimeoutMs;
    bool UseCache = true;
  };
  // Given the first-phase record, returns the record to complete (the new row's), or null when not shown.
  using TRowSink = std::function<TProcessRecord*(const TProcessRecord&)>;
  using TLogFn = std::function<void(const std::wstring&)>;

  TOptions Options;

  // One refresh over every process in snapshot order. The session process list is only read.
  void Walk(const TProcesses& sessionProcesses, const TRowSink& sink, const TLogFn& log = {});
  // Every process; the second phase for those show accepts (all when show is empty).
  TProcesses Snapshot(const std::function<bool(const TProcessRecord&)>& show = {});

  const TTopLevelWindows& Windows() const { return windows_; }
  size_t CachedProcesses() const { return cache_.size(); }
  void ClearCache() { cache_.clear(); }

 private:
  struct TOwner {
    std::wstring Username, Domain;
  };
  struct TCacheEntry {
    bool HaveOwner = false;
    TOwner Owner;
    bool HaveFacts = false;
    TProcessStaticFacts Facts;
  };
  using TKey = std::pair<uint32_t, uint64_t>;

  TTopLevelWindows windows_;
  std::map<TKey, TCacheEntry> cache_;
};

}  // namespace vantrel
