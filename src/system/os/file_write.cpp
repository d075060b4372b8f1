#include "system/os/file_write.h"

#include <algorithm>

#include "system/raii.h"

namespace vantrel {
namespace {

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash + 1);
}

DWORD WriteAll(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return ::GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    done += written;
  }
  return ::FlushFileBuffers(file) ? 0 : ::GetLastError();
}

}  // namespace

DWORD WriteFileReplacing(const std::wstring& path, const std::string& bytes) {
  wchar_t temp[MAX_PATH + 1] = {};
  const std::wstring folder = FolderOf(path);
  if (folder.size() >= MAX_PATH - 14 || !::GetTempFileNameW(folder.c_str(), L"vtr", 0, temp)) return ::GetLastError();
  DWORD error = 0;
  {
    win::UniqueFileHandle file(::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) error = ::GetLastError();
    else error = WriteAll(file.get(), bytes);
  }
  if (error == 0 && !::MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    error = ::GetLastError();
  if (error != 0) ::DeleteFileW(temp);
  return error;
}

}  // namespace vantrel
