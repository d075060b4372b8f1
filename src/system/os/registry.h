// The library's one kind of registry access: read-only, and the 64-bit view for a 32-bit process on 64-bit Windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "system/raii.h"

namespace vantrel {

class RegistryKey {
 public:
  RegistryKey() = default;
  // Opens root\path for reading; false when it cannot be opened.
  bool OpenKeyReadOnly(HKEY root, const std::wstring& path);
  bool IsOpen() const { return static_cast<bool>(key_); }
  HKEY Key() const { return key_.get(); }
  bool ValueExists(const std::wstring& name) const;
  // The raw bytes and type of a value; false when it is missing or larger than maxBytes.
  bool ReadRaw(const std::wstring& name, DWORD& type, std::vector<BYTE>& data, DWORD maxBytes = 1 << 20) const;
  // A REG_SZ/REG_EXPAND_SZ value without expansion; empty when missing.
  std::wstring ReadString(const std::wstring& name) const;
  std::vector<std::wstring> SubKeyNames() const;
  bool HasSubKeys() const;

 private:
  win::UniqueRegKey key_;
};

// KEY_READ, plus KEY_WOW64_64KEY in a 32-bit process on 64-bit Windows.
REGSAM RegistryReadAccess();

// A value of the open key as text (REG_SZ, REG_EXPAND_SZ expanded in the backslash form too, REG_DWORD,
// small REG_BINARY); empty for anything else or a missing value.
std::wstring ReadRegValueAsText(const RegistryKey& registry, const std::wstring& valueName);

// Deletes a value in the 64-bit view; false when the key cannot be opened or the value not deleted.
bool DeleteRegValue(HKEY root, const std::wstring& keyName, const std::wstring& valueName);

}  // namespace vantrel
