// Writing a whole file so that a failure never leaves a truncated one: the bytes go to a temporary file in the
// target's folder, which then replaces the target. Every name goes through its extended-length form, so a folder
// deeper than the classic path limit works too.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "system/raii.h"

namespace vantrel {

// The full, extended-length form of path ("\\?\C:\...", "\\?\UNC\server\share\..."); 0 or the failing call's
// error (never 0 for a failure).
DWORD LongPathForm(const std::wstring& path, std::wstring& longPath);

// A temporary file in a folder: created new under a random name, never through a link, written and renamed
// through its own handle. Unless renamed, it is deleted through that handle (so only this file ever goes).
class TemporaryFile {
 public:
  TemporaryFile() = default;
  ~TemporaryFile() { Discard(); }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // folder: extended-length form, ending in a backslash or not. Each returns 0 or the failing call's error.
  DWORD Create(const std::wstring& folder);
  DWORD Write(const void* bytes, size_t size);
  // To longTarget (extended-length form, same volume); without replace an existing name fails with
  // ERROR_ALREADY_EXISTS and the file stays temporary.
  DWORD RenameTo(const std::wstring& longTarget, bool replace);
  void Discard();
  const std::wstring& path() const { return path_; }

 private:
  win::UniqueFileHandle file_;
  std::wstring path_;
};

// 0 on success, else the error of the call that failed (never 0, whatever the thread's last error was before);
// the earlier file is then untouched and no temporary file is left behind.
DWORD WriteFileReplacing(const std::wstring& path, const std::string& bytes);

}  // namespace vantrel
