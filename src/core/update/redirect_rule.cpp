#include "core/update/redirect_rule.h"

#include <cwctype>

namespace vantrel {
namespace {

struct Origin {
  std::wstring scheme;     // "http" or "https", lower case
  std::wstring authority;  // host[:port], lower case, the default port dropped
  std::wstring path;       // from the first "/", "/" when none
};

std::wstring Lower(std::wstring_view s) {
  std::wstring out(s);
  for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(c));
  return out;
}

std::optional<Origin> ParseAbsolute(std::wstring_view url) {
  const size_t sep = url.find(L"://");
  if (sep == std::wstring_view::npos) return std::nullopt;
  Origin o;
  o.scheme = Lower(url.substr(0, sep));
  if (o.scheme != L"http" && o.scheme != L"https") return std::nullopt;
  std::wstring_view rest = url.substr(sep + 3);
  const size_t end = rest.find_first_of(L"/?#");
  std::wstring_view authority = rest.substr(0, end);
  // Credentials in the address would be sent to whoever the page names.
  if (authority.empty() || authority.find(L'@') != std::wstring_view::npos ||
      authority.find(L'\\') != std::wstring_view::npos)
    return std::nullopt;
  o.authority = Lower(authority);
  const std::wstring defaultPort = o.scheme == L"https" ? L":443" : L":80";
  if (o.authority.size() > defaultPort.size() &&
      o.authority.compare(o.authority.size() - defaultPort.size(), defaultPort.size(), defaultPort) == 0)
    o.authority.resize(o.authority.size() - defaultPort.size());
  o.path = end == std::wstring_view::npos ? L"/" : std::wstring(rest.substr(end));
  if (o.path.front() != L'/') o.path.insert(0, L"/");
  return o;
}

}  // namespace

std::optional<std::wstring> FollowRedirect(std::wstring_view current, std::wstring_view location) {
  const std::optional<Origin> from = ParseAbsolute(current);
  if (!from || location.empty()) return std::nullopt;
  const std::wstring base = from->scheme + L"://" + from->authority;
  if (location.substr(0, 2) == L"//") return FollowRedirect(current, from->scheme + L":" + std::wstring(location));
  if (location.find(L"://") == std::wstring_view::npos) {
    if (location.front() == L'/') return base + std::wstring(location);
    // Relative to the folder of the current page (its query dropped).
    std::wstring folder = from->path.substr(0, from->path.find_first_of(L"?#"));
    folder.resize(folder.rfind(L'/') + 1);
    return base + folder + std::wstring(location);
  }
  const std::optional<Origin> to = ParseAbsolute(location);
  if (!to || to->authority != from->authority) return std::nullopt;
  if (from->scheme == L"https" && to->scheme != L"https") return std::nullopt;
  return to->scheme + L"://" + to->authority + to->path;
}

}  // namespace vantrel
