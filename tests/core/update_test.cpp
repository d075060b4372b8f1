#include "core/update/web_update.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace vantrel::update {
namespace {

TEST(UpdateVersions, ComparisonsFollowEachFormat) {
  using F = VersionFormat;
  using O = VersionOrder;
  struct Case {
    const wchar_t* running;
    const wchar_t* published;
    F format;
    O expected;
  } cases[] = {
      {L"1.2", L"1.10", F::Standard, O::Newer},      // numeric components: 2 < 10
      {L"1.2", L"1.2.1", F::Standard, O::Same},      // components beyond the running ones are not looked at
      {L"1.2.3", L"1.3", F::Standard, O::Newer},
      {L"2.1.4.0", L"2.1.4.0", F::Standard, O::Same},
      {L"2.1.4.0", L"2.1.3.9", F::Standard, O::Older},
      {L"1.0", L"1.x", F::Standard, O::Same},        // unparsable counts as 0
      {L"1.0", L"99999999999999999999999.0", F::Standard, O::Newer},  // saturates, no overflow
      {L"", L"", F::Standard, O::Same},
      {L"1.9", L"1.10", F::String, O::Older},        // ordinal: "1.10" sorts before "1.9"
      {L"1.9", L"1.9", F::String, O::Same},
      {L"1.9", L"2", F::String, O::Newer},
      {L"1.5", L"1.25", F::Number, O::Older},
      {L"1.5", L"2", F::Number, O::Newer},
      {L"1.2", L"1.2.3", F::Number, O::Unknown},     // does not convert completely
      {L"1.2", L"", F::Number, O::Unknown},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareVersions(c.running, c.published, c.format), c.expected)
        << "running " << std::wstring(c.running).size() << " chars, published '"
        << std::string(c.published, c.published + std::wstring(c.published).size()) << "'";
  }
  EXPECT_TRUE(IsNewerVersion(L"1.2", L"1.10", F::Standard));
  EXPECT_FALSE(IsNewerVersion(L"1.9", L"1.10", F::String));
}

TEST(UpdateVersions, ComponentParsing) {
  EXPECT_EQ(VersionComponent(L"12"), 12);
  EXPECT_EQ(VersionComponent(L" 7"), 7);
  EXPECT_EQ(VersionComponent(L"-3"), -3);
  EXPECT_EQ(VersionComponent(L"3a"), 0);
  EXPECT_EQ(VersionComponent(L""), 0);
  EXPECT_EQ(VersionComponent(L"99999999999999999999"), INT64_MAX);
}

TEST(UpdatePage, MetaLinesFillTheTaggedFields) {
  const std::wstring page =
      L"<html><head>\r\n"
      L"<META NAME=\"QRVName\" CONTENT=\"Vantrel\">\r\n"
      L"<META NAME=\"QRVVersion\" content=\"2.1.4\">\n"                     // content attribute in any case
      L"<meta name=\"QRVAuthor\" content=\"ignored\">\r"                     // lower-case META NAME: not seen
      L"<META NAME=\"QRVEmail\" CONTENT=\"a@b\"><META NAME=\"QRVMD5\" CONTENT=\"x\">\r\n"  // first tag only
      L"<META NAME=\"qrvdownload\" CONTENT=\"wrong case\">\r\n"             // tag names are exact
      L"<META NAME=\"QRVFile\">\r\n"                                        // no CONTENT=: no value
      L"<META NAME=\"/NUC\" CONTENT=\"/X\">\r\n"
      L"<META NAME=\"Unknown\" CONTENT=\"y\">\r\n";
  const UpdateInfo info = ParseUpdateInfo(page, UpdateTagNames{});
  EXPECT_EQ(info.ProductName, L"Vantrel");
  EXPECT_EQ(info.ProductVersion, L"2.1.4");
  EXPECT_EQ(info.Author, L"");
  EXPECT_EQ(info.EMail, L"a@b");
  EXPECT_EQ(info.MD5, L"");
  EXPECT_EQ(info.UpdateURL, L"");
  EXPECT_EQ(info.ClientFileName, L"");
  EXPECT_EQ(info.RunParameters, L"/X");
}

