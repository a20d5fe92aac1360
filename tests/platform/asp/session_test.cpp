#include "platform/asp/session.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <set>
#include <vector>

#include "platform/asp/asp_test_support.h"

#include "platform/asp/context.h"

namespace asp {
namespace {

using testing::ErrorNumberOf;
using testing::Text;

TEST(SessionValues, NamesInAnyCaseAndTheContentsCollection) {
  Context ctx(RequestSpec{.session = {{u"UserInfo", u"1|admin|Admin|Office|a|20240101|x"}}});
  Variant session = ctx.Session();
  EXPECT_EQ(com::Call(session, u"", u"userinfo"), Variant(u"1|admin|Admin|Office|a|20240101|x"));
  com::Let(session, u"", 5, u"Manager");
  com::Let(session, u"", u"|12|40|", u"MANAGER");  // same name, first spelling kept
  EXPECT_EQ(com::Call(session, u"", u"manager"), Variant(u"|12|40|"));
  EXPECT_TRUE(com::Call(session, u"", u"absent").IsEmpty());

  Variant contents = com::Call(session, u"Contents");
  EXPECT_EQ(com::Call(contents, u"Count"), Variant(int32_t{2}));
  EXPECT_EQ(com::Call(contents, u"Key", 2), Variant(u"Manager"));
  EXPECT_EQ(com::Call(contents, u"", 2), Variant(u"|12|40|"));
  EXPECT_EQ(com::Call(session, u"Contents", u"MANAGER"), Variant(u"|12|40|"));
  EXPECT_EQ(ErrorNumberOf([&] { com::Call(contents, u"", 3); }), vb::kSubscriptOutOfRange);

  com::Call(session, u"Remove", u"USERINFO");
  EXPECT_EQ(com::Call(contents, u"Count"), Variant(int32_t{1}));
  com::Call(contents, u"Remove", 1);
  EXPECT_EQ(com::Call(contents, u"Count"), Variant(int32_t{0}));
  com::Let(session, u"", 1, u"a");
  com::Call(session, u"RemoveAll");
  EXPECT_TRUE(ctx.SessionObject().State().Keys().empty());
}

TEST(SessionValues, LetStoresAValueAndSetAnObject) {
  Context ctx(RequestSpec{.url = u"/p.asp?q=1"});
  Variant session = ctx.Session();
  Variant query = com::Call(ctx.Request(), u"QueryString");
  com::Let(session, u"", query, u"AsText");  // an object's default value
  EXPECT_EQ(com::Call(session, u"", u"AsText"), Variant(u"q=1"));
  com::SetRef(session, u"", query, u"AsObject");
  EXPECT_EQ(com::Call(session, u"", u"asobject").GetObject(), query.GetObject());
  com::SetRef(session, u"", Variant::Nothing(), u"AsObject");
  EXPECT_TRUE(com::Call(session, u"", u"AsObject").IsNothing());
  EXPECT_EQ(ErrorNumberOf([&] { com::SetRef(session, u"", 1, u"x"); }), vb::kObjectRequired);
}

TEST(SessionProperties, IdTimeoutCodePageLcid) {
  auto store = std::make_shared<MemorySessionStore>();
  Context a(RequestSpec{.sessions = store});
  Context b(RequestSpec{.sessions = store});
  Variant id_a = com::Call(a.Session(), u"SessionID");
  ASSERT_EQ(id_a.Type(), vb::vbLong);
  EXPECT_NE(id_a, com::Call(b.Session(), u"SessionID"));
  const String& token = a.SessionObject().State().Token();
  EXPECT_EQ(token.size(), MemorySessionStore::kTokenLetters);
  EXPECT_TRUE(std::all_of(token.begin(), token.end(), [](char16_t c) { return c >= u'A' && c <= u'Z'; }));

  Variant session = a.Session();
  EXPECT_EQ(com::Call(session, u"Timeout"), Variant(int32_t{20}));
  EXPECT_EQ(com::Call(session, u"CodePage"), Variant(int32_t{936}));
  EXPECT_EQ(com::Call(session, u"LCID"), Variant(int32_t{2052}));
  com::Let(session, u"Timeout", 5);
  com::Let(session, u"CodePage", 65001);
  com::Let(session, u"lcid", 1033);
  EXPECT_EQ(com::Call(session, u"Timeout"), Variant(int32_t{5}));
  EXPECT_EQ(com::Call(session, u"CodePage"), Variant(int32_t{65001}));
  EXPECT_EQ(com::Call(session, u"LCID"), Variant(int32_t{1033}));
  EXPECT_EQ(ErrorNumberOf([&] { com::Let(session, u"Timeout", 0); }), vb::kInvalidProcedureCall);
  EXPECT_EQ(ErrorNumberOf([&] { com::Call(session, u"NoSuchMember"); }), vb::kMemberNotSupported);
}

TEST(SessionLifetime, ValuesCarryOverUntilAbandonTakesEffectAtTheEnd) {
  auto store = std::make_shared<MemorySessionStore>();
  String token;
  {
    Context first(RequestSpec{.sessions = store});
    com::Let(first.Session(), u"", u"kept", u"v");
    token = first.SessionObject().State().Token();
  }
  {
    Context second(RequestSpec{.sessions = store, .session_token = token});
    EXPECT_EQ(com::Call(second.Session(), u"", u"V"), Variant(u"kept"));
    com::Call(second.Session(), u"Abandon");
    // Still there for the rest of this request.
    EXPECT_EQ(com::Call(second.Session(), u"", u"v"), Variant(u"kept"));
    EXPECT_NE(store->Open(token), nullptr);
    second.Finish();
    EXPECT_EQ(store->Open(token), nullptr);
  }
  Context third(RequestSpec{.sessions = store, .session_token = token});
  EXPECT_NE(third.SessionObject().State().Token(), token);
  EXPECT_TRUE(com::Call(third.Session(), u"", u"v").IsEmpty());
}

TEST(SessionLifetime, ExpiresAfterTimeoutMinutesWithoutARequest) {
  auto now = std::chrono::steady_clock::time_point{};
  MemorySessionStore store([&] { return now; });
  auto state = store.Create();
  state->SetTimeout(20);
  String token = state->Token();
  now += std::chrono::minutes(19);
  EXPECT_EQ(store.Open(token), state);  // a request: the clock starts again
  now += std::chrono::minutes(19);
  EXPECT_EQ(store.Open(token), state);
  now += std::chrono::minutes(20);
  EXPECT_EQ(store.Open(token), nullptr);
  EXPECT_EQ(store.Count(), 0u);

  store.Create();
  now += std::chrono::minutes(25);
  store.Create();  // creating sweeps out the expired
  EXPECT_EQ(store.Count(), 1u);
}

TEST(SessionLifetime, AChangedTimeoutCountsFromTheLastRequest) {
  auto now = std::chrono::steady_clock::time_point{};
  MemorySessionStore store([&] { return now; });
  auto longer = store.Create();
  auto shorter = store.Create();
  auto usual = store.Create();
  longer->SetTimeout(60);  // as a page does during its request
  shorter->SetTimeout(5);
  now += std::chrono::minutes(6);
  EXPECT_EQ(store.Open(shorter->Token()), nullptr);
  now += std::chrono::minutes(24);
  store.Create();  // sweeps: the usual one has gone, the longer one stays
  EXPECT_EQ(store.Count(), 2u);
  EXPECT_EQ(store.Open(usual->Token()), nullptr);
  EXPECT_EQ(store.Open(longer->Token()), longer);
  now += std::chrono::minutes(60);
  EXPECT_EQ(store.Open(longer->Token()), nullptr);
}

TEST(SessionLifetime, ATimeoutBeyondTheClockNeverComes) {
  auto now = std::chrono::steady_clock::time_point{};
  MemorySessionStore store([&] { return now; });
  auto state = store.Create();
  state->SetTimeout(std::numeric_limits<int32_t>::max());
  now += std::chrono::hours(24 * 365 * 200);
  store.Create();
  EXPECT_EQ(store.Open(state->Token()), state);
}

TEST(SessionLimit, BeyondTheLimitTheSessionIdleLongestGoes) {
  auto now = std::chrono::steady_clock::time_point{};
  MemorySessionStore store([&] { return now; }, 3);
  auto first = store.Create();
  now += std::chrono::seconds(1);
  auto second = store.Create();
  now += std::chrono::seconds(1);
  auto third = store.Create();
  now += std::chrono::seconds(1);
  EXPECT_EQ(store.Open(first->Token()), first);  // back again: now the most recent
  auto fourth = store.Create();
  EXPECT_EQ(store.Count(), 3u);
  EXPECT_EQ(store.Open(second->Token()), nullptr);
  for (const auto& kept : {first, third, fourth}) EXPECT_EQ(store.Open(kept->Token()), kept);

  // A request still running on a pushed-out session keeps its values; the
  // store just no longer knows it.
  second->Put(u"x", 1);
  EXPECT_EQ(second->Get(u"x"), Variant(1));
  store.Remove(second->Token());
  EXPECT_EQ(store.Count(), 3u);
}

TEST(SessionLimit, ClientsWithoutCookiesPushOutOneAnotherNotTheReturningVisitor) {
  auto now = std::chrono::steady_clock::time_point{};
  MemorySessionStore store([&] { return now; }, 100);
  auto visitor = store.Create();
  for (int i = 0; i < 1000; ++i) {
    now += std::chrono::milliseconds(10);
    store.Create();
    if (i % 50 == 0) ASSERT_EQ(store.Open(visitor->Token()), visitor) << i;
  }
  EXPECT_EQ(store.Count(), 100u);
  EXPECT_EQ(store.Open(visitor->Token()), visitor);
}

// A new session holding `values`, kept.
std::shared_ptr<SessionState> KeepWith(MemorySessionStore& store, std::vector<std::pair<String, Variant>> values) {
  auto state = store.Begin();
  for (auto& [name, value] : values) state->Put(name, value);
  store.Keep(state);
  return state;
}

bool Held(MemorySessionStore& store, const std::shared_ptr<SessionState>& state) {
  return store.Open(state->Token()) == state;
}

TEST(SessionLimit, EmptySessionsGoFirstThenAnonymousOnesThenTheLoggedInIdleLongest) {
  auto now = std::chrono::steady_clock::time_point{};
  auto tick = [&] { now += std::chrono::seconds(1); };
  MemorySessionStore store([&] { return now; }, 3);
  auto user = KeepWith(store, {{u"UserInfo", String(u"1|bob")}});
  tick();
  auto anonymous = KeepWith(store, {{u"color", String(u"red")}});
  tick();
  auto id_only = store.Begin();  // a page that read its SessionID
  id_only->NoteIdRead();
  store.Keep(id_only);
  tick();
  auto newcomer = KeepWith(store, {});
  EXPECT_FALSE(Held(store, id_only)) << "an empty session goes before the older ones with values";
  tick();
  auto next = KeepWith(store, {{u"x", 1}});
  EXPECT_FALSE(Held(store, newcomer)) << "even the newest empty one";
  tick();
  auto other = KeepWith(store, {{u"y", 2}});
  EXPECT_FALSE(Held(store, anonymous));
  EXPECT_TRUE(Held(store, user));

  // A login mark of "" is no login; a session that logged in during its
  // request (not settled yet) is judged by what it holds before it goes.
  tick();
  auto logging_in = KeepWith(store, {{u"UserInfo", String(u"")}});
  EXPECT_FALSE(Held(store, next));
  EXPECT_TRUE(Held(store, other));  // now used after logging_in
  logging_in->Put(u"UserInfo", String(u"2|ann"));
  tick();
  auto last = KeepWith(store, {{u"z", 3}});
  EXPECT_FALSE(Held(store, other));
  EXPECT_TRUE(Held(store, logging_in));
  EXPECT_TRUE(Held(store, user));

  // Only logged-in users left: the one idle longest goes.
  store.Remove(last->Token());
  KeepWith(store, {{u"UserInfo", String(u"3|cy")}});
  tick();
  EXPECT_TRUE(Held(store, user));
  KeepWith(store, {{u"UserInfo", String(u"4|dee")}});
  EXPECT_FALSE(Held(store, logging_in));
  EXPECT_TRUE(Held(store, user));
  EXPECT_EQ(store.Count(), 3u);
}

TEST(SessionLimit, AFloodOfAnyKindNeverPushesOutALoggedInUser) {
  auto now = std::chrono::steady_clock::time_point{};
  MemorySessionStore store([&] { return now; }, 50);
  auto user = KeepWith(store, {{u"UserInfo", String(u"1|bob")}});
  std::vector<std::shared_ptr<SessionState>> returning;
  for (int i = 0; i < 20000; ++i) {
    now += std::chrono::milliseconds(10);
    // New visitors that store a value, come back, and come back again.
    auto state = KeepWith(store, {{u"n", i}});
    store.Open(state->Token());
    if (i % 3 == 0) returning.push_back(state);
    for (size_t j = returning.size() > 5 ? returning.size() - 5 : 0; j < returning.size(); ++j)
      store.Open(returning[j]->Token());
    // Requests that never use their session leave nothing.
    store.Begin();
  }
  EXPECT_EQ(store.Count(), 50u);
  EXPECT_TRUE(Held(store, user));
}

TEST(SessionLimit, OneAccountsManyLoginsPushOutItsOwnSessionsNotAnotherUsers) {
  auto now = std::chrono::steady_clock::time_point{};
  MemorySessionStore store([&] { return now; }, 10);
  auto admin = KeepWith(store, {{u"UserInfo", String(u"1|admin|Admin|office|a|20240101000000|")}});
  std::shared_ptr<SessionState> eve;
  for (int i = 0; i < 110; ++i) {
    now += std::chrono::seconds(1);
    eve = KeepWith(store, {{u"UserInfo", String(u"7|eve|Eve|office|c|20240101000000|")}});
  }
  EXPECT_EQ(store.Count(), 10u);
  EXPECT_TRUE(Held(store, admin));
  EXPECT_TRUE(Held(store, eve));
}

TEST(SessionRenewal, ANewTokenAndIdTheOldOneOpensNothingValuesStay) {
  auto now = std::chrono::steady_clock::time_point{};
  MemorySessionStore store([&] { return now; }, 2);
  auto state = KeepWith(store, {{u"cart", 3}});
  const String old_token = state->Token();
  const int32_t old_id = state->Id();
  now += std::chrono::seconds(1);
  auto other = KeepWith(store, {{u"UserInfo", String(u"2|ann")}});
  now += std::chrono::seconds(1);
  state->Put(u"UserInfo", String(u"1|bob"));
  store.Renew(*state);
  EXPECT_NE(state->Token(), old_token);
  EXPECT_NE(state->Id(), old_id);
  EXPECT_EQ(store.Open(old_token), nullptr);
  EXPECT_EQ(store.Count(), 2u);
  // The session just renewed at login is the most recently used.
  KeepWith(store, {{u"UserInfo", String(u"3|cy")}});
  EXPECT_FALSE(Held(store, other));
  ASSERT_TRUE(Held(store, state));
  EXPECT_EQ(state->Get(u"cart"), Variant(3));

  // A session not held yet is renewed all the same, and kept under its new token.
  auto begun = store.Begin();
  const String begun_token = begun->Token();
  store.Renew(*begun);
  EXPECT_NE(begun->Token(), begun_token);
  EXPECT_EQ(store.Open(begun->Token()), nullptr);
}

TEST(SessionTokens, CarryAtLeast128RandomBitsInCapitals) {
  MemorySessionStore store;
  std::set<String> seen;
  std::array<int, 26> letters{};
  for (int i = 0; i < 2000; ++i) {
    String token = store.Create()->Token();
    ASSERT_GE(token.size() * std::log2(26.0), 128.0) << vb::ToUtf8(token);
    for (char16_t c : token) {
      ASSERT_TRUE(c >= u'A' && c <= u'Z') << vb::ToUtf8(token);
      ++letters[c - u'A'];
    }
    seen.insert(token);
  }
  EXPECT_EQ(seen.size(), 2000u);
  // Every letter as likely: 2000 tokens of 28 letters give each about 2154.
  for (int count : letters) EXPECT_NEAR(count, 2000 * 28 / 26, 300);
}

}  // namespace
}  // namespace asp
