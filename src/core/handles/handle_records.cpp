#include "core/handles/handle_records.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "core/text/char_fold.h"
#include "core/text/str_utils.h"

namespace vantrel {
namespace {

template <typename T>
T Load(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

uint64_t LoadPointer(const uint8_t* p, bool is64) { return is64 ? Load<uint64_t>(p) : Load<uint32_t>(p); }

constexpr std::array<const wchar_t*, 30> kTypeNames = {
    L"Unknown",    L"Type",      L"Directory",    L"Symbolic Link",  L"Token",         L"Process",
    L"Thread",     L"Job",       L"Debug Object", L"Event",          L"Event Pair",    L"Mutant",
    L"Callback",   L"Semaphore", L"Timer",        L"Profile",        L"Keyed Event",   L"Window Station",
    L"Desktop",    L"Section",   L"Key",          L"Port",           L"Waitable Port", L"Adapter",
    L"Controller", L"Device",    L"Driver",       L"I/O Completion", L"File",          L"WMI GUID"};

bool SameText(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (text_detail::FoldSimple(a[i]) != text_detail::FoldSimple(b[i])) return false;
  return true;
}

// Replaces the first occurrence of from (any case) by to.
void ReplaceFirst(std::wstring& s, std::wstring_view from, std::wstring_view to) {
  const int pos = PosText(from, s);
  if (pos > 0) s.replace(static_cast<size_t>(pos - 1), from.size(), to);
}

}  // namespace

bool ParseHandleTable(const uint8_t* data, size_t size, HandleTableLayout layout, bool is64,
                      std::vector<HandleTableEntry>& out) {
  out.clear();
  const size_t ptr = is64 ? 8 : 4;
  // Extended: count, reserved (pointer-sized each). Legacy: a 32-bit count padded to the entries' alignment.
  const size_t header = layout == HandleTableLayout::Extended ? 2 * ptr : ptr;
  // Extended: object, pid, handle (pointers), access, back-trace index, type index, attributes, reserved.
  // Legacy: pid (16), back-trace (16), type (8), attributes (8), handle (16), object (pointer), access (32).
  const size_t entry = layout == HandleTableLayout::Extended ? 3 * ptr + 16 : (is64 ? 24 : 16);
  if (!data || size < header) return false;
  const uint64_t count = layout == HandleTableLayout::Extended ? LoadPointer(data, is64) : Load<uint32_t>(data);
  if (count > (size - header) / entry) return false;
  out.reserve(static_cast<size_t>(count));
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = data + header + i * entry;
    HandleTableEntry t;
    if (layout == HandleTableLayout::Extended) {
      t.PID = LoadPointer(e + ptr, is64);
      t.Handle = LoadPointer(e + 2 * ptr, is64);
      t.Access = Load<uint32_t>(e + 3 * ptr);
      t.TypeIndex = Load<uint16_t>(e + 3 * ptr + 6);
    } else {
      t.PID = Load<uint16_t>(e);
      t.TypeIndex = e[4];
      t.Handle = Load<uint16_t>(e + 6);
      t.Access = Load<uint32_t>(e + 8 + ptr);
    }
    out.push_back(t);
  }
  return true;
}

size_t NextHandleTableSize(size_t current, size_t reported) {
  if (current >= kHandleTableMaxBytes) return 0;
  const size_t doubled = current > kHandleTableMaxBytes / 2 ? kHandleTableMaxBytes : 2 * current;
  const size_t asked = reported > kHandleTableMaxBytes ? kHandleTableMaxBytes : reported + reported / 4;
  return std::min(std::max(doubled, asked), kHandleTableMaxBytes);
}

std::wstring ObjectTypeName(unsigned typ) {
  if (typ < kTypeNames.size()) return kTypeNames[typ];
  return L"Unknown type " + std::to_wstring(typ);
}

uint16_t DispatchTypeNumber(std::wstring_view typeName, uint16_t typ) {
  static constexpr std::pair<const wchar_t*, uint16_t> kDispatch[] = {
      {L"File", kTypFile},       {L"Thread", kTypThread}, {L"Process", kTypProcess},     {L"Token", kTypToken},
      {L"Section", kTypSection}, {L"Job", kTypJob},       {L"Directory", kTypDirectory}, {L"Key", kTypKey}};
  for (const auto& [name, number] : kDispatch)
    if (SameText(typeName, name)) return number;
  return typ;
}

std::wstring ProcessHandleName(uint64_t pid) { return L"PID: " + std::to_wstring(pid); }

std::wstring ThreadHandleName(uint64_t tid, uint64_t pid) {
  return L"TID: " + std::to_wstring(tid) + L" (PID: " + std::to_wstring(pid) + L")";
}

std::wstring RegistryKeyName(std::wstring_view kernelName) {
  std::wstring s(kernelName);
  ReplaceFirst(s, L"\\REGISTRY\\MACHINE", L"HKLM");
  ReplaceFirst(s, L"\\REGISTRY\\USER", L"HKU");
  return s;
}

void ApplyObjectName(HandleRecord& record, std::wstring_view name) {
  if (name.empty()) return;
  record.Name = name;
  if (record.Typ != kTypKey && PosText(L"\\REGISTRY\\", name) == 1) {
    record.Typ = kTypKey;
    record.TypeName = ObjectTypeName(kTypKey);
  }
  if (record.Typ == kTypKey) record.Name = RegistryKeyName(record.Name);
}

std::wstring FileNameInformationText(const uint8_t* data, size_t size) {
  if (!data || size < 4) return {};
  const size_t claimed = Load<uint32_t>(data);
  const size_t bytes = std::min(claimed, size - 4) & ~size_t{1};
  // UTF-16 units, whatever the size of wchar_t where this runs.
  std::wstring s(bytes / 2, L'\0');
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<wchar_t>(Load<uint16_t>(data + 4 + 2 * i));
  return s;
}

std::wstring ChooseFileName(std::wstring_view objectName, std::wstring_view fileInformationName) {
  // The object name ends at its first NUL, as the counted string's buffer may carry one.
  const std::wstring_view object = objectName.substr(0, objectName.find(L'\0'));
  return std::wstring(object.empty() ? fileInformationName : object);
}

std::wstring HandleValueText(uint64_t handle) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%8.8llx", static_cast<unsigned long long>(handle));
  return std::wstring(buf, buf + std::strlen(buf));
}

std::wstring HandleCellText(const HandleRecord& record, int column) {
  switch (column) {
    case Index(HandleColumn::Type): return record.TypeName;
    case Index(HandleColumn::Name): return record.Name;
    case Index(HandleColumn::Handle): return HandleValueText(record.Handle);
    default: return {};
  }
}

std::wstring HandlesCaption(size_t rows) { return L" 句柄 (" + std::to_wstring(rows) + L") "; }

void SlowFileNames::TimedOut(const Key& key) {
  if (slow_.size() >= kMaxRemembered) slow_.clear();  // a rare full set is forgotten, never grown
  slow_.insert(key);
  stuck_.insert(key);
}

}  // namespace vantrel
