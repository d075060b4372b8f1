#include "system/process/handle_list.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

#include "core/handles/object_name.h"
#include "system/os/accounts.h"
#include "system/os/file_version.h"
#include "system/os/native_api.h"
#include "system/os/system_facts.h"
#include "system/process/handle_file_names.h"
#include "system/process/native_process_layouts.h"
#include "system/raii.h"

namespace vantrel {
namespace {

constexpr ULONG kSystemHandleInformation = 16;
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr ULONG kObjectNameInformation = 1;
constexpr ULONG kObjectTypeInformation = 2;
constexpr ULONG kFileNameInformation = 9;
constexpr size_t kFirstTableBytes = size_t{64} << 10;
constexpr size_t kMaxQueryBytes = size_t{64} << 10;  // object names and types

struct ClientId {
  HANDLE UniqueProcess;
  HANDLE UniqueThread;
};
struct ThreadBasicInformation {
  LONG ExitStatus;
  PVOID TebBaseAddress;
  ClientId Client;
  ULONG_PTR AffinityMask;
  LONG Priority;
  LONG BasePriority;
};
struct IoStatus {
  union {
    LONG Status;
    PVOID Pointer;
  };
  ULONG_PTR Information;
};

bool WantsMore(NtStatus s) {
  return s == kStatusInfoLengthMismatch || s == kStatusBufferOverflow || s == kStatusBufferTooSmall;
}

// The text of a counted string at the start of buf, only when its characters lie inside buf.
std::wstring CountedText(const std::vector<uint64_t>& buf, size_t bytes) {
  return CountedStringText(reinterpret_cast<const uint8_t*>(buf.data()), bytes, reinterpret_cast<uintptr_t>(buf.data()),
                           sizeof(void*) == 8);
}

// NtQueryObject of a counted-string class, sized by the answer, at most twice more, capped.
std::wstring QueryObjectText(HANDLE h, ULONG infoClass) {
  const NativeApiTable& api = NativeApi();
  if (!api.NtQueryObject) return {};
  size_t size = 512;
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::vector<uint64_t> buf(size / 8 + 1);
    const ULONG bytes = static_cast<ULONG>(buf.size() * 8);
    ULONG needed = 0;
    const NtStatus s = api.NtQueryObject(h, infoClass, buf.data(), bytes, &needed);
    if (s == kStatusSuccess) return CountedText(buf, bytes);
    if (!WantsMore(s) || needed <= bytes || needed > kMaxQueryBytes) return {};
    size = needed;
  }
  return {};
}

// ---- one handle ----

std::wstring TypeNameOf(HANDLE h) { return QueryObjectText(h, kObjectTypeInformation); }

void NameProcessOrThread(HANDLE h, HandleRecord& r) {
  const NativeApiTable& api = NativeApi();
  if (r.Typ == kTypProcess && api.NtQueryInformationProcess) {
    NativeBasicInformation info{};
    if (api.NtQueryInformationProcess(h, 0, &info, sizeof info, nullptr) == kStatusSuccess)
      r.Name = ProcessHandleName(info.UniqueProcessId);
  } else if (r.Typ == kTypThread && api.NtQueryInformationThread) {
    ThreadBasicInformation info{};
    if (api.NtQueryInformationThread(h, 0, &info, sizeof info, nullptr) == kStatusSuccess)
      r.Name = ThreadHandleName(reinterpret_cast<uintptr_t>(info.Client.UniqueThread),
                                reinterpret_cast<uintptr_t>(info.Client.UniqueProcess));
  }
}

// The drive form of a kernel file name. The long-name lookup walks the file system, so it runs only for a name
// that can hold a short (8.3) element at all.
std::wstring DriveFormOfFileName(const std::wstring& kernelName) {
  if (kernelName.find(L'~') != std::wstring::npos) return DevicePathToDosPath(kernelName);
  return DevicePathToDosPrefix(kernelName, SystemFacts().DriveMap);
}

win::UniqueHandle Duplicate(HANDLE process, uint64_t value) {
  const NativeApiTable& api = NativeApi();
  if (!api.NtDuplicateObject) return {};
  const HANDLE source = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
  HANDLE copy = nullptr;
  if (api.NtDuplicateObject(process, source, ::GetCurrentProcess(), &copy, 0, 0, DUPLICATE_SAME_ACCESS) ==
      kStatusSuccess)
    return win::UniqueHandle(copy);
  copy = nullptr;
  if (api.NtDuplicateObject(process, source, ::GetCurrentProcess(), &copy, 0, 0, 0) == kStatusSuccess)
    return win::UniqueHandle(copy);
  return {};
}

}  // namespace

bool ReadHandleTable(std::vector<HandleTableEntry>& entries, HandleTableLayout& layout) {
  entries.clear();
  const NativeApiTable& api = NativeApi();
  if (!api.NtQuerySystemInformation) return false;
  for (const ULONG infoClass : {kSystemExtendedHandleInformation, kSystemHandleInformation}) {
    layout = infoClass == kSystemExtendedHandleInformation ? HandleTableLayout::Extended : HandleTableLayout::Legacy;
    size_t size = kFirstTableBytes;
    bool refused = false;
    for (int attempt = 0; attempt < kHandleTableMaxAttempts && size != 0; ++attempt) {
      std::vector<uint64_t> buf(size / 8);
      const ULONG bytes = static_cast<ULONG>(buf.size() * 8);
      ULONG returned = 0;
      const NtStatus s = api.NtQuerySystemInformation(infoClass, buf.data(), bytes, &returned);
      if (s == kStatusSuccess) {
        const size_t used = returned > 0 && returned <= bytes ? returned : bytes;
        return ParseHandleTable(reinterpret_cast<const uint8_t*>(buf.data()), used, layout, sizeof(void*) == 8,
                                entries);
      }
      if (!WantsMore(s)) {
        refused = true;
        break;
      }
      size = NextHandleTableSize(size, returned);
    }
    if (!refused) return false;  // the growth loop ran out: no handles rather than a guess
  }
  return false;
}

