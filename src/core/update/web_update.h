// The update check's portable half: the release page's META lines, the version comparisons, the address rules and
// the outcome of one check. The exchange itself (a fetch per address) is handed in, so that redirections, limits
// and outcomes are decided here for every transport.
#pragma once

#include "core/base/enum_index.h"
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::update {

enum class VersionFormat { Standard, String, Number };

// The META names looked for; the defaults are the values this program uses.
struct UpdateTagNames {
  std::wstring Author = L"QRVAuthor";
  std::wstring Email = L"QRVEmail";
  std::wstring ClientFileName = L"QRVFile";
  std::wstring Download = L"QRVDownload";
  std::wstring ProductName = L"QRVName";
  std::wstring Redirection = L"QRVRedirection";
  std::wstring RunParameters = L"/NUC";
  std::wstring Version = L"QRVVersion";
  std::wstring MD5 = L"QRVMD5";
};

// The values one release page gives.
struct UpdateInfo {
  std::wstring ProductVersion;
  std::wstring UpdateURL;
  std::wstring ClientFileName;
  std::wstring RedirectionURL;
  std::wstring Author;
  std::wstring EMail;
  std::wstring ProductName;
  std::wstring RunParameters;
  std::wstring MD5;
};

// The value of a line's CONTENT="..." (attribute name in any case); empty when the line has none.
std::wstring ExtractContent(std::wstring_view line);
// Reads every line's first META NAME="tag" (exact case) and stores its content in the field of each matching tag.
UpdateInfo ParseUpdateInfo(std::wstring_view page, const UpdateTagNames& tags);

// How a published version relates to the running one. Unknown: the two cannot be compared (VersionFormat::Number only).
enum class VersionOrder { Older, Same, Newer, Unknown };
VersionOrder CompareVersions(std::wstring_view running, std::wstring_view published, VersionFormat format);
inline bool IsNewerVersion(std::wstring_view running, std::wstring_view published, VersionFormat format) {
  return CompareVersions(running, published, format) == VersionOrder::Newer;
}
// The integer value of a version component: optional leading blanks and sign, then digits only; anything else
// counts as 0; values beyond the 64-bit range saturate.
int64_t VersionComponent(std::wstring_view text);

// An address split for the connection. Port is 0 when the address names none.
struct SplitUrl {
  std::wstring Server;
  std::wstring Path;
  uint16_t Port = 0;
  bool Secure = false;
};
// Drops a leading http:// or https:// (any case); the server runs up to the first "/", the path from it. Without
// a "/" the server is empty and the path is the whole rest. A server "host:port" gives the port.
SplitUrl SplitURL(std::wstring_view url);
// The address as the information page's address is stored: "http://" put in front unless it has a scheme.
std::wstring NormalizeProductUrl(std::wstring_view url);

// Where one request goes: an address split, with the server (and its port) of the information page's address when
// the address names none, and the port defaulting to defaultPort (443 for https when defaultPort is 80).
struct RequestTarget {
  std::wstring Server;
  std::wstring Path;
  uint16_t Port = 80;
  bool Secure = false;
};
RequestTarget ResolveRequest(std::wstring_view url, std::wstring_view productUrl, uint16_t defaultPort);

// The page's bytes as text when they are valid UTF-8 (an initial byte-order mark is dropped); nothing otherwise.
std::optional<std::wstring> DecodeUtf8(std::string_view bytes);

// One fetch: a page, an HTTP redirection to Text, or a failure whose Text says where it stopped.
struct FetchResult {
  enum class Kind { Page, Redirect, Failed } Result = Kind::Failed;
  std::wstring Text;
};
using FetchFn = std::function<FetchResult(const std::wstring& url)>;

enum class UpdateVerdict { Newer, Same, Older, Error };

struct UpdateOutcome {
  UpdateVerdict Verdict = UpdateVerdict::Error;
  std::wstring RunningVersion;
  UpdateInfo Info;             // the values of the last page read
  std::wstring DownloadError;  // Error only: the step reached or the error text
  int Redirections = 0;
};

inline constexpr int kMaxRedirections = 5;
inline constexpr std::wstring_view kEmptyInfo = L"empty info";
inline constexpr std::wstring_view kNotComparable = L"version not comparable";
inline constexpr std::wstring_view kUnshowableVersion = L"version not shown";
inline constexpr size_t kMaxShownVersionLength = 32;

// Whether a published version may appear in the prompt: 1 to kMaxShownVersionLength characters, digits and dots
// only. The page comes from the network; anything else would put a stranger's text into the program's question.
bool IsShowableVersion(std::wstring_view version);

// Fetches productUrl, follows HTTP and META redirections (at most kMaxRedirections in all; one more is an
// "empty info" failure; one that leaves the host or drops https, a kRedirectRefused failure), then compares the
// published version with the running one. A newer version that is not showable counts as no update (an Error with
// kUnshowableVersion).
UpdateOutcome RunUpdateCheck(const std::wstring& productUrl, const std::wstring& runningVersion, VersionFormat format,
                             const UpdateTagNames& tags, const FetchFn& fetch);

// The prompt shown when the published release is newer: "新的 %s 版本可用。" CR LF "你想下载它吗?". Its caption is
// the application title; Yes opens kProductPageUrl (system/update/web_update.h) (nothing is downloaded or run).
std::wstring UpdatePromptText(std::wstring_view newVersion);
// Whether a finished check should prompt: only a newer release does.
inline bool ShouldPromptForUpdate(const UpdateOutcome& outcome) { return outcome.Verdict == UpdateVerdict::Newer; }

}  // namespace vantrel::update
