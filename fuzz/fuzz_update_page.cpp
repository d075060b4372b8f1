// The update page's decoding, META parsing, address rules, redirections and version comparisons on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/update/redirect_rule.h"
#include "core/update/web_update.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vantrel::update;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::wstring text;
  if (auto decoded = DecodeUtf8(bytes)) {
    text = *decoded;
  } else {
    for (unsigned char c : bytes) text += static_cast<wchar_t>(c);
  }
  const UpdateInfo info = ParseUpdateInfo(text, UpdateTagNames{});
  for (const std::wstring* value : {&info.ProductVersion, &info.RedirectionURL, &info.ProductName})
    if (value->size() > 255) __builtin_trap();
  const std::wstring_view half(text.data(), text.size() / 2);
  const std::wstring_view rest(text.data() + half.size(), text.size() - half.size());
  for (auto format : {VersionFormat::Standard, VersionFormat::String, VersionFormat::Number}) {
    const VersionOrder a = CompareVersions(half, rest, format);
    if (format != VersionFormat::Standard && a != VersionOrder::Unknown) {
      const VersionOrder b = CompareVersions(rest, half, format);
      if ((a == VersionOrder::Newer) != (b == VersionOrder::Older)) __builtin_trap();
    }
  }
  const RequestTarget target = ResolveRequest(text, L"http://127.0.0.1:8000/u.html", 80);
  if (target.Port == 0) __builtin_trap();
  // Wherever a redirection points, what is fetched next stays on the https host.
  constexpr std::wstring_view kOrigin = L"https://h.example";
  if (const auto next = vantrel::FollowRedirect(L"https://h.example/a/b", text)) {
    if (next->compare(0, kOrigin.size(), kOrigin) != 0 || next->size() == kOrigin.size() ||
        (*next)[kOrigin.size()] != L'/')
      __builtin_trap();
  }
  int fetches = 0;
  const UpdateOutcome outcome = RunUpdateCheck(L"http://a/", L"1.0", VersionFormat::Standard, UpdateTagNames{},
                                                [&](const std::wstring&) {
                                                  ++fetches;
                                                  return FetchResult{FetchResult::Kind::Page, text};
                                                });
  if (fetches > kMaxRedirections + 1) __builtin_trap();
  (void)outcome;
  return 0;
}
