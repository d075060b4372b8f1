#include "core/update/web_update.h"

#include <charconv>
#include <limits>
#include <vector>

#include "core/update/redirect_rule.h"

namespace vantrel::update {
namespace {

constexpr size_t kValueWindow = 255;  // a tag name or value ends within this many characters

wchar_t AsciiUpper(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c; }

bool StartsWithNoCase(std::wstring_view s, std::wstring_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (AsciiUpper(s[i]) != AsciiUpper(prefix[i])) return false;
  return true;
}

size_t FindNoCase(std::wstring_view s, std::wstring_view what) {
  for (size_t i = 0; i + what.size() <= s.size(); ++i)
    if (StartsWithNoCase(s.substr(i), what)) return i;
  return std::wstring_view::npos;
}

// The text from start up to the next double quote within the window; nothing when no quote closes it there.
std::optional<std::wstring_view> Quoted(std::wstring_view line, size_t start) {
  if (start > line.size()) return std::nullopt;
  const std::wstring_view rest = line.substr(start, kValueWindow + 1);
  const size_t end = rest.find(L'"');
  if (end == std::wstring_view::npos) return std::nullopt;
  return rest.substr(0, end);
}

std::vector<std::wstring_view> Lines(std::wstring_view text) {
  std::vector<std::wstring_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'\r' && text[i] != L'\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::optional<double> ParseNumber(std::wstring_view text) {
  std::string narrow;
  for (wchar_t c : text) {
    if (c > 0x7F) return std::nullopt;
    narrow += static_cast<char>(c);
  }
  if (narrow.empty()) return std::nullopt;
  double value = 0;
  const auto [end, ec] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
  if (ec != std::errc() || end != narrow.data() + narrow.size()) return std::nullopt;
  return value;
}

void AppendCodePoint(std::wstring& out, char32_t cp) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (cp >> 10));
      out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
      return;
    }
  }
  out += static_cast<wchar_t>(cp);
}

}  // namespace

std::wstring ExtractContent(std::wstring_view line) {
  constexpr std::wstring_view kContent = L"CONTENT=";
  const size_t a = FindNoCase(line, kContent);
  // Without CONTENT= there is no value (never the start of the line); the opening quote must follow directly.
  if (a == std::wstring_view::npos) return {};
  const size_t quote = a + kContent.size();
  if (quote >= line.size() || line[quote] != L'"') return {};
  const auto value = Quoted(line, quote + 1);
  return value ? std::wstring(*value) : std::wstring();
}

UpdateInfo ParseUpdateInfo(std::wstring_view page, const UpdateTagNames& tags) {
  UpdateInfo info;
  const std::pair<const std::wstring*, std::wstring*> fields[] = {
      {&tags.Author, &info.Author},
      {&tags.Email, &info.EMail},
      {&tags.ClientFileName, &info.ClientFileName},
      {&tags.Download, &info.UpdateURL},
      {&tags.ProductName, &info.ProductName},
      {&tags.Redirection, &info.RedirectionURL},
      {&tags.RunParameters, &info.RunParameters},
      {&tags.Version, &info.ProductVersion},
      {&tags.MD5, &info.MD5},
  };
  constexpr std::wstring_view kMetaName = L"META NAME=\"";
  for (std::wstring_view line : Lines(page)) {
    const size_t p = line.find(L"META NAME");
    if (p == std::wstring_view::npos) continue;
    const auto tag = Quoted(line, p + kMetaName.size());
    if (!tag || tag->empty()) continue;
    for (const auto& [name, field] : fields)
      if (*name == *tag) *field = ExtractContent(line);
  }
  return info;
}

int64_t VersionComponent(std::wstring_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  if (i == text.size()) return 0;
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') return 0;
    const int digit = text[i] - L'0';
    value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
  }
  return negative ? -value : value;
}

VersionOrder CompareVersions(std::wstring_view running, std::wstring_view published, VersionFormat format) {
  switch (format) {
    case VersionFormat::Standard: {
      std::wstring_view c = running, n = published;
      for (;;) {
        const size_t a = c.find(L'.'), b = n.find(L'.');
        const int64_t cv = VersionComponent(c.substr(0, a)), nv = VersionComponent(n.substr(0, b));
        if (cv < nv) return VersionOrder::Newer;
        if (nv < cv) return VersionOrder::Older;
        if (a == std::wstring_view::npos) return VersionOrder::Same;  // the running version's parts are used up
        c.remove_prefix(a + 1);
        if (b != std::wstring_view::npos) n.remove_prefix(b + 1);
      }
    }
    case VersionFormat::String: {
      const int order = published.compare(running);
      return order > 0 ? VersionOrder::Newer : order < 0 ? VersionOrder::Older : VersionOrder::Same;
    }
    case VersionFormat::Number: {
      const auto c = ParseNumber(running), n = ParseNumber(published);
      if (!c || !n) return VersionOrder::Unknown;
      return *c < *n ? VersionOrder::Newer : *n < *c ? VersionOrder::Older : VersionOrder::Same;
    }
  }
  return VersionOrder::Unknown;
}

