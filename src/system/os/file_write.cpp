#include "system/os/file_write.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "core/export/extended_path.h"
#include "system/raii.h"

namespace vantrel {
namespace {

// The error of the call that just failed; a call that failed without setting one still counts as a failure.
DWORD LastErrorOr(DWORD fallback) {
  const DWORD error = ::GetLastError();
  return error != 0 ? error : fallback;
}

std::wstring FolderOf(const std::wstring& longPath) {
  const size_t slash = longPath.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : longPath.substr(0, slash + 1);
}

DWORD WriteAll(HANDLE file, const uint8_t* bytes, size_t size) {
  size_t done = 0;
  while (done < size) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(file, bytes + done, chunk, &written, nullptr)) return LastErrorOr(ERROR_WRITE_FAULT);
    if (written == 0) return ERROR_WRITE_FAULT;
    done += written;
  }
  return ::FlushFileBuffers(file) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
}

// A name no other writer of this process or another one picks at the same moment.
std::wstring TemporaryName(const std::wstring& folder) {
  static std::atomic<unsigned> counter{0};
  wchar_t name[64];
  ::wsprintfW(name, L"vtr%lx_%lx_%lx.tmp", ::GetCurrentProcessId(), static_cast<unsigned long>(++counter),
              ::GetTickCount());
  const bool separated = !folder.empty() && folder.back() == L'\\';
  return folder + (separated ? L"" : L"\\") + name;
}

}  // namespace

DWORD LongPathForm(const std::wstring& path, std::wstring& longPath) {
  longPath.clear();
  if (path.empty()) return ERROR_INVALID_NAME;
  std::vector<wchar_t> full(MAX_PATH);
  for (int attempt = 0; attempt < 3; ++attempt) {
    ::SetLastError(0);
    const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return LastErrorOr(ERROR_INVALID_NAME);
    if (length < full.size()) {
      longPath = ExtendedLengthPath(std::wstring(full.data(), length));
      return longPath.empty() ? static_cast<DWORD>(ERROR_INVALID_NAME) : 0;
    }
    full.resize(length + 1);
  }
  return ERROR_FILENAME_EXCED_RANGE;
}

DWORD WriteTemporaryFile(const std::wstring& folder, const void* bytes, size_t size, std::wstring& tempPath) {
  tempPath.clear();
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::wstring name = TemporaryName(folder);
    win::UniqueFileHandle file(
        ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      const DWORD error = LastErrorOr(ERROR_CANNOT_MAKE);
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
      return error;
    }
    const DWORD error = WriteAll(file.get(), static_cast<const uint8_t*>(bytes), size);
    file.reset();
    if (error != 0) {
      ::DeleteFileW(name.c_str());
      return error;
    }
    tempPath = name;
    return 0;
  }
  return ERROR_CANNOT_MAKE;
}

DWORD WriteFileReplacing(const std::wstring& path, const std::string& bytes) {
  std::wstring target;
  if (const DWORD error = LongPathForm(path, target)) return error;
  const std::wstring folder = FolderOf(target);
  if (folder.empty() || folder.size() == target.size()) return ERROR_INVALID_NAME;
  std::wstring temp;
  if (const DWORD error = WriteTemporaryFile(folder, bytes.data(), bytes.size(), temp)) return error;
  if (::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
  const DWORD error = LastErrorOr(ERROR_CAN_NOT_COMPLETE);
  ::DeleteFileW(temp.c_str());
  return error;
}

}  // namespace vantrel
