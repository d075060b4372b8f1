// The handles of one process: the record of a listed handle, the handle-table parsers for both bitnesses, the type
// and name rules, and the bounds of the table query and of the file-name workers.
#pragma once

#include "core/base/enum_index.h"
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {

struct HandleRecord {
  uint32_t PID = 0;
  uint64_t Handle = 0;  // the value in the owning process
  uint16_t Typ = 0;     // object type number, adjusted by the type name
  uint32_t Access = 0;
  uint64_t Address = 0;  // not filled
  std::wstring Name;
  std::wstring TypeName;
};

// Type numbers the name rules dispatch on.
inline constexpr uint16_t kTypToken = 4, kTypProcess = 5, kTypThread = 6, kTypJob = 7, kTypDirectory = 2,
                          kTypSection = 19, kTypKey = 20, kTypFile = 28;

// One entry of the system handle table, whatever its layout.
struct HandleTableEntry {
  uint64_t PID = 0;
  uint64_t Handle = 0;
  uint32_t Access = 0;
  uint16_t TypeIndex = 0;
};

enum class HandleTableLayout {
  Extended,  // SystemExtendedHandleInformation: full process ids and handle values
  Legacy,    // SystemHandleInformation: 16-bit process ids and handle values
};

// The entries of a handle-table buffer written by a process of the given bitness. False when the buffer is too
// short for its header or for the count it claims.
bool ParseHandleTable(const uint8_t* data, size_t size, HandleTableLayout layout, bool is64,
                      std::vector<HandleTableEntry>& out);

// Bounds of the table query: at most this many calls, and never a buffer above this size.
inline constexpr int kHandleTableMaxAttempts = 8;
inline constexpr size_t kHandleTableMaxBytes = size_t{256} << 20;
// The next buffer size after a length-mismatch answer: twice the last size and the reported length plus a quarter,
// whichever is larger, capped at kHandleTableMaxBytes; 0 when the cap was already reached (give up).
size_t NextHandleTableSize(size_t current, size_t reported);

// The name of a type number when the system does not name the type ("Unknown type 31" above the table).
std::wstring ObjectTypeName(unsigned typ);
// The type number the system's type name stands for, compared ignoring case; typ unchanged for other names.
uint16_t DispatchTypeNumber(std::wstring_view typeName, uint16_t typ);

std::wstring ProcessHandleName(uint64_t pid);               // "PID: 12"
std::wstring ThreadHandleName(uint64_t tid, uint64_t pid);  // "TID: 7 (PID: 12)"
// A registry path with its first "\REGISTRY\MACHINE" as "HKLM" and its first "\REGISTRY\USER" as "HKU", any case.
std::wstring RegistryKeyName(std::wstring_view kernelName);
// Sets the object name of a handle that is neither a file, a process nor a thread: a name under "\REGISTRY\"
// makes the handle a key whatever its number said, and key names take the short root names.
void ApplyObjectName(HandleRecord& record, std::wstring_view name);

// The text of a FILE_NAME_INFORMATION buffer: never more characters than the buffer holds after its 4-byte length,
// whatever length the length field claims.
std::wstring FileNameInformationText(const uint8_t* data, size_t size);
// The file name from the two queries: the object name when there is one, else the file-name information.
std::wstring ChooseFileName(std::wstring_view objectName, std::wstring_view fileInformationName);

// "0x%8.8x": at least eight lower-case digits.
std::wstring HandleValueText(uint64_t handle);
enum class HandleColumn { Type = 0, Name = 1, Handle = 2 };
std::wstring HandleCellText(const HandleRecord& record, int column);
// " 句柄 (n) "
std::wstring HandlesCaption(size_t rows);

// How many file-name workers may time out in one listing before the remaining file handles are skipped, how long
// each is waited for, how many stuck workers the program keeps alive at most, and how many workers one listing
// runs at once.
inline constexpr int kFileNameTimeoutsPerListing = 3;
inline constexpr unsigned kFileNameWaitMs = 100;
inline constexpr size_t kMaxStuckFileNameWorkers = 8;
inline constexpr size_t kFileNameWorkers = 2;

// The file handles whose name query once timed out, so that each costs its wait once, and the workers still stuck
// in a query. Not thread-safe: the caller holds a lock.
class SlowFileNames {
 public:
  using Key = std::pair<uint64_t, uint64_t>;  // process id, handle value
  static constexpr size_t kMaxRemembered = 4096;

  bool Skip(const Key& key) const { return slow_.count(key) > 0; }
  // Stuck workers have reached their limit: no file names are read at all.
  bool WorkersExhausted() const { return stuck_.size() >= kMaxStuckFileNameWorkers; }
  void TimedOut(const Key& key);  // the worker of key is stuck from now on
  // Its worker's query came back. A name means the file was only slow (a loaded machine), so later listings read
  // it again; no name (failed or cancelled) keeps it skipped.
  void WorkerReturned(const Key& key, bool answered) {
    stuck_.erase(key);
    if (answered) slow_.erase(key);
  }
  size_t StuckWorkers() const { return stuck_.size(); }

 private:
  std::set<Key> slow_;
  std::set<Key> stuck_;
};

}  // namespace vantrel
