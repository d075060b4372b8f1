#include "core/wmi/wmi_values.h"

#include "core/os/ascii.h"

namespace vantrel {
namespace {

std::wstring Join(const std::vector<std::wstring>& parts, wchar_t sep) {
  std::wstring s;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) s += sep;
    s += parts[i];
  }
  return s;
}

// Word number n (from 1) between separators; runs of separators count as one.
std::wstring ExtractWord(int n, std::wstring_view s, wchar_t sep) {
  int index = 0;
  size_t p = 0;
  while (p < s.size()) {
    while (p < s.size() && s[p] == sep) ++p;
    if (p >= s.size()) break;
    size_t e = p;
    while (e < s.size() && s[e] != sep) ++e;
    if (++index == n) return std::wstring(s.substr(p, e - p));
    p = e;
  }
  return {};
}

}  // namespace

std::wstring WmiValueText(int cimType, bool isNull, bool isArray, const std::vector<std::wstring>& elements) {
  if (isNull) return L"NULL";
  switch (cimType) {
    case kCimSint8:
    case kCimUint8:
    case kCimSint16:
    case kCimUint16:
    case kCimSint32:
    case kCimUint32:
    case kCimSint64: return isArray ? Join(elements, L';') : (elements.empty() ? L"" : elements.front());
    case kCimReal32:
    case kCimReal64:
    case kCimDateTime:
    case kCimReference: return elements.empty() ? L"" : elements.front();
    case kCimString:
    case kCimUint64: return isArray ? Join(elements, L'|') : (elements.empty() ? L"" : elements.front());
    case kCimBoolean: return elements.empty() ? L"" : elements.front();
    case kCimObject: return L"<CIM Object>";
    case kCimChar16: return L"<16-bit character>";
    default: return {};
  }
}

std::wstring GetInstancePropValue(const WmiInstances& instances, std::wstring_view propName, int instanceIndex,
                                  int elementIndex) {
  if (instanceIndex < 0 || static_cast<size_t>(instanceIndex) >= instances.size()) return {};
  for (const InstanceProperty& p : instances[static_cast<size_t>(instanceIndex)]) {
    if (!detail::EqualsNoCase(p.Name, propName)) continue;
    if (p.IsArray && p.Value.find(L'|') != std::wstring::npos)
      return detail::Trim(elementIndex < 0 ? std::wstring() : ExtractWord(elementIndex + 1, p.Value, L'|'));
    return detail::Trim(p.Value);
  }
  return {};
}

bool IsWqlSelect(std::wstring_view query) { return detail::StartsWithNoCase(detail::Trim(query), L"SELECT"); }

}  // namespace vantrel
