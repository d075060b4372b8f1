#include "system/process/process_list.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>

#include "system/os/native_api.h"
#include "system/os/system_facts.h"
#include "system/process/native_process_layouts.h"
#include "system/raii.h"

namespace vantrel {
namespace {

constexpr ULONG kSystemProcessInformation = 5;
constexpr size_t kFirstBufferSize = 64 * 1024;
constexpr size_t kMaxBufferSize = 64u * 1024 * 1024;

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

uint32_t Pid(HANDLE id) { return static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(id)); }

// The image name only when its text lies inside the answer, whatever the entry claims.
std::wstring ImageNameOf(const NativeCountedString& name, const uint8_t* begin, const uint8_t* end) {
  const auto* text = reinterpret_cast<const uint8_t*>(name.Buffer);
  if (!text || text < begin || text > end || static_cast<size_t>(end - text) < name.Length) return {};
  std::wstring s(name.Length / sizeof(wchar_t), L'\0');
  std::memcpy(s.data(), text, s.size() * sizeof(wchar_t));
  return s;
}

ProcessListEntry ToEntry(const SystemProcessEntry& e, const uint8_t* begin, const uint8_t* end) {
  ProcessListEntry r;
  r.PID = Pid(e.UniqueProcessId);
  r.PPID = Pid(e.InheritedFromUniqueProcessId);
  r.ExeFile = ImageNameOf(e.ImageName, begin, end);
  r.Priority = e.BasePriority;
  r.ThreadCount = static_cast<int32_t>(e.NumberOfThreads);
  r.HaveSession = true;
  r.Session = static_cast<int32_t>(e.SessionId);
  r.HaveCounters = true;
  r.HandleCount = static_cast<int32_t>(e.HandleCount);
  r.VMCounters = ToRecord(e.Vm);
  r.IOCounters = ToRecord(e.Io);
  r.CPUTimes = {Ticks(e.CreateTime), 0, Ticks(e.KernelTime), Ticks(e.UserTime)};
  return r;
}

}  // namespace

std::vector<ProcessListEntry> ProcessListReader::Read() {
  std::vector<ProcessListEntry> entries;
  if (ReadNative(entries)) {
    lastSource_ = ProcessListSource::Native;
  } else {
    ReadToolhelp(entries);
    lastSource_ = ProcessListSource::Toolhelp;
  }
  return entries;
}

std::vector<ProcessListEntry> ProcessListReader::Read(ProcessListSource source) {
  std::vector<ProcessListEntry> entries;
  lastSource_ = source;
  if (source == ProcessListSource::Native) ReadNative(entries);
  else ReadToolhelp(entries);
  return entries;
}

bool ProcessListReader::ReadNative(std::vector<ProcessListEntry>& entries) {
  const auto query = NativeApi().NtQuerySystemInformation;
  if (!query) return false;
  if (buffer_.empty()) buffer_.resize(kFirstBufferSize);
  NtStatus status = kStatusInfoLengthMismatch;
  ULONG returned = 0;
  for (int attempt = 0; attempt < 6; ++attempt) {
    returned = 0;
    status = query(kSystemProcessInformation, buffer_.data(), static_cast<ULONG>(buffer_.size()), &returned);
    if (status != kStatusInfoLengthMismatch && status != kStatusBufferTooSmall) break;
    // Processes may start between the calls: some room beyond the need.
    const size_t next = std::max<size_t>(buffer_.size() + buffer_.size() / 2, size_t{returned} + 16 * 1024);
    if (next > kMaxBufferSize) return false;
    buffer_.assign(next, 0);
  }
  if (status < 0) return false;
  const uint8_t* begin = buffer_.data();
  const uint8_t* end = begin + std::min<size_t>(buffer_.size(), returned ? returned : buffer_.size());
  size_t offset = 0;
  while (offset + sizeof(SystemProcessEntry) <= static_cast<size_t>(end - begin)) {
    SystemProcessEntry e;
    std::memcpy(&e, begin + offset, sizeof e);
    entries.push_back(ToEntry(e, begin, end));
    if (e.NextEntryOffset == 0) break;
    offset += e.NextEntryOffset;
  }
  return !entries.empty();
}

bool ProcessListReader::ReadToolhelp(std::vector<ProcessListEntry>& entries) {
  win::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  const auto toSession = SystemEntryPoints().ProcessIdToSessionId;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
    ProcessListEntry r;
    r.PID = entry.th32ProcessID;
    r.PPID = entry.th32ParentProcessID;
    r.ExeFile.assign(entry.szExeFile, wcsnlen(entry.szExeFile, std::size(entry.szExeFile)));
    r.Priority = entry.pcPriClassBase;
    r.ThreadCount = static_cast<int32_t>(entry.cntThreads);
    DWORD session = 0;
    if (toSession && toSession(r.PID, &session)) r.HaveSession = true, r.Session = static_cast<int32_t>(session);
    entries.push_back(std::move(r));
  }
  return !entries.empty();
}

bool ProcessListedWithCreateTime(uint32_t pid, uint64_t createTime) {
  if (createTime == 0) return false;
  ProcessListReader reader;
  for (const ProcessListEntry& e : reader.Read(ProcessListSource::Native))
    if (e.PID == pid) return e.CPUTimes.CreateTime == createTime;
  return false;
}

}  // namespace vantrel
