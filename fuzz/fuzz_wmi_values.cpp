// WMI values as text on arbitrary element texts and property records: an array of strings joined with "|" gives each
// element back by its number, a lookup never reads past the instances, and a statement check on any text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/os/ascii.h"
#include "core/wmi/wmi_values.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const int cimType = data[0] % 110;
  const bool isNull = data[1] & 1, isArray = data[1] & 2;
  const int instanceIndex = static_cast<int>(data[2] % 4) - 1;
  const int elementIndex = static_cast<int>(data[3] % 8) - 1;
  // The rest: element texts separated by 0, from a small alphabet with the separators and blanks likely.
  static const wchar_t kAlphabet[] = L"|; \tabAB0记";
  std::vector<std::wstring> elements(1);
  for (size_t i = 4; i < size; ++i) {
    if (data[i] == 0) elements.emplace_back();
    else elements.back() += kAlphabet[data[i] % (sizeof(kAlphabet) / sizeof(kAlphabet[0]) - 1)];
  }
  const std::wstring text = vantrel::WmiValueText(cimType, isNull, isArray, elements);
  if (isNull && text != L"NULL") __builtin_trap();

  const std::wstring joined = vantrel::WmiValueText(vantrel::kCimString, false, true, elements);
  const vantrel::WmiInstances instances{{{L"Name", L"x", false}, {L"Caption", joined, true}}, {}};
  const std::wstring found = vantrel::GetInstancePropValue(instances, L"cAPTION", instanceIndex, elementIndex);
  if (instanceIndex != 0 && !found.empty()) __builtin_trap();
  // Elements that are separate words come back by their number.
  bool words = elements.size() > 1;
  for (const std::wstring& e : elements) words = words && !e.empty() && e.find(L'|') == std::wstring::npos;
  if (words && instanceIndex == 0 && elementIndex >= 0) {
    const std::wstring expected = static_cast<size_t>(elementIndex) < elements.size()
                                      ? vantrel::detail::Trim(elements[static_cast<size_t>(elementIndex)])
                                      : std::wstring();
    if (found != expected) __builtin_trap();
  }
  (void)vantrel::IsWqlSelect(elements.front());
  return 0;
}
