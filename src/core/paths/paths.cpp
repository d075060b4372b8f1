#include "core/paths/paths.h"

#include "core/os/ascii.h"

namespace vantrel {
namespace {

using detail::EqualsNoCase;
using detail::FindNoCase;
using detail::StartsWithNoCase;

constexpr std::wstring_view kX86 = L" (x86)";

// The probes of one command line: at most kMaxCommandLineProbes reach the file system, and a text no file can
// have (empty, or longer than any path) costs none.
class ProbeBudget {
 public:
  explicit ProbeBudget(const FileExistsFn& exists) : exists_(exists) {}
  bool Exists(const std::wstring& path) {
    if (path.empty() || path.size() > kMaxCommandLineChars || left_ <= 0) return false;
    --left_;
    return exists_(path);
  }
  bool Spent() const { return left_ <= 0; }

 private:
  const FileExistsFn& exists_;
  int left_ = kMaxCommandLineProbes;
};

// A leading run of tokens joined by blanks, grown one token at a time. It keeps the length of its path elements:
// once one is longer than a file system allows, no longer run names a file either.
class LeadingRun {
 public:
  void Append(std::wstring_view token) {
    if (tokens_++) {
      text_ += L' ';
      ++lastElement_;
    }
    for (wchar_t c : token) {
      if (c == L'\\' || c == L'/') {
        tooLong_ = tooLong_ || lastElement_ > kMaxPathElementChars;
        lastElement_ = 0;
      } else {
        ++lastElement_;
      }
    }
    text_ += token;
    tooLong_ = tooLong_ || lastElement_ > kMaxPathElementChars || text_.size() > kMaxCommandLineChars;
  }
  bool CanNameAFile() const { return !tooLong_; }
  const std::wstring& Text() const { return text_; }

 private:
  std::wstring text_;
  size_t tokens_ = 0;
  size_t lastElement_ = 0;
  bool tooLong_ = false;
};

// The shortest leading run of tokens that exists, or empty.
std::wstring ExistingLeadingRun(const std::vector<std::wstring>& tokens, ProbeBudget& probes) {
  LeadingRun run;
  for (const std::wstring& token : tokens) {
    run.Append(token);
    if (!run.CanNameAFile() || probes.Spent()) break;
    if (probes.Exists(run.Text())) return run.Text();
  }
  return {};
}

std::wstring JoinedByBlanks(const std::vector<std::wstring>& tokens) {
  std::wstring joined;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (i) joined += L' ';
    joined += tokens[i];
  }
  return joined;
}

bool NamesAFile(const std::wstring& text, ProbeBudget& probes) {
  return probes.Exists(text) || !ExistingLeadingRun(SplitCommaText(text), probes).empty();
}

// " (x86)" is dropped only when that turns a path that names nothing into one that names a file.
std::wstring WithoutX86WhenThatExists(std::wstring text, ProbeBudget& probes) {
  const size_t hit = FindNoCase(text, kX86);
  if (hit == std::wstring::npos) return text;
  std::wstring stripped = text;
  stripped.erase(hit, kX86.size());
  if (!NamesAFile(text, probes) && NamesAFile(stripped, probes)) return stripped;
  return text;
}

std::wstring Expand(std::wstring_view s, bool expandBackslashForm, const std::vector<std::wstring>& env,
                    ProbeBudget& probes) {
  std::wstring result(s);
  for (const std::wstring& line : env) {
    const size_t eq = line.find(L'=');
    if (eq == std::wstring::npos || eq == 0) continue;
    const std::wstring name = line.substr(0, eq);
    if (detail::Trim(name).empty()) continue;
    const std::wstring value = line.substr(eq + 1);

    const std::wstring percent = L"%" + name + L"%";
    size_t hit = FindNoCase(result, percent);
    size_t length = percent.size();
    if (hit == std::wstring::npos && expandBackslashForm) {
      // Only the kernel's "\SystemRoot\..." form: at the start (after an opening quote) and as a whole element, so
      // that "C:\Temp\x.exe" is never taken for "%TEMP%\x.exe".
      const size_t at = !result.empty() && result[0] == L'"' ? 1 : 0;
      const std::wstring backslash = L"\\" + name;
      const size_t after = at + backslash.size();
      if (StartsWithNoCase(std::wstring_view(result).substr(at), backslash) &&
          (after == result.size() || result[after] == L'\\' || result[after] == L'"')) {
        hit = at;
        length = backslash.size();
      }
    }
    if (hit == std::wstring::npos) continue;
    result.replace(hit, length, value);
    result = WithoutX86WhenThatExists(std::move(result), probes);
  }
  return result;
}

bool IsDriveRoot(std::wstring_view s) {
  if (s.size() < 2 || s[1] != L':') return false;
  const wchar_t c = s[0];
  return ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z')) && (s.size() == 2 || s[2] == L'\\');
}

}  // namespace

