// Where a redirection of the update check may lead: the same host and port, never from https down to http. A
// relative address keeps the scheme, host and port of the page that named it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

inline constexpr std::wstring_view kRedirectRefused = L"redirect refused";

// The absolute address to fetch next, or nothing when the redirection leaves the host or drops https. current is
// the absolute address just fetched; location what the page or the server named.
std::optional<std::wstring> FollowRedirect(std::wstring_view current, std::wstring_view location);

}  // namespace vantrel