TEST(UpdatePage, ContentValueBounds) {
  EXPECT_EQ(ExtractContent(L"<META NAME=\"a\" CoNtEnT=\"v 1\">"), L"v 1");
  EXPECT_EQ(ExtractContent(L"<META NAME=\"a\">"), L"");                 // never the start of the line
  EXPECT_EQ(ExtractContent(L"CONTENT=\"unterminated"), L"");
  EXPECT_EQ(ExtractContent(L"CONTENT=\"" + std::wstring(255, L'x') + L"\""), std::wstring(255, L'x'));
  EXPECT_EQ(ExtractContent(L"CONTENT=\"" + std::wstring(256, L'x') + L"\""), L"");  // beyond the window
  EXPECT_EQ(ExtractContent(L"CONTENT="), L"");
}

TEST(UpdateUrls, SplitNormalizeResolve) {
  struct Case {
    const wchar_t* url;
    const wchar_t* server;
    const wchar_t* path;
    uint16_t port;
  } cases[] = {
      {L"http://host/dir/page.html", L"host", L"/dir/page.html", 0},
      {L"HTTPS://host:8443/p", L"host", L"/p", 8443},
      {L"127.0.0.1:41234/u.html", L"127.0.0.1", L"/u.html", 41234},
      {L"http://host:99999/p", L"host:99999", L"/p", 0},  // not a port: kept in the name
      {L"/other.html", L"", L"/other.html", 0},
      {L"http://hostonly", L"", L"hostonly", 0},          // no "/": the whole rest is the path
  };
  for (const Case& c : cases) {
    const SplitUrl split = SplitURL(c.url);
    EXPECT_EQ(split.Server, c.server);
    EXPECT_EQ(split.Path, c.path);
    EXPECT_EQ(split.Port, c.port);
  }
  EXPECT_EQ(NormalizeProductUrl(L"host/p"), L"http://host/p");
  EXPECT_EQ(NormalizeProductUrl(L"HTTP://host/p"), L"HTTP://host/p");
  EXPECT_EQ(NormalizeProductUrl(L"https://host/p"), L"https://host/p");

  const RequestTarget relative = ResolveRequest(L"/next.html", L"http://127.0.0.1:5000/start.html", 80);
  EXPECT_EQ(relative.Server, L"127.0.0.1");
  EXPECT_EQ(relative.Port, 5000);
  EXPECT_EQ(relative.Path, L"/next.html");
  EXPECT_EQ(ResolveRequest(L"https://h/p", L"http://x/", 80).Port, 443);
  EXPECT_TRUE(ResolveRequest(L"https://h/p", L"http://x/", 80).Secure);
  EXPECT_EQ(ResolveRequest(L"http://h/p", L"http://x/", 8080).Port, 8080);
}

