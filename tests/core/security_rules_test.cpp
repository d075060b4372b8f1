// The rules an administrator's tool keeps against a standard user: who may change the replacement's file, which
// paths are read for their file facts, which processes the kill button reaches, where the update check may go.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "core/process/kill_rule.h"
#include "core/security/admin_only_rule.h"
#include "core/security/local_path.h"
#include "core/update/redirect_rule.h"

namespace vantrel {
namespace {

constexpr wchar_t kUsers[] = L"S-1-5-32-545";
constexpr wchar_t kAuthenticatedUsers[] = L"S-1-5-11";
constexpr wchar_t kCreatorOwner[] = L"S-1-3-0";
constexpr wchar_t kSomeUser[] = L"S-1-5-21-1-2-3-1001";

// Rights as a folder's list carries them.
constexpr uint32_t kReadExecute = 0x001200A9;
constexpr uint32_t kModify = 0x001301BF;
constexpr uint32_t kFullControl = 0x001F01FF;
constexpr uint32_t kAddFile = 0x0002;
constexpr uint32_t kGenericWrite = 0x40000000;
constexpr uint32_t kGenericAll = 0x10000000;
constexpr uint32_t kWriteDac = 0x00040000;

AccessEntry Allow(const wchar_t* sid, uint32_t mask, bool inheritOnly = false) { return {true, inheritOnly, mask, sid}; }
AccessEntry Deny(const wchar_t* sid, uint32_t mask) { return {false, false, mask, sid}; }

// What a system folder holds: only trusted accounts may change it, everyone else reads.
std::vector<AccessEntry> SystemFolderEntries() {
  return {Allow(kSidAdministrators, kFullControl), Allow(kSidLocalSystem, kFullControl),
          Allow(kSidTrustedInstaller, kFullControl), Allow(kUsers, kReadExecute)};
}

TEST(AdminOnlyRule, OwnerAndEntriesDecide) {
  struct Case {
    const char* name;
    std::wstring owner;
    std::vector<AccessEntry> extra;  // after the system folder's entries
    bool adminOnly;
  };
  const Case cases[] = {
      {"admin-only folder", kSidAdministrators, {}, true},
      {"TrustedInstaller owns it", kSidTrustedInstaller, {}, true},
      {"Users may modify", kSidAdministrators, {Allow(kUsers, kModify)}, false},
      {"Authenticated Users may add files", kSidAdministrators, {Allow(kAuthenticatedUsers, kAddFile)}, false},
      {"CREATOR OWNER, inherit-only", kSidAdministrators, {Allow(kCreatorOwner, kGenericAll, true)}, true},
      {"a user's inherit-only write reaches only new files", kSidLocalSystem, {Allow(kSomeUser, kModify, true)}, true},
      {"a user owns it", kSomeUser, {}, false},
      {"generic write for a user", kSidAdministrators, {Allow(kSomeUser, kGenericWrite)}, false},
      {"WRITE_DAC alone is enough", kSidAdministrators, {Allow(kSomeUser, kWriteDac)}, false},
      {"deny before allow takes the write away", kSidAdministrators,
       {Deny(kUsers, kModify), Allow(kUsers, kModify)}, true},
      {"a deny for another account leaves the allow", kSidAdministrators,
       {Deny(kSomeUser, kModify), Allow(kUsers, kModify)}, false},
      {"a deny after the allow comes too late", kSidAdministrators,
       {Allow(kUsers, kModify), Deny(kUsers, kModify)}, false},
  };
  for (const Case& c : cases) {
    ObjectSecurity security{c.owner, true, SystemFolderEntries()};
    security.Entries.insert(security.Entries.end(), c.extra.begin(), c.extra.end());
    EXPECT_EQ(IsAdminOnly(security), c.adminOnly) << c.name;
  }
  EXPECT_FALSE(IsAdminOnly({kSidAdministrators, false, {}})) << "a null list grants everyone everything";

  // A folder further up: users adding folders (every drive root allows it) displace nothing; deleting does.
  ObjectSecurity root{kSidTrustedInstaller, true, SystemFolderEntries()};
  root.Entries.push_back(Allow(kAuthenticatedUsers, kAddFile | 0x0004));
  EXPECT_TRUE(IsAdminOnly(root, AdminOnlyScope::FolderAbove));
  EXPECT_FALSE(IsAdminOnly(root, AdminOnlyScope::FileOrItsFolder));
  root.Entries.push_back(Allow(kAuthenticatedUsers, 0x0040));  // delete child
  EXPECT_FALSE(IsAdminOnly(root, AdminOnlyScope::FolderAbove));
}

TEST(LocalPath, OnlyFullPathsOnFixedDrivesAreLocal) {
  // C and D are fixed, M is a mapped share, S a subst drive, E a stick; no other drive exists.
  const DriveKindFn drives = [](wchar_t letter) {
    switch (letter) {
      case L'C': case L'D': return DriveKind::Fixed;
      case L'M': return DriveKind::Remote;
      case L'S': return DriveKind::Substituted;
      case L'E': return DriveKind::Removable;
      default: return DriveKind::Missing;
    }
  };
  struct Case {
    const wchar_t* path;
    bool local;
  } cases[] = {
      {L"C:\\Windows\\System32\\notepad.exe", true},
      {L"d:/tools/app.exe", true},
      {L"\\\\?\\C:\\Program Files\\app.exe", true},
      {L"\\??\\C:\\Windows\\System32\\drivers\\x.sys", true},
      {L"\\\\host\\share\\x.exe", false},
      {L"//host/share/x.exe", false},
      {L"\\\\?\\UNC\\host\\share\\x.exe", false},
      {L"\\\\host@SSL\\DavWWWRoot\\x.exe", false},
      {L"\\\\.\\C:\\x.exe", false},
      {L"\\\\?\\Volume{01234567-89ab-cdef-0123-456789abcdef}\\x.exe", false},
      {L"\\Device\\HarddiskVolume2\\x.exe", false},
      {L"M:\\x.exe", false},
      {L"S:\\x.exe", false},
      {L"E:\\x.exe", false},
      {L"Q:\\x.exe", false},
      {L"C:x.exe", false},
      {L"x.exe", false},
      {L"\\x.exe", false},
      {L"", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsLocalFixedPath(c.path, drives), c.local) << std::string(c.path, c.path + std::wcslen(c.path));
}

TEST(KillRule, OwnAndLowPidsNeverCriticalAsksAgain) {
  struct Case {
    uint32_t pid;
    bool critical;
    KillVerdict verdict;
  } cases[] = {
      {0, false, KillVerdict::Never},       {4, true, KillVerdict::Never},
      {9, false, KillVerdict::Never},       {500, false, KillVerdict::Never},  // the program itself
      {10, false, KillVerdict::Allowed},    {612, true, KillVerdict::AskCritical},
      {4242, false, KillVerdict::Allowed},
  };
  for (const Case& c : cases) EXPECT_EQ(JudgeKill(c.pid, 500, c.critical), c.verdict) << c.pid;
}

TEST(KillRule, TheQuestionsNameWhatTheyEnd) {
  EXPECT_EQ(KillTargetList({{42, L"a.exe"}, {7000, L"b.exe"}}), L"[42]a.exe\r\n[7000]b.exe");
  std::vector<NamedProcess> many;
  for (uint32_t pid = 100; pid < 100 + kKillListMax + 3; ++pid) many.push_back({pid, L"p.exe"});
  const std::wstring list = KillTargetList(many);
  EXPECT_NE(list.find(L"[114]p.exe"), std::wstring::npos);
  EXPECT_EQ(list.find(L"[115]p.exe"), std::wstring::npos);
  EXPECT_NE(list.find(L"另外 3 个进程"), std::wstring::npos);
  const std::wstring critical = CriticalKillQuestion({612, L"csrss.exe"});
  EXPECT_EQ(critical.rfind(L"[612]csrss.exe", 0), 0u);
  EXPECT_NE(critical.find(L"系统立即停止"), std::wstring::npos);
}

TEST(UpdateRedirects, StayOnTheHostAndKeepHttps) {
  struct Case {
    const wchar_t* current;
    const wchar_t* location;
    const wchar_t* next;  // nullptr: refused
  } cases[] = {
      {L"https://h.example/a/page.html", L"/b/next.html", L"https://h.example/b/next.html"},
      {L"https://h.example/a/page.html?x=1", L"next.html", L"https://h.example/a/next.html"},
      {L"https://h.example:8443/a", L"/b", L"https://h.example:8443/b"},
      {L"https://H.Example/a", L"https://h.example:443/b", L"https://h.example/b"},
      {L"https://h.example/a", L"//h.example/b", L"https://h.example/b"},
      {L"https://h.example/a", L"http://h.example/b", nullptr},
      {L"https://h.example/a", L"https://other.example/b", nullptr},
      {L"https://h.example/a", L"//other.example/b", nullptr},
      {L"https://h.example/a", L"https://h.example:8443/b", nullptr},
      {L"https://h.example/a", L"https://user@h.example/b", nullptr},
      {L"https://h.example/a", L"ftp://h.example/b", nullptr},
      {L"http://127.0.0.1:8080/a", L"/b", L"http://127.0.0.1:8080/b"},
      {L"http://127.0.0.1:8080/a", L"https://127.0.0.1:8080/b", L"https://127.0.0.1:8080/b"},
  };
  for (const Case& c : cases) {
    const auto next = FollowRedirect(c.current, c.location);
    const std::string where(c.location, c.location + std::wcslen(c.location));
    if (!c.next) {
      EXPECT_FALSE(next.has_value()) << where;
    } else {
      ASSERT_TRUE(next.has_value()) << where;
      EXPECT_EQ(*next, c.next) << where;
    }
  }
}

}  // namespace
}  // namespace vantrel
