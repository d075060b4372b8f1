// Command-line switches: a word that starts with '-', '/' or '\' followed by the switch name, any case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

enum class Switch { NUC, AUTO, TREE, SES, PERF, MAX, CPUICON, HIDE, DEBUG, Help };

class CommandLineSwitches {
 public:
  CommandLineSwitches() = default;
  // Words after the program name.
  explicit CommandLineSwitches(const std::vector<std::wstring>& words);

  bool Has(Switch s) const { return (bits_ & Bit(s)) != 0; }

 private:
  static unsigned Bit(Switch s) { return 1u << static_cast<unsigned>(s); }
  unsigned bits_ = 0;
};

// Splits a Windows command line into words the way CommandLineToArgvW does (quotes, backslashes before
// quotes); the first word is the program. Portable so that it can be tested without Windows.
std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine);

// The help box text: the eight documented switch lines joined by CR LF.
std::wstring CommandLineHelpText();

}  // namespace vantrel