std::wstring Dequote(std::wstring_view s, wchar_t quote) {
  if (s.size() > 1 && s.front() == quote && s.back() == quote) return std::wstring(s.substr(1, s.size() - 2));
  return std::wstring(s);
}

std::vector<std::wstring> ParseEnvironmentBlock(std::wstring_view block) {
  std::vector<std::wstring> lines;
  size_t p = 0;
  while (p < block.size()) {
    size_t end = block.find(L'\0', p);
    if (end == std::wstring_view::npos) end = block.size();
    if (end == p) break;  // the empty entry that ends the block
    const std::wstring_view entry = block.substr(p, end - p);
    if (entry.front() != L'=') lines.emplace_back(entry);
    p = end + 1;
  }
  return lines;
}

std::wstring ExpandEnvVars(std::wstring_view s, bool expandBackslashForm, const std::vector<std::wstring>& env,
                           const FileExistsFn& exists) {
  ProbeBudget probes(exists);
  return Expand(s, expandBackslashForm, env, probes);
}

std::vector<std::wstring> SplitCommaText(std::wstring_view s) {
  std::vector<std::wstring> tokens;
  size_t p = 0;
  const size_t n = s.size();
  auto skipBlanks = [&] {
    while (p < n && s[p] <= L' ') ++p;
  };
  skipBlanks();
  while (p < n) {
    std::wstring token;
    if (s[p] == L'"') {
      ++p;
      while (p < n) {
        if (s[p] == L'"') {
          if (p + 1 < n && s[p + 1] == L'"') {
            token += L'"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        token += s[p++];
      }
    } else {
      while (p < n && s[p] > L' ' && s[p] != L',') token += s[p++];
    }
    tokens.push_back(std::move(token));
    skipBlanks();
    if (p < n && s[p] == L',') {
      if (p + 1 == n) tokens.emplace_back();
      ++p;
      skipBlanks();
    }
  }
  return tokens;
}

std::wstring ExtractFileFromCommandLine(std::wstring_view commandLine, const std::vector<std::wstring>& env,
                                        const FileExistsFn& exists) {
  ProbeBudget probes(exists);
  std::wstring expanded = Expand(commandLine.substr(0, kMaxCommandLineChars), true, env, probes);
  if (expanded.size() > kMaxCommandLineChars) expanded.resize(kMaxCommandLineChars);
  const std::vector<std::wstring> tokens = SplitCommaText(expanded);
  if (tokens.empty()) return {};
  std::wstring found = ExistingLeadingRun(tokens, probes);
  return found.empty() ? JoinedByBlanks(tokens) : found;
}

std::wstring DevicePathToDosPrefix(std::wstring_view path, const DriveLetterMap& driveMap) {
  // Object-manager and Win32 long forms of a drive path.
  for (std::wstring_view dosPrefix : {std::wstring_view(L"\\??\\"), std::wstring_view(L"\\\\?\\")}) {
    if (!path.starts_with(dosPrefix)) continue;
    const std::wstring_view rest = path.substr(dosPrefix.size());
    if (IsDriveRoot(rest)) return std::wstring(rest);
    if (StartsWithNoCase(rest, L"UNC\\")) return L"\\\\" + std::wstring(rest.substr(4));
  }
  for (const DriveQueryData& drive : driveMap) {
    const size_t len = drive.DiskDosQuery.size();
    if (drive.DosQueryLen <= 0 || len == 0 || !StartsWithNoCase(path, drive.DiskDosQuery)) continue;
    // "\Device\HarddiskVolume1" must not take "\Device\HarddiskVolume10\...".
    if (path.size() != len && path[len] != L'\\') continue;
    return drive.DiskLabel + std::wstring(path.substr(len));
  }
  return std::wstring(path);
}

std::wstring LongPathForm(std::wstring_view fullPath) {
  if (fullPath.starts_with(L"\\\\?\\")) return std::wstring(fullPath);
  if (fullPath.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + std::wstring(fullPath.substr(2));
  return L"\\\\?\\" + std::wstring(fullPath);
}

std::wstring SearchPathText(std::wstring_view winDir, std::wstring_view sysDir) {
  return std::wstring(winDir) + L";" + std::wstring(sysDir) + L";";
}

}  // namespace vantrel