TEST(UpdatePage, Utf8DecodingIsStrict) {
  EXPECT_EQ(DecodeUtf8("\xEF\xBB\xBF" "a\xE6\x96\xB0"), std::wstring(L"a\u65B0"));
  EXPECT_EQ(DecodeUtf8("\xF0\x9F\x98\x80")->size(), sizeof(wchar_t) == 2 ? 2u : 1u);
  for (const char* bad : {"\xC0\xAF", "\xE6\x96", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xB5 micro", "\xFF"})
    EXPECT_FALSE(DecodeUtf8(bad).has_value()) << bad;
}

// A fake server: address -> fetch result; counts the requests.
struct FakeSite {
  std::map<std::wstring, FetchResult> pages;
  int requests = 0;
  FetchFn Fetch() {
    return [this](const std::wstring& url) {
      ++requests;
      auto it = pages.find(url);
      return it != pages.end() ? it->second : FetchResult{FetchResult::Kind::Failed, L"not found"};
    };
  }
};

FetchResult Page(const std::wstring& text) { return {FetchResult::Kind::Page, text}; }
std::wstring Meta(const std::wstring& name, const std::wstring& value) {
  return L"<META NAME=\"" + name + L"\" CONTENT=\"" + value + L"\">\r\n";
}

TEST(UpdateCheck, OutcomesAndRedirections) {
  FakeSite site;
  site.pages[L"http://s/newer"] = Page(Meta(L"QRVName", L"Vantrel") + Meta(L"QRVVersion", L"1.3.0.0"));
  site.pages[L"http://s/same"] = Page(Meta(L"QRVName", L"Vantrel") + Meta(L"QRVVersion", L"1.2.0.0"));
  site.pages[L"http://s/older"] = Page(Meta(L"QRVName", L"Vantrel") + Meta(L"QRVVersion", L"1.1.9.9"));
  site.pages[L"http://s/noname"] = Page(Meta(L"QRVVersion", L"9.0"));
  // A META redirection whose page's tags replace those of the first.
  site.pages[L"http://s/meta"] =
      Page(Meta(L"QRVName", L"Old") + Meta(L"QRVVersion", L"0.1") + Meta(L"QRVRedirection", L"http://s/newer"));
  site.pages[L"http://s/http"] = {FetchResult::Kind::Redirect, L"http://s/older"};
  site.pages[L"http://s/loop"] = Page(Meta(L"QRVRedirection", L"http://s/loop"));
  site.pages[L"http://s/hop0"] = Page(Meta(L"QRVRedirection", L"http://s/hop1"));
  for (int i = 1; i < 5; ++i)
    site.pages[L"http://s/hop" + std::to_wstring(i)] = {FetchResult::Kind::Redirect,
                                                         L"http://s/hop" + std::to_wstring(i + 1)};
  site.pages[L"http://s/hop5"] = site.pages[L"http://s/same"];

  struct Case {
    const wchar_t* url;
    UpdateVerdict verdict;
    const wchar_t* error;
    int requests;
  } cases[] = {
      {L"http://s/newer", UpdateVerdict::Newer, L"", 1},
      {L"http://s/same", UpdateVerdict::Same, L"", 1},
      {L"http://s/older", UpdateVerdict::Older, L"", 1},
      {L"http://s/noname", UpdateVerdict::Error, L"empty info", 1},
      {L"http://s/meta", UpdateVerdict::Newer, L"", 2},
      {L"http://s/http", UpdateVerdict::Older, L"", 2},
      {L"http://s/hop0", UpdateVerdict::Same, L"", 6},       // five redirections are followed
      {L"http://s/loop", UpdateVerdict::Error, L"empty info", 6},  // the sixth is not
      {L"http://s/missing", UpdateVerdict::Error, L"not found", 1},
  };
  for (const Case& c : cases) {
    site.requests = 0;
    const UpdateOutcome outcome =
        RunUpdateCheck(c.url, L"1.2.0.0", VersionFormat::Standard, UpdateTagNames{}, site.Fetch());
    EXPECT_EQ(outcome.Verdict, c.verdict) << site.requests;
    EXPECT_EQ(outcome.DownloadError, c.error);
    EXPECT_EQ(site.requests, c.requests);
    EXPECT_EQ(outcome.RunningVersion, L"1.2.0.0");
  }
  const UpdateOutcome newer =
      RunUpdateCheck(L"http://s/newer", L"1.2.0.0", VersionFormat::Standard, UpdateTagNames{}, site.Fetch());
  EXPECT_TRUE(ShouldPromptForUpdate(newer));
  EXPECT_EQ(UpdatePromptText(newer.Info.ProductVersion), L"新的 1.3.0.0 版本可用。\r\n你想下载它吗?");
  // A newer release whose version the prompt could not show as it is counts as no update.
  struct Shown {
    std::wstring version;
    bool prompts;
  } shown[] = {
      {L"1.3", true},
      {L"10.0.0.1", true},
      {std::wstring(28, L'1') + L"...1", true},  // 32 characters
      {std::wstring(29, L'1') + L"...1", false},  // 33
      // Each is newer by its first component, so only the text rule stops it.
      {L"9.0 beta", false},
      {L"9.0-rc1", false},
      {L"9.0\t<b>now</b>", false},
      {L"9.\x0661", false},  // Arabic-Indic digit one
      {L"+9.0", false},
      {L"9.0,1", false},
  };
  for (const Shown& c : shown) {
    site.pages[L"http://s/shown"] = Page(Meta(L"QRVName", L"Vantrel") + Meta(L"QRVVersion", c.version));
    const UpdateOutcome outcome =
        RunUpdateCheck(L"http://s/shown", L"1.2.0.0", VersionFormat::Standard, UpdateTagNames{}, site.Fetch());
    EXPECT_EQ(outcome.Info.ProductVersion, c.version);
    EXPECT_EQ(ShouldPromptForUpdate(outcome), c.prompts) << outcome.Info.ProductVersion;
    EXPECT_EQ(outcome.DownloadError, c.prompts ? std::wstring_view() : kUnshowableVersion)
        << outcome.Info.ProductVersion;
  }
  const UpdateOutcome number =
      RunUpdateCheck(L"http://s/newer", L"1.2", VersionFormat::Number, UpdateTagNames{}, site.Fetch());
  EXPECT_EQ(number.Verdict, UpdateVerdict::Error);
  EXPECT_FALSE(ShouldPromptForUpdate(number));
  EXPECT_EQ(number.DownloadError, kNotComparable);
  EXPECT_EQ(number.Info.ProductVersion, L"1.3.0.0");
}

}  // namespace
}  // namespace vantrel::update
