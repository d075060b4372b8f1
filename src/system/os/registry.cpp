#include "system/os/registry.h"

#include "core/os/registry_text.h"
#include "system/os/file_version.h"

namespace vantrel {

REGSAM RegistryReadAccess() {
  BOOL wow64 = FALSE;
  ::IsWow64Process(::GetCurrentProcess(), &wow64);
  return KEY_READ | (wow64 ? KEY_WOW64_64KEY : 0);
}

bool RegistryKey::OpenKeyReadOnly(HKEY root, const std::wstring& path) {
  static const REGSAM access = RegistryReadAccess();
  key_.reset();
  std::wstring p = path;
  while (!p.empty() && p.front() == L'\\') p.erase(0, 1);
  return ::RegOpenKeyExW(root, p.c_str(), 0, access, key_.put()) == ERROR_SUCCESS;
}

bool RegistryKey::ValueExists(const std::wstring& name) const {
  return key_ && ::RegQueryValueExW(key_.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool RegistryKey::ReadRaw(const std::wstring& name, DWORD& type, std::vector<BYTE>& data, DWORD maxBytes) const {
  data.clear();
  if (!key_) return false;
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = 0;
    if (::RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (size > maxBytes) return false;
    data.resize(size);
    const LONG rc = ::RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, data.data(), &size);
    if (rc == ERROR_MORE_DATA) continue;  // grew in between
    if (rc != ERROR_SUCCESS) return false;
    data.resize(size);
    return true;
  }
  return false;
}

std::wstring RegistryKey::ReadString(const std::wstring& name) const {
  DWORD type = 0;
  std::vector<BYTE> data;
  if (!ReadRaw(name, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  return RegValueBytesToText(kRegSz, data.data(), data.size(), nullptr);
}

std::vector<std::wstring> RegistryKey::SubKeyNames() const {
  std::vector<std::wstring> names;
  if (!key_) return names;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD len = static_cast<DWORD>(std::size(name));
    const LONG rc = ::RegEnumKeyExW(key_.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;  // a name longer than any valid key name: skip it
    if (rc != ERROR_SUCCESS) break;
    names.emplace_back(name, len);
  }
  return names;
}

bool RegistryKey::HasSubKeys() const {
  DWORD count = 0;
  return key_ &&
         ::RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS &&
         count > 0;
}

std::wstring ReadRegValueAsText(const RegistryKey& registry, const std::wstring& valueName) {
  DWORD type = 0;
  std::vector<BYTE> data;
  if (!registry.ReadRaw(valueName, type, data)) return {};
  return RegValueBytesToText(type, data.data(), data.size(),
                             [](const std::wstring& s) { return ExpandEnvVars(s, true); });
}

bool DeleteRegValue(HKEY root, const std::wstring& keyName, const std::wstring& valueName) {
  win::UniqueRegKey key;
  if (::RegOpenKeyExW(root, keyName.c_str(), 0, KEY_WRITE | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS) return false;
  return ::RegDeleteValueW(key.get(), valueName.c_str()) == ERROR_SUCCESS;
}

}  // namespace vantrel
