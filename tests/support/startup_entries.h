// Startup entries a test creates in the registry (either view) and in the startup folders, each put back when the
// test ends, pass or fail; and the contents of keys and folders to compare before and after a removal.
#pragma once

#include <windows.h>
// after windows.h
#include <shlobj.h>
#include <shobjidl.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "system/com_ptr.h"

namespace vantrel::testing {

inline const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const std::wstring kRunOnceEx = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
inline const std::wstring kSessionManager = L"System\\CurrentControlSet\\Control\\Session Manager";
inline const std::wstring kWinlogon = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

// Undo steps run in reverse order at the end, pass or fail.
class Undo {
 public:
  Undo() = default;
  Undo(const Undo&) = delete;
  Undo& operator=(const Undo&) = delete;
  ~Undo() {
    for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) (*it)();
  }
  void Add(std::function<void()> step) { steps_.push_back(std::move(step)); }

 private:
  std::vector<std::function<void()>> steps_;
};

// Creates the key level by level, removing afterwards each level this call created.
inline bool CreateKey(Undo& undo, HKEY root, const std::wstring& path, REGSAM view) {
  size_t pos = 0;
  while (pos != std::wstring::npos) {
    pos = path.find(L'\\', pos + 1);
    const std::wstring part = path.substr(0, pos);
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (::RegCreateKeyExW(root, part.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, &disposition) !=
        ERROR_SUCCESS)
      return false;
    ::RegCloseKey(key);
    if (disposition == REG_CREATED_NEW_KEY)
      undo.Add([root, part, view] { ::RegDeleteKeyExW(root, part.c_str(), view, 0); });
  }
  return true;
}

// Sets a value, putting back the earlier value (or its absence) afterwards.
inline bool SetValue(Undo& undo, HKEY root, const std::wstring& path, REGSAM view, const std::wstring& name,
                     DWORD type, const std::wstring& data) {
  if (!CreateKey(undo, root, path, view)) return false;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return false;
  DWORD oldType = 0, oldSize = 0;
  std::vector<BYTE> old;
  const bool existed = ::RegQueryValueExW(key, name.c_str(), nullptr, &oldType, nullptr, &oldSize) == ERROR_SUCCESS;
  if (existed) {
    old.resize(oldSize);
    ::RegQueryValueExW(key, name.c_str(), nullptr, &oldType, old.data(), &oldSize);
  }
  const LONG rc = ::RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
  undo.Add([=] {
    HKEY k = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | view, &k) != ERROR_SUCCESS) return;
    if (existed)
      ::RegSetValueExW(k, name.c_str(), 0, oldType, old.data(), static_cast<DWORD>(old.size()));
    else
      ::RegDeleteValueW(k, name.c_str());
    ::RegCloseKey(k);
  });
  return rc == ERROR_SUCCESS;
}

inline bool ValueExists(HKEY root, const std::wstring& path, REGSAM view, const std::wstring& name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  const bool exists = ::RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  ::RegCloseKey(key);
  return exists;
}

// Fails when the file is there already.
inline bool CreateEmptyFile(Undo& undo, const std::wstring& file) {
  HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(h);
  undo.Add([file] { ::DeleteFileW(file.c_str()); });
  return true;
}

// A file that is there already is someone else's: it is kept as it is.
inline bool CreateFileOnce(Undo& undo, const std::wstring& file) {
  if (::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  return CreateEmptyFile(undo, file);
}

inline bool CreateLink(Undo& undo, const std::wstring& file, const std::wstring& target, const std::wstring& args) {
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool ok = false;
  {
    win::ComPtr<IShellLinkW> link;
    win::ComPtr<IPersistFile> persist;
    ok = SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                      link.put_void())) &&
         SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(link->SetArguments(args.c_str())) &&
         SUCCEEDED(link->QueryInterface(IID_IPersistFile, persist.put_void())) &&
         SUCCEEDED(persist->Save(file.c_str(), TRUE));
  }
  ::CoUninitialize();
  undo.Add([file] { ::DeleteFileW(file.c_str()); });
  return ok;
}

// Every value of a key as "name=data" (data as raw UTF-16 text), in the given view.
inline std::set<std::wstring> KeyContents(HKEY root, const std::wstring& path, REGSAM view) {
  std::set<std::wstring> out;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return out;
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    BYTE data[4096];
    DWORD nameLen = 512, dataLen = sizeof data, type = 0;
    if (::RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data, &dataLen) != ERROR_SUCCESS) break;
    out.insert(std::wstring(name, nameLen) + L"=" +
               std::wstring(reinterpret_cast<wchar_t*>(data), dataLen / sizeof(wchar_t)));
  }
  ::RegCloseKey(key);
  return out;
}

inline std::set<std::wstring> FolderContents(const std::wstring& folder) {
  std::set<std::wstring> out;
  WIN32_FIND_DATAW found;
  HANDLE h = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return out;
  do out.insert(found.cFileName);
  while (::FindNextFileW(h, &found));
  ::FindClose(h);
  return out;
}

}  // namespace vantrel::testing
