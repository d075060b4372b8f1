// Prints a line of UTF-16 text as UTF-8 (the C runtime's %ls stops at the first non-ASCII character).
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace vantrel {

inline void PrintLine(const std::wstring& text) {
  const std::wstring line = L"  " + text + L"\n";
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr,
                                      nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), out.data(), n, nullptr, nullptr);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
}

}  // namespace vantrel
