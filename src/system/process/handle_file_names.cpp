#include "system/process/handle_file_names.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <set>
#include <utility>

#include "system/raii.h"

namespace vantrel {
namespace {

std::mutex& SlowLock() {
  static std::mutex lock;
  return lock;
}
SlowFileNames& Slow() {
  static SlowFileNames slow;
  return slow;
}
// The values of the copies that workers given up on still hold (under SlowLock).
std::set<uint64_t>& HeldCopies() {
  static std::set<uint64_t> held;
  return held;
}

using CancelIoFn = BOOL(WINAPI*)(HANDLE);
CancelIoFn CancelSynchronousIoEntry() {
  static const CancelIoFn fn = reinterpret_cast<CancelIoFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "CancelSynchronousIo")));
  return fn;
}

// An SRW lock and condition variables: under Wine they wait on futexes, where events and std::mutex (winpthreads)
// cost a round trip to the wine server for every signal.
class SrwGuard {
 public:
  explicit SrwGuard(SRWLOCK& lock) : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
  ~SrwGuard() { ::ReleaseSRWLockExclusive(&lock_); }
  SrwGuard(const SrwGuard&) = delete;
  SrwGuard& operator=(const SrwGuard&) = delete;

 private:
  SRWLOCK& lock_;
};

constexpr size_t kNoJob = SIZE_MAX;

}  // namespace

bool HeldByStuckFileNameWorker(uint64_t ownHandle) {
  std::lock_guard slow(SlowLock());
  return HeldCopies().count(ownHandle) > 0;
}

bool SkipFileName(const SlowFileNames::Key& key) {
  std::lock_guard slow(SlowLock());
  return Slow().Skip(key);
}

bool FileNameWorkersExhausted() {
  std::lock_guard slow(SlowLock());
  return Slow().WorkersExhausted();
}

size_t StuckFileNameWorkers() {
  std::lock_guard slow(SlowLock());
  return Slow().StuckWorkers();
}

// A queued file handle. The queue owns the file until a worker takes it; from then on the worker does.
struct FileNameJob {
  HANDLE file = nullptr;
  SlowFileNames::Key key{};
  size_t row = 0;
  std::wstring name;
};

// One worker as the queue sees it: the job it is on and since when.
struct WorkerSlot {
  size_t job = kNoJob;
  ULONGLONG since = 0;
  bool abandoned = false;  // given up on: it ends when its query returns, taking no other job
  HANDLE file = nullptr;   // the copy it queries, in this process
};

// What the listing and its workers share; everything under lock. Shared ownership: a worker given up on keeps it
// alive until its query returns.
struct FileNameQueue {
  SRWLOCK lock = SRWLOCK_INIT;
  CONDITION_VARIABLE jobsAdded = CONDITION_VARIABLE_INIT;  // idle workers wait on it
  CONDITION_VARIABLE allDone = CONDITION_VARIABLE_INIT;    // the listing waits on it
  std::vector<FileNameJob> jobs;
  size_t next = 0;               // the first job no worker has taken
  size_t finished = 0;           // jobs answered, given up on or dropped
  size_t idle = 0;               // workers waiting for a job
  bool closed = false;           // no more jobs are coming
  bool stopped = false;          // no more jobs are taken
  std::deque<WorkerSlot> slots;  // a deque: a worker's slot never moves
  std::function<std::wstring(HANDLE)> query;
};

