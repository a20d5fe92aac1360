#include "platform/asp/session.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <set>

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

TEST(SessionLimit, AFloodPushesOutSessionsThatNeverCameBackBeforeAVisitorWhoDid) {
  auto now = std::chrono::steady_clock::time_point{};
  MemorySessionStore store([&] { return now; }, 100);
  auto visitor = store.Create();
  now += std::chrono::seconds(1);
  ASSERT_EQ(store.Open(visitor->Token()), visitor);
  // The visitor now idles longest of all, and the flood goes on without it.
  for (int i = 0; i < 1000; ++i) {
    now += std::chrono::milliseconds(10);
    store.Create();
  }
  EXPECT_EQ(store.Count(), 100u);
  EXPECT_EQ(store.Open(visitor->Token()), visitor);

  // When every session came back, the one nearest its time-out goes.
  MemorySessionStore returned([&] { return now; }, 2);
  auto first = returned.Create(), second = returned.Create();
  returned.Open(first->Token());
  now += std::chrono::seconds(1);
  returned.Open(second->Token());
  returned.Open(returned.Create()->Token());
  EXPECT_EQ(returned.Open(first->Token()), nullptr);
  EXPECT_EQ(returned.Open(second->Token()), second);
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
