// A folder deeper than the classic path limit, made and removed through the extended-length form of its names.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vantrel::testing {

class LongFolder {
 public:
  // parent (a full path, made here when missing) and in it nested folders of 60-character names until the full
  // path has at least length characters.
  LongFolder(const std::wstring& parent, size_t length) {
    path_ = parent;
    while (!path_.empty() && path_.back() == L'\\') path_.pop_back();
    if (::CreateDirectoryW(Long(path_).c_str(), nullptr)) made_.push_back(path_);
    for (wchar_t letter = L'a'; path_.size() < length; ++letter) {
      path_ += L"\\" + std::wstring(60, letter);
      if (!::CreateDirectoryW(Long(path_).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return;
      made_.push_back(path_);
    }
    ok_ = true;
  }
  ~LongFolder() {
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW(Long(path_ + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ::DeleteFileW(Long(path_ + L"\\" + data.cFileName).c_str());
      } while (::FindNextFileW(find, &data));
      ::FindClose(find);
    }
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) ::RemoveDirectoryW(Long(*it).c_str());
  }
  LongFolder(const LongFolder&) = delete;
  LongFolder& operator=(const LongFolder&) = delete;

  bool ok() const { return ok_; }
  // The plain form, as a save dialog would give it.
  const std::wstring& path() const { return path_; }
  static std::wstring Long(const std::wstring& fullPath) { return L"\\\\?\\" + fullPath; }
  // The files in the deepest folder.
  std::vector<std::wstring> Files() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW(Long(path_ + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return names;
  }
  // A file's bytes, read through the extended-length form; empty when it cannot be read.
  static std::string Read(const std::wstring& fullPath) {
    std::string bytes;
    const HANDLE file = ::CreateFileW(Long(fullPath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char chunk[4096];
    DWORD got = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    ::CloseHandle(file);
    return bytes;
  }

 private:
  std::wstring path_;
  std::vector<std::wstring> made_;
  bool ok_ = false;
};

}  // namespace vantrel::testing
