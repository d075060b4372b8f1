// The file names of one handle listing, read by a few worker threads while the listing goes on duplicating: a file
// query can block (a pipe nobody connects to), so each query is waited for at most a bounded time, and a worker
// stuck in one is given up on, never terminated. Each worker owns the duplicate it queries and closes it itself.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/handles/handle_records.h"

namespace vantrel {

// The process-wide memory of slow file handles and stuck workers (see SlowFileNames).
bool SkipFileName(const SlowFileNames::Key& key);
bool FileNameWorkersExhausted();
// Whether a handle of this program is the copy a stuck worker still queries: listing this program skips it, so that
// a hung name costs its wait once, not once more for its copy.
bool HeldByStuckFileNameWorker(uint64_t ownHandle);

struct FileNameQueue;

class FileNameReader {
 public:
  FileNameReader(std::function<std::wstring(HANDLE file)> query, DWORD waitMs, size_t workers);
  ~FileNameReader();  // Finish, when it was not called
  FileNameReader(const FileNameReader&) = delete;
  FileNameReader& operator=(const FileNameReader&) = delete;

  // Queues a duplicated file handle whose name goes to row; takes the handle in every case. Workers start with the
  // first file. Also gives up on workers stuck past their wait: call it often while the listing goes on.
  void Add(HANDLE file, const SlowFileNames::Key& key, size_t row);
  // False once the listing gave up on file names (too many timeouts or stuck workers): Add then only closes.
  bool Accepting() const;

  struct Name {
    size_t row = 0;
    std::wstring text;  // empty when the query failed or was given up on
  };
  // Waits for the queued names (each query at most the wait), lets the idle workers end and waits for them;
  // workers given up on end on their own when their query returns. A name given up on that came back before this
  // collects is kept.
  std::vector<Name> Finish();
  int Timeouts() const { return timeouts_; }

 private:
  struct Worker;
  void StartWorkers();
  void GiveUpOnStuckWorkers();
  void StopTakingFiles();
  DWORD NextDeadline() const;
  size_t LiveWorkers() const;

  std::shared_ptr<FileNameQueue> queue_;
  std::vector<std::unique_ptr<Worker>> workers_;
  DWORD waitMs_;
  size_t poolSize_;
  int timeouts_ = 0;
  bool finished_ = false;
};

}  // namespace vantrel
