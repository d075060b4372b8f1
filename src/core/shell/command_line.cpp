#include "core/shell/command_line.h"

#include <array>

namespace vantrel {
namespace {

struct SwitchName {
  Switch id;
  std::wstring_view name;
};

constexpr std::array<SwitchName, 10> kSwitches{{
    {Switch::NUC, L"NUC"},
    {Switch::AUTO, L"AUTO"},
    {Switch::TREE, L"TREE"},
    {Switch::SES, L"SES"},
    {Switch::PERF, L"PERF"},
    {Switch::MAX, L"MAX"},
    {Switch::CPUICON, L"CPUICON"},
    {Switch::HIDE, L"HIDE"},
    {Switch::DEBUG, L"DEBUG"},
    {Switch::Help, L"?"},
}};

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    wchar_t x = a[i], y = b[i];
    if (x >= L'a' && x <= L'z') x = static_cast<wchar_t>(x - L'a' + L'A');
    if (y >= L'a' && y <= L'z') y = static_cast<wchar_t>(y - L'a' + L'A');
    if (x != y) return false;
  }
  return true;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

CommandLineSwitches::CommandLineSwitches(const std::vector<std::wstring>& words) {
  for (const std::wstring& word : words) {
    if (word.size() < 2) continue;
    if (word[0] != L'-' && word[0] != L'/' && word[0] != L'\\') continue;
    const std::wstring_view name = std::wstring_view(word).substr(1);
    for (const SwitchName& s : kSwitches) {
      if (EqualsIgnoringAsciiCase(name, s.name)) bits_ |= Bit(s.id);
    }
  }
}

std::vector<std::wstring> SplitCommandLine(std::wstring_view line) {
  std::vector<std::wstring> words;
  size_t i = 0;
  const size_t n = line.size();

  // The program name: quoted up to the next quote, else up to the first blank; no escapes.
  std::wstring program;
  if (i < n && line[i] == L'"') {
    ++i;
    while (i < n && line[i] != L'"') program += line[i++];
    if (i < n) ++i;
  } else {
    while (i < n && !IsBlank(line[i])) program += line[i++];
  }
  words.push_back(program);

  for (;;) {
    while (i < n && IsBlank(line[i])) ++i;
    if (i >= n) break;
    std::wstring word;
    bool quoted = false;
    while (i < n && (quoted || !IsBlank(line[i]))) {
      if (line[i] == L'\\') {
        size_t slashes = 0;
        while (i < n && line[i] == L'\\') ++slashes, ++i;
        if (i < n && line[i] == L'"') {
          word.append(slashes / 2, L'\\');
          if (slashes % 2) {
            word += L'"';
            ++i;
          }
        } else {
          word.append(slashes, L'\\');
        }
      } else if (line[i] == L'"') {
        if (quoted && i + 1 < n && line[i + 1] == L'"') {  // "" inside quotes is a literal quote
          word += L'"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        word += line[i++];
      }
    }
    words.push_back(std::move(word));
  }
  return words;
}

std::wstring CommandLineHelpText() {
  return L"/NUC ....... 启动时不检查更新\r\n"
         L"/AUTO ...... 切换自动刷新\r\n"
         L"/TREE ...... 显示进程树\r\n"
         L"/SES ....... 启动后显示会话页面\r\n"
         L"/PERF ...... 启动后显示性能页面\r\n"
         L"/MAX ....... 启动后最大化窗口\r\n"
         L"/CPUICON ... 在托盘图标显示 CPU 使用率\r\n"
         L"/HIDE ...... 启动时隐藏（仅托盘图标可见）";
}

}  // namespace vantrel
