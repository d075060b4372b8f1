// Account names of SIDs: looked up on a worker, once per SID, failures tried again at growing intervals; and the
// real lookup against the prefix.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>

#include "system/os/account_names.h"

namespace vantrel {
namespace {

SidBytes SidOf(const wchar_t* text) {
  PSID sid = nullptr;
  if (!::ConvertStringSidToSidW(text, &sid)) return {};
  const auto* bytes = static_cast<const uint8_t*>(sid);
  SidBytes result(bytes, bytes + ::GetLengthSid(sid));
  ::LocalFree(sid);
  return result;
}

// A lookup stand-in: answers from a table, counts the calls per SID, and can hold every call until released.
struct FakeLookup {
  std::mutex mutex;
  std::map<SidBytes, int> calls;
  std::map<SidBytes, SidLookupResult> answers;
  HANDLE gate = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);
  ~FakeLookup() { ::CloseHandle(gate); }

  SidLookupFn Fn() {
    return [this](const SidBytes& sid) {
      ::WaitForSingleObject(gate, 10000);
      std::lock_guard lock(mutex);
      ++calls[sid];
      return answers[sid];
    };
  }
  int Calls(const SidBytes& sid) {
    std::lock_guard lock(mutex);
    return calls[sid];
  }
};

struct Names {
  std::wstring user, domain;
  bool known = false;
};
Names Get(AccountNames& names, const SidBytes& sid, uint64_t now) {
  Names n;
  n.known = names.Get(sid, now, n.user, n.domain);
  return n;
}

TEST(AccountNames, EachOutcomeOnceAcrossRefreshesWithoutWaitingForTheLookup) {
  FakeLookup fake;
  const SidBytes alice = SidOf(L"S-1-5-21-1-2-3-1001"), gone = SidOf(L"S-1-5-21-1-2-3-1002"),
                  broken = SidOf(L"S-1-5-21-1-2-3-1003");
  fake.answers[alice] = {SidLookupOutcome::Found, L"alice", L"PC7"};
  fake.answers[gone] = {SidLookupOutcome::NoneMapped, L"", L""};
  fake.answers[broken] = {SidLookupOutcome::Failed, L"", L""};
  ::ResetEvent(fake.gate);
  AccountNames names(fake.Fn());

  // The first refresh asks and goes on: nothing is known while the lookups are held.
  for (const SidBytes* sid : {&alice, &gone, &broken}) EXPECT_FALSE(Get(names, *sid, 0).known);
  EXPECT_FALSE(Get(names, alice, 0).known) << "asked again while its lookup is queued";
  ::SetEvent(fake.gate);
  ASSERT_TRUE(names.WaitIdle(10000));

  struct Case {
    const SidBytes* sid;
    std::wstring user, domain;
  } cases[] = {
      {&alice, L"alice", L"PC7"},
      {&gone, L"S-1-5-21-1-2-3-1002", L""},    // no such account: its SID text
      {&broken, L"S-1-5-21-1-2-3-1003", L""},  // failed: the SID text until a later lookup finds the name
  };
  for (uint64_t now : {uint64_t{100}, uint64_t{200}, uint64_t{300}}) {  // refreshes within the first retry delay
    for (const Case& c : cases) {
      const Names n = Get(names, *c.sid, now);
      EXPECT_TRUE(n.known);
      EXPECT_EQ(n.user, c.user);
      EXPECT_EQ(n.domain, c.domain);
    }
  }
  ASSERT_TRUE(names.WaitIdle(10000));
  EXPECT_EQ(fake.Calls(alice), 1);
  EXPECT_EQ(fake.Calls(gone), 1);
  EXPECT_EQ(fake.Calls(broken), 1);
}

TEST(AccountNames, AFailedLookupIsTriedAgainAtGrowingIntervalsUntilItFindsTheName) {
  FakeLookup fake;
  const SidBytes sid = SidOf(L"S-1-5-21-9-9-9-500");
  fake.answers[sid] = {SidLookupOutcome::Failed, L"", L""};
  AccountNames names(fake.Fn());
  auto refresh = [&](uint64_t now) {
    const Names n = Get(names, sid, now);
    names.WaitIdle(10000);
    return n;
  };
  refresh(0);                 // asks: fails
  refresh(500);               // the failure starts its interval here: 1 s
  refresh(1000);              // not due
  EXPECT_EQ(fake.Calls(sid), 1);
  refresh(1500);              // due: fails again; the next interval is 2 s
  EXPECT_EQ(fake.Calls(sid), 2);
  refresh(2000);
  refresh(3000);
  EXPECT_EQ(fake.Calls(sid), 2) << "the interval grew";
  {
    std::lock_guard lock(fake.mutex);
    fake.answers[sid] = {SidLookupOutcome::Found, L"Administrator", L"PC7"};
  }
  refresh(4500);  // due: finds the name
  const Names n = refresh(4600);
  EXPECT_EQ(n.user, L"Administrator");
  EXPECT_EQ(n.domain, L"PC7");
  refresh(600000);
  EXPECT_EQ(fake.Calls(sid), 3) << "a found name is never asked again";
}

TEST(AccountNames, TheRealLookupOfTheUserAndOfASidWithoutAccount) {
  SidBytes own{1, 2, 3};
  EXPECT_FALSE(ReadProcessOwnerSid(nullptr, own));
  EXPECT_TRUE(own.empty());
  ASSERT_TRUE(ReadProcessOwnerSid(::GetCurrentProcess(), own));

  wchar_t user[256] = {};
  DWORD size = 256;
  ASSERT_TRUE(::GetUserNameW(user, &size));
  const SidLookupResult found = LookupLocalSid(own);
  EXPECT_EQ(found.Outcome, SidLookupOutcome::Found);
  EXPECT_EQ(found.Name, user);
  EXPECT_FALSE(found.Domain.empty());

  const SidLookupResult none = LookupLocalSid(SidOf(L"S-1-5-21-4000000001-4000000002-4000000003-4242"));
  EXPECT_EQ(none.Outcome, SidLookupOutcome::NoneMapped);
  EXPECT_EQ(LookupLocalSid({}).Outcome, SidLookupOutcome::Failed);

  AccountNames names;
  std::wstring name, domain;
  EXPECT_FALSE(names.Get(own, ::GetTickCount64(), name, domain));
  ASSERT_TRUE(names.WaitIdle(10000));
  EXPECT_TRUE(names.Get(own, ::GetTickCount64(), name, domain));
  EXPECT_EQ(name, user);
  EXPECT_EQ(domain, found.Domain);
}

}  // namespace
}  // namespace vantrel
