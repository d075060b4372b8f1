// WMI instances as text: property records, value texts by CIM type, and the property lookup.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

struct InstanceProperty {
  std::wstring Name;
  std::wstring Value;
  bool IsArray = false;  // the value is an array; only arrays are split into elements
};
using InstanceProperties = std::vector<InstanceProperty>;
using WmiInstances = std::vector<InstanceProperties>;

// CIM type codes (without the array flag).
enum : int {
  kCimSint16 = 2,
  kCimSint32 = 3,
  kCimReal32 = 4,
  kCimReal64 = 5,
  kCimString = 8,
  kCimBoolean = 11,
  kCimObject = 13,
  kCimSint8 = 16,
  kCimUint8 = 17,
  kCimUint16 = 18,
  kCimUint32 = 19,
  kCimSint64 = 20,
  kCimUint64 = 21,
  kCimDateTime = 101,
  kCimReference = 102,
  kCimChar16 = 103,
};

// The text of a value: elements are the already converted texts of its element(s) (numbers in decimal, reals in
// the locale's form, strings as delivered, booleans "True"/"False"); a scalar has one element.
std::wstring WmiValueText(int cimType, bool isNull, bool isArray, const std::vector<std::wstring>& elements);

// The text of the named property (any case) of one instance; for an array of strings its element number
// elementIndex (from 0). Trimmed; empty when the instance or property does not exist.
std::wstring GetInstancePropValue(const WmiInstances& instances, std::wstring_view propName, int instanceIndex,
                                  int elementIndex);

// True when the text is a WQL statement rather than a class name.
bool IsWqlSelect(std::wstring_view query);

}  // namespace vantrel