std::wstring QueryFileName(HANDLE file) {
  // The object name first: it answers for nearly every file, and the file-information query costs the server one
  // more round trip and the handing over of a file descriptor, a third of a listing of many files.
  std::wstring objectName = ChooseFileName(QueryObjectText(file, kObjectNameInformation), {});
  if (!objectName.empty()) return objectName;
  const NativeApiTable& api = NativeApi();
  if (!api.NtQueryInformationFile) return {};
  // FILE_NAME_INFORMATION: a 4-byte length, then the characters; grown once by the answer's need, capped.
  std::vector<uint64_t> info(1024 / 8);
  IoStatus io{};
  NtStatus s =
      api.NtQueryInformationFile(file, &io, info.data(), static_cast<ULONG>(info.size() * 8), kFileNameInformation);
  if (s == kStatusBufferOverflow) {
    uint32_t claimed = 0;
    std::memcpy(&claimed, info.data(), 4);
    if (claimed + 8 <= kMaxQueryBytes) {
      info.assign((claimed + 8) / 8 + 1, 0);
      s = api.NtQueryInformationFile(file, &io, info.data(), static_cast<ULONG>(info.size() * 8), kFileNameInformation);
    }
  }
  if (s != kStatusSuccess) return {};
  return FileNameInformationText(reinterpret_cast<const uint8_t*>(info.data()), info.size() * 8);
}

HandleList ReadHandles(uint32_t pid, const HandleListOptions& options) {
  EnableDebugPrivilege();
  std::vector<HandleTableEntry> table;
  HandleTableLayout layout = HandleTableLayout::Extended;
  if (!ReadHandleTable(table, layout)) return {};
  return ReadHandles(pid, table, layout, options);
}

HandleList ReadHandles(uint32_t pid, std::span<const HandleTableEntry> table, HandleTableLayout layout,
                       const HandleListOptions& options) {
  HandleList list;
  list.TableRead = true;
  // The legacy table cuts process ids to 16 bits: a larger id would match another process's handles.
  if (layout == HandleTableLayout::Legacy && pid > 0xFFFF) return list;

  const bool own = pid == ::GetCurrentProcessId();
  win::UniqueHandle opened;
  if (!own) opened.reset(::OpenProcess(PROCESS_DUP_HANDLE, FALSE, pid));
  const HANDLE source = own ? ::GetCurrentProcess() : opened.get();
  if (!source) return list;

  // The file handles go to the name workers as they are duplicated, so that the queries overlap the duplication.
  std::vector<HandleRecord> rows;
  std::map<uint16_t, std::wstring> typeNames;
  FileNameReader reader(options.queryFileName ? options.queryFileName : QueryFileName, options.fileNameWaitMs,
                        options.fileNameWorkers);
  for (const HandleTableEntry& e : table) {
    if (e.PID != pid) continue;
    if (options.cancelled && options.cancelled()) break;
    if (own && HeldByStuckFileNameWorker(e.Handle)) continue;
    HandleRecord r;
    r.PID = pid;
    r.Handle = e.Handle;
    r.Access = e.Access;
    r.Typ = e.TypeIndex;
    // This program's own handles are read through a copy as well: a worker never reads a handle that another
    // thread closes under it.
    win::UniqueHandle copy = Duplicate(source, e.Handle);
    if (!copy) continue;
    // A type number names one type system-wide: each is asked once per listing.
    std::wstring typeName;
    if (const auto known = typeNames.find(e.TypeIndex); e.TypeIndex != 0 && known != typeNames.end()) {
      typeName = known->second;
    } else {
      typeName = TypeNameOf(copy.get());
      if (e.TypeIndex != 0 && !typeName.empty()) typeNames.emplace(e.TypeIndex, typeName);
    }
    if (!typeName.empty()) {
      r.TypeName = typeName;
      r.Typ = DispatchTypeNumber(typeName, r.Typ);
    } else {
      r.TypeName = ObjectTypeName(r.Typ);
    }
    if (r.Typ == kTypProcess || r.Typ == kTypThread) {
      NameProcessOrThread(copy.get(), r);
    } else if (r.Typ == kTypFile) {
      const SlowFileNames::Key key{pid, e.Handle};
      if (!reader.Accepting() || SkipFileName(key)) continue;
      reader.Add(copy.release(), key, rows.size());
      rows.push_back(std::move(r));
      continue;
    } else {
      ApplyObjectName(r, QueryObjectText(copy.get(), kObjectNameInformation));
    }
    if (!r.Name.empty()) rows.push_back(std::move(r));
  }
  for (const FileNameReader::Name& name : reader.Finish()) rows[name.row].Name = DriveFormOfFileName(name.text);
  for (HandleRecord& r : rows)
    if (!r.Name.empty()) list.Handles.push_back(std::move(r));
  list.FileNameTimeouts = reader.Timeouts();
  return list;
}

size_t CountTableHandles(uint32_t pid) {
  std::vector<HandleTableEntry> table;
  HandleTableLayout layout;
  if (!ReadHandleTable(table, layout)) return 0;
  return static_cast<size_t>(
      std::count_if(table.begin(), table.end(), [pid](const HandleTableEntry& e) { return e.PID == pid; }));
}

}  // namespace vantrel