SplitUrl SplitURL(std::wstring_view url) {
  SplitUrl split;
  if (StartsWithNoCase(url, L"http://")) {
    url.remove_prefix(7);
  } else if (StartsWithNoCase(url, L"https://")) {
    url.remove_prefix(8);
    split.Secure = true;
  }
  const size_t slash = url.find(L'/');
  if (slash == std::wstring_view::npos) {
    split.Path = url;
    return split;
  }
  std::wstring_view server = url.substr(0, slash);
  split.Path = url.substr(slash);
  const size_t colon = server.rfind(L':');
  if (colon != std::wstring_view::npos) {
    const int64_t port = VersionComponent(server.substr(colon + 1));
    if (port > 0 && port <= 0xFFFF &&
        server.substr(colon + 1).find_first_not_of(L"0123456789") == std::wstring_view::npos) {
      split.Port = static_cast<uint16_t>(port);
      server = server.substr(0, colon);
    }
  }
  split.Server = server;
  return split;
}

std::wstring NormalizeProductUrl(std::wstring_view url) {
  if (StartsWithNoCase(url, L"http://") || StartsWithNoCase(url, L"https://")) return std::wstring(url);
  return L"http://" + std::wstring(url);
}

RequestTarget ResolveRequest(std::wstring_view url, std::wstring_view productUrl, uint16_t defaultPort) {
  SplitUrl split = SplitURL(url);
  if (split.Server.empty()) {
    const SplitUrl base = SplitURL(productUrl);
    split.Server = base.Server;
    split.Port = base.Port;
  }
  // The secure flag follows the whole address, as the lower-cased "https://" test does.
  bool secure = FindNoCase(url, L"https://") != std::wstring_view::npos;
  uint16_t port = split.Port;
  if (port == 0) port = (secure && defaultPort == 80) ? 443 : defaultPort;
  return {split.Server, split.Path.empty() ? L"/" : split.Path, port, secure};
}

std::optional<std::wstring> DecodeUtf8(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::wstring out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80) {
      out += static_cast<wchar_t>(b0);
      ++i;
      continue;
    }
    size_t length;
    char32_t cp, minimum;
    if ((b0 & 0xE0) == 0xC0) {
      length = 2, cp = b0 & 0x1F, minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
      length = 3, cp = b0 & 0x0F, minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
      length = 4, cp = b0 & 0x07, minimum = 0x10000;
    } else {
      return std::nullopt;
    }
    if (i + length > bytes.size()) return std::nullopt;
    for (size_t k = 1; k < length; ++k) {
      const auto b = static_cast<unsigned char>(bytes[i + k]);
      if ((b & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    AppendCodePoint(out, cp);
    i += length;
  }
  return out;
}

bool IsShowableVersion(std::wstring_view version) {
  if (version.empty() || version.size() > kMaxShownVersionLength) return false;
  for (const wchar_t c : version)
    if (c != L'.' && (c < L'0' || c > L'9')) return false;
  return true;
}

UpdateOutcome RunUpdateCheck(const std::wstring& productUrl, const std::wstring& runningVersion, VersionFormat format,
                             const UpdateTagNames& tags, const FetchFn& fetch) {
  UpdateOutcome outcome;
  outcome.RunningVersion = runningVersion;
  std::wstring url = productUrl;
  for (;;) {
    const FetchResult fetched = fetch(url);
    if (fetched.Result == FetchResult::Kind::Failed) {
      outcome.DownloadError = fetched.Text;
      return outcome;
    }
    std::wstring next;
    if (fetched.Result == FetchResult::Kind::Redirect) {
      next = fetched.Text;
    } else {
      outcome.Info = ParseUpdateInfo(fetched.Text, tags);
      next = outcome.Info.RedirectionURL;
    }
    if (next.empty()) break;
    // One redirection past the limit fails like a page without information.
    if (++outcome.Redirections > kMaxRedirections) {
      outcome.DownloadError = kEmptyInfo;
      return outcome;
    }
    std::optional<std::wstring> followed = FollowRedirect(url, next);
    if (!followed) {
      outcome.DownloadError = kRedirectRefused;
      return outcome;
    }
    url = std::move(*followed);
  }
  if (outcome.Info.ProductName.empty() || outcome.Info.ProductVersion.empty()) {
    outcome.DownloadError = kEmptyInfo;
    return outcome;
  }
  switch (CompareVersions(runningVersion, outcome.Info.ProductVersion, format)) {
    case VersionOrder::Newer:
      if (IsShowableVersion(outcome.Info.ProductVersion)) outcome.Verdict = UpdateVerdict::Newer;
      else outcome.DownloadError = kUnshowableVersion;
      break;
    case VersionOrder::Same: outcome.Verdict = UpdateVerdict::Same; break;
    case VersionOrder::Older: outcome.Verdict = UpdateVerdict::Older; break;
    case VersionOrder::Unknown: outcome.DownloadError = kNotComparable; break;
  }
  return outcome;
}

std::wstring UpdatePromptText(std::wstring_view newVersion) {
  return L"新的 " + std::wstring(newVersion) + L" 版本可用。\r\n你想下载它吗?";
}

}  // namespace vantrel::update
