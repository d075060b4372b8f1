#include "system/process/image_file_facts.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cwctype>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "core/version/version_info.h"
#include "system/os/file_version.h"

namespace vantrel {
namespace {

std::wstring FoldCase(std::wstring s) {
  std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return s;
}

}  // namespace

ImageFileFacts ReadImageFileFacts(const std::wstring& path, int32_t defaultImageIndex) {
  ImageFileFacts f;
  f.ImageIndex = defaultImageIndex;
  SHFILEINFOW info{};
  if (::SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
    f.ImageIndex = info.iIcon;
  VersionInfo vi;
  GetFileVerInfo(path, vi);
  f.Desc = vi.Description;
  f.Company = vi.CompanyName;
  f.Version = vi.FileVersion;
  f.Copyright = vi.Copyright;
  f.Size = std::max<int64_t>(GetFileSize(path), 0);
  return f;
}

FileStamp ReadFileStamp(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return {};
  return {static_cast<int64_t>((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow),
          static_cast<int64_t>((uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                               data.ftLastWriteTime.dwLowDateTime)};
}

const ImageFileFacts& ImageFileCache::Get(const std::wstring& path, int32_t defaultImageIndex) {
  auto [it, added] = files_.try_emplace(FoldCase(path));
  Entry& e = it->second;
  if (added || !e.used) {
    const FileStamp now = stamp_ ? stamp_(path) : FileStamp{};
    if (added || now != e.stamp) e.facts = reader_(path, defaultImageIndex);
    e.stamp = now;
  }
  e.used = true;
  return it->second.facts;
}

void ImageFileCache::DropUnused() {
  for (auto it = files_.begin(); it != files_.end();) {
    if (it->second.used) {
      it->second.used = false;
      ++it;
    } else {
      it = files_.erase(it);
    }
  }
}

bool IsRemoteFilePath(const std::wstring& path) {
  if (path.size() >= 2 && (path[0] == L'\\' || path[0] == L'/') && (path[1] == L'\\' || path[1] == L'/')) {
    // \\?\ and \\.\ name local devices unless they name UNC.
    if (path.size() >= 4 && (path[2] == L'?' || path[2] == L'.') && path[3] == L'\\')
      return path.size() >= 7 && FoldCase(path.substr(4, 4)) == L"unc\\";
    return true;
  }
  if (path.size() >= 2 && path[1] == L':' && std::iswalpha(path[0])) {
    const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
    return ::GetDriveTypeW(root) == DRIVE_REMOTE;
  }
  return false;
}

struct RemoteFileFacts::State {
  struct Entry {
    bool arrived = false;
    bool used = true;
    std::wstring path;  // as asked (the key is folded)
    int32_t defaultImageIndex = 0;
    ImageFileFacts facts;
  };
  Reader reader;
  mutable std::mutex mutex;
  std::unordered_map<std::wstring, Entry> files;
  std::deque<std::wstring> queue;
  bool running = false;
  bool stopping = false;
};

namespace {

void ReadRemoteFiles(std::shared_ptr<RemoteFileFacts::State> state) {
  // The shell's file information wants COM on the asking thread.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::unique_lock lock(state->mutex);
  while (!state->stopping && !state->queue.empty()) {
    const std::wstring key = state->queue.front();
    state->queue.pop_front();
    const auto it = state->files.find(key);
    if (it == state->files.end()) continue;
    const std::wstring path = it->second.path;
    const int32_t defaultIndex = it->second.defaultImageIndex;
    lock.unlock();
    ImageFileFacts facts;
    try {
      facts = state->reader(path, defaultIndex);
    } catch (...) {
      facts.ImageIndex = defaultIndex;
    }
    lock.lock();
    const auto now = state->files.find(key);
    if (now != state->files.end()) {
      now->second.facts = std::move(facts);
      now->second.arrived = true;
    }
  }
  state->running = false;
  lock.unlock();
  if (SUCCEEDED(com)) ::CoUninitialize();
}

}  // namespace

RemoteFileFacts::RemoteFileFacts(Reader reader) : state_(std::make_shared<State>()) {
  state_->reader = std::move(reader);
}

RemoteFileFacts::~RemoteFileFacts() {
  std::lock_guard lock(state_->mutex);
  state_->stopping = true;
}

const ImageFileFacts* RemoteFileFacts::Get(const std::wstring& path, int32_t defaultImageIndex) {
  bool start = false;
  const ImageFileFacts* facts = nullptr;
  {
    std::lock_guard lock(state_->mutex);
    const std::wstring key = FoldCase(path);
    auto [it, added] = state_->files.try_emplace(key);
    it->second.used = true;
    if (added) {
      it->second.path = path;
      it->second.defaultImageIndex = defaultImageIndex;
      state_->queue.push_back(key);
      start = !state_->running;
      state_->running = true;
    }
    // Arrived facts are written once and entries leave only through DropUnused, on the caller's thread.
    if (it->second.arrived) facts = &it->second.facts;
  }
  if (start) {
    try {
      std::thread(ReadRemoteFiles, state_).detach();
    } catch (const std::system_error&) {
      std::lock_guard lock(state_->mutex);
      for (const std::wstring& key : state_->queue) state_->files.erase(key);  // asked again next time
      state_->queue.clear();
      state_->running = false;
    }
  }
  return facts;
}

void RemoteFileFacts::DropUnused() {
  std::lock_guard lock(state_->mutex);
  for (auto it = state_->files.begin(); it != state_->files.end();) {
    if (it->second.used) {
      it->second.used = false;
      ++it;
    } else {
      it = state_->files.erase(it);
    }
  }
}

size_t RemoteFileFacts::Pending() const {
  std::lock_guard lock(state_->mutex);
  return state_->running ? state_->queue.size() + 1 : 0;
}

}  // namespace vantrel