namespace {

struct WorkerStart {
  std::shared_ptr<FileNameQueue> queue;
  size_t slot = 0;
};

// Takes the next job, waiting while the queue is open and empty. kNoJob when the worker is to end.
size_t TakeJob(FileNameQueue& q, WorkerSlot& slot, HANDLE& file) {
  while (!q.stopped && q.next >= q.jobs.size() && !q.closed) {
    ++q.idle;
    // The listing always closes the queue before it returns, so this wait ends with the listing.
    ::SleepConditionVariableSRW(&q.jobsAdded, &q.lock, 1000, 0);
    --q.idle;
  }
  if (q.stopped || q.next >= q.jobs.size()) return kNoJob;
  const size_t i = q.next++;
  file = std::exchange(q.jobs[i].file, nullptr);
  slot.file = file;
  slot.job = i;
  slot.since = ::GetTickCount64();
  return i;
}

DWORD WINAPI NameWorkerMain(void* param) {
  const std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(param));
  FileNameQueue& q = *start->queue;
  ::AcquireSRWLockExclusive(&q.lock);
  WorkerSlot& slot = q.slots[start->slot];
  for (;;) {
    HANDLE file = nullptr;
    const size_t i = TakeJob(q, slot, file);
    if (i == kNoJob) break;
    ::ReleaseSRWLockExclusive(&q.lock);
    std::wstring name = q.query(file);
    ::AcquireSRWLockExclusive(&q.lock);
    const bool abandoned = slot.abandoned;
    ::ReleaseSRWLockExclusive(&q.lock);
    if (abandoned) {
      std::lock_guard slow(SlowLock());
      HeldCopies().erase(reinterpret_cast<uintptr_t>(file));  // before the value can name another handle
    }
    ::CloseHandle(file);
    ::AcquireSRWLockExclusive(&q.lock);
    slot.job = kNoJob;
    if (slot.abandoned) {
      // A late name still reaches the listing when it has not collected the names yet.
      const SlowFileNames::Key key = q.jobs[i].key;
      const bool answered = !name.empty();
      q.jobs[i].name = std::move(name);
      ::ReleaseSRWLockExclusive(&q.lock);
      std::lock_guard slow(SlowLock());
      Slow().WorkerReturned(key, answered);
      return 0;
    }
    q.jobs[i].name = std::move(name);
    if (++q.finished == q.jobs.size()) ::WakeAllConditionVariable(&q.allDone);
  }
  ::ReleaseSRWLockExclusive(&q.lock);
  return 0;
}

}  // namespace

struct FileNameReader::Worker {
  size_t slot = 0;
  win::UniqueHandle thread;
};

FileNameReader::FileNameReader(std::function<std::wstring(HANDLE file)> query, DWORD waitMs, size_t workers)
    : queue_(std::make_shared<FileNameQueue>()), waitMs_(waitMs), poolSize_(std::max<size_t>(workers, 1)) {
  queue_->query = std::move(query);
  if (FileNameWorkersExhausted()) queue_->stopped = true;
}

FileNameReader::~FileNameReader() {
  if (!finished_) Finish();
}

bool FileNameReader::Accepting() const {
  SrwGuard guard(queue_->lock);
  return !queue_->stopped;
}

size_t FileNameReader::LiveWorkers() const {
  return static_cast<size_t>(std::count_if(workers_.begin(), workers_.end(),
                                           [this](const auto& w) { return !queue_->slots[w->slot].abandoned; }));
}

// Starts workers up to the pool size, but never more than could still time out in this listing or get stuck in
// all: should every one of them hang, the limits still hold. Called under the lock.
void FileNameReader::StartWorkers() {
  FileNameQueue& q = *queue_;
  if (q.stopped) return;
  size_t stuck = 0;
  {
    std::lock_guard slow(SlowLock());
    stuck = Slow().StuckWorkers();
  }
  const size_t live = LiveWorkers();
  const size_t byTimeouts = static_cast<size_t>(kFileNameTimeoutsPerListing - timeouts_);
  const size_t byStuck = kMaxStuckFileNameWorkers > stuck ? kMaxStuckFileNameWorkers - stuck : 0;
  const size_t wanted = std::min({poolSize_, byTimeouts, byStuck});
  for (size_t n = live; n < wanted; ++n) {
    q.slots.emplace_back();
    auto* start = new WorkerStart{queue_, q.slots.size() - 1};
    HANDLE thread =
        ::CreateThread(nullptr, 64 * 1024, NameWorkerMain, start, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!thread) {
      delete start;
      q.slots.pop_back();
      break;
    }
    auto worker = std::make_unique<Worker>();
    worker->slot = q.slots.size() - 1;
    worker->thread.reset(thread);
    workers_.push_back(std::move(worker));
  }
  if (LiveWorkers() == 0) StopTakingFiles();  // nobody could read them
}

