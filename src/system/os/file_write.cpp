#include "system/os/file_write.h"

#include <bcrypt.h>

#include <algorithm>
#include <vector>

#include "core/export/extended_path.h"
#include "system/os/system_library.h"
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

// A name nobody can guess in advance, so nothing can be planted under it before it is created.
DWORD RandomTemporaryName(const std::wstring& folder, std::wstring& name) {
  // BCrypt is loaded by the first write: under Wine it brings a TLS library of a few megabytes with it.
  static SystemLibrary library(L"bcrypt.dll");
  static const auto genRandom = library.Function<decltype(&::BCryptGenRandom)>("BCryptGenRandom");
  uint8_t random[16];
  if (!genRandom || !BCRYPT_SUCCESS(genRandom(nullptr, random, sizeof random, BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
    return ERROR_CANNOT_MAKE;
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  std::wstring text = L"vtr";
  for (uint8_t b : random) text += {kHex[b >> 4], kHex[b & 15]};
  const bool separated = !folder.empty() && folder.back() == L'\\';
  name = folder + (separated ? L"" : L"\\") + text + L".tmp";
  return 0;
}

// "\\?\C:\..." as the native calls take it: "\??\C:\...".
std::wstring NativeForm(const std::wstring& longPath) {
  if (longPath.rfind(L"\\\\?\\", 0) == 0) return L"\\??\\" + longPath.substr(4);
  return longPath;
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

DWORD TemporaryFile::Create(const std::wstring& folder) {
  Discard();
  for (int attempt = 0; attempt < 16; ++attempt) {
    if (const DWORD error = RandomTemporaryName(folder, path_)) return error;
    // CREATE_NEW fails on any existing name, a dangling link included; the handle never follows a reparse point.
    file_.reset(::CreateFileW(path_.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file_) return 0;
    const DWORD error = LastErrorOr(ERROR_CANNOT_MAKE);
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return error;
  }
  return ERROR_CANNOT_MAKE;
}

DWORD TemporaryFile::Write(const void* bytes, size_t size) {
  if (!file_) return ERROR_INVALID_HANDLE;
  return WriteAll(file_.get(), static_cast<const uint8_t*>(bytes), size);
}

DWORD TemporaryFile::RenameTo(const std::wstring& longTarget, bool replace) {
  if (!file_) return ERROR_INVALID_HANDLE;
  const std::wstring target = NativeForm(longTarget);
  std::vector<uint8_t> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = replace ? TRUE : FALSE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  std::copy(target.begin(), target.end(), info->FileName);
  if (!::SetFileInformationByHandle(file_.get(), FileRenameInfo, info, static_cast<DWORD>(buffer.size())))
    return LastErrorOr(ERROR_CAN_NOT_COMPLETE);
  file_.reset();  // it is the target now: nothing left to delete
  path_.clear();
  return 0;
}

void TemporaryFile::Discard() {
  if (!file_) return;
  FILE_DISPOSITION_INFO dispose{TRUE};
  // Through the handle: whatever the name points at by now, only this file goes.
  ::SetFileInformationByHandle(file_.get(), FileDispositionInfo, &dispose, sizeof dispose);
  file_.reset();
  path_.clear();
}

DWORD WriteFileReplacing(const std::wstring& path, const std::string& bytes) {
  std::wstring target;
  if (const DWORD error = LongPathForm(path, target)) return error;
  const std::wstring folder = FolderOf(target);
  if (folder.empty() || folder.size() == target.size()) return ERROR_INVALID_NAME;
  TemporaryFile temp;
  if (const DWORD error = temp.Create(folder)) return error;
  if (const DWORD error = temp.Write(bytes.data(), bytes.size())) return error;
  return temp.RenameTo(target, true);
}

}  // namespace vantrel