// Drops the jobs no worker has taken (closing their files) and lets idle workers end. Called under the lock.
void FileNameReader::StopTakingFiles() {
  FileNameQueue& q = *queue_;
  q.stopped = true;
  for (size_t i = q.next; i < q.jobs.size(); ++i) {
    if (q.jobs[i].file) ::CloseHandle(std::exchange(q.jobs[i].file, nullptr));
    ++q.finished;
  }
  q.next = q.jobs.size();
  ::WakeAllConditionVariable(&q.jobsAdded);
}

// Gives up on each worker whose query has run past the wait: its file is remembered as slow, its thread asked to
// cancel its I/O and left to end by itself. Called under the lock.
void FileNameReader::GiveUpOnStuckWorkers() {
  FileNameQueue& q = *queue_;
  const ULONGLONG now = ::GetTickCount64();
  bool gaveUp = false;
  for (const auto& w : workers_) {
    WorkerSlot& slot = q.slots[w->slot];
    if (slot.abandoned || slot.job == kNoJob || now - slot.since < waitMs_) continue;
    slot.abandoned = true;
    ++q.finished;
    {
      std::lock_guard slow(SlowLock());
      Slow().TimedOut(q.jobs[slot.job].key);
      HeldCopies().insert(reinterpret_cast<uintptr_t>(slot.file));
    }
    if (CancelIoFn cancel = CancelSynchronousIoEntry()) cancel(w->thread.get());
    ++timeouts_;
    gaveUp = true;
  }
  if (!gaveUp) return;
  if (timeouts_ >= kFileNameTimeoutsPerListing || FileNameWorkersExhausted()) StopTakingFiles();
  else StartWorkers();
}

void FileNameReader::Add(HANDLE file, const SlowFileNames::Key& key, size_t row) {
  FileNameQueue& q = *queue_;
  SrwGuard guard(q.lock);
  if (q.stopped) {
    ::CloseHandle(file);
    return;
  }
  if (workers_.empty()) StartWorkers();
  GiveUpOnStuckWorkers();
  if (q.stopped) {
    ::CloseHandle(file);
    return;
  }
  FileNameJob job;
  job.file = file;
  job.key = key;
  job.row = row;
  q.jobs.push_back(std::move(job));
  if (q.idle > 0) ::WakeConditionVariable(&q.jobsAdded);
}

// How long the listing may wait before some worker's query runs past the wait.
DWORD FileNameReader::NextDeadline() const {
  const FileNameQueue& q = *queue_;
  const ULONGLONG now = ::GetTickCount64();
  ULONGLONG wait = waitMs_;
  for (const auto& w : workers_) {
    const WorkerSlot& slot = q.slots[w->slot];
    if (slot.abandoned || slot.job == kNoJob) continue;
    const ULONGLONG end = slot.since + waitMs_;
    wait = std::min(wait, end > now ? end - now : 0);
  }
  return static_cast<DWORD>(wait);
}

std::vector<FileNameReader::Name> FileNameReader::Finish() {
  finished_ = true;
  FileNameQueue& q = *queue_;
  std::vector<Name> names;
  std::vector<HANDLE> ending;
  {
    SrwGuard guard(q.lock);
    q.closed = true;
    ::WakeAllConditionVariable(&q.jobsAdded);
    for (;;) {
      GiveUpOnStuckWorkers();
      if (q.finished >= q.jobs.size()) break;
      if (LiveWorkers() == 0) StopTakingFiles();
      else ::SleepConditionVariableSRW(&q.allDone, &q.lock, std::max<DWORD>(NextDeadline(), 1), 0);
    }
    q.stopped = true;
    ::WakeAllConditionVariable(&q.jobsAdded);
    for (const FileNameJob& job : q.jobs)
      if (!job.name.empty()) names.push_back(Name{job.row, job.name});
    for (const auto& w : workers_)
      if (!q.slots[w->slot].abandoned) ending.push_back(w->thread.get());
  }
  // The workers not given up on have nothing left to do: they end at once. Bounded all the same.
  if (!ending.empty()) ::WaitForMultipleObjects(static_cast<DWORD>(ending.size()), ending.data(), TRUE, 2000);
  return names;
}

}  // namespace vantrel
