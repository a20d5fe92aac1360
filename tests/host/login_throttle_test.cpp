// The login throttle on a clock of the test's own: when a try must wait and
// for how long, what the window forgets, what counts as a wrong try, and how
// much it keeps.
#include "host/login_throttle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vb/string.h"

namespace {

using namespace std::chrono_literals;
using host::LoginThrottle;
using TimePoint = host::FailureLog::Clock::time_point;

class LoginThrottleTest : public ::testing::Test {
 protected:
  // A try with a wrong password: counted when it is let through.
  LoginThrottle::Admission Try(const std::u16string& name, const std::string& address = "10.0.0.9") {
    return Try(throttle_, name, address);
  }
  LoginThrottle::Admission Try(LoginThrottle& throttle, const std::u16string& name, const std::string& address) {
    LoginThrottle::Admission admission = throttle.Admit(name, address);
    if (admission.admitted) throttle.Settled(admission, address, true);
    return admission;
  }
  // `count` wrong tries, each admitted, the clock still.
  void Fail(int count, const std::u16string& name, const std::string& address = "10.0.0.9") {
    for (int i = 0; i < count; ++i) ASSERT_TRUE(Try(name, address).admitted) << i;
  }
  // A try with the right password that logs in.
  void LogIn(LoginThrottle& throttle, const std::u16string& name, const std::string& address) {
    LoginThrottle::Admission admission = throttle.Admit(name, address);
    ASSERT_TRUE(admission.admitted) << vb::ToUtf8(name);
    throttle.Settled(admission, address, false);
    throttle.LoggedIn(admission, name, address);
  }

  TimePoint now_ = TimePoint{} + 1000h;
  LoginThrottle throttle_{[this] { return now_; }};
};

TEST_F(LoginThrottleTest, AfterFiveWrongTriesEachTryWaitsLongerUpToThirtySeconds) {
  struct Key {
    const char* what;
    std::vector<std::pair<std::u16string, std::string>> tries;  // name and address of the 1st, 2nd... try
  };
  for (const Key& key : std::vector<Key>{
           {"one name from many addresses", {{u"li", "10.0.0.1"}, {u"LI", "10.0.0.2"}, {u"Li", "10.0.0.3"}}},
           {"one address for many names", {{u"a", "10.0.0.9"}, {u"b", "10.0.0.9"}, {u"c", "10.0.0.9"}}},
       }) {
    SCOPED_TRACE(key.what);
    now_ += 1h;
    auto tried = [&, i = size_t{0}]() mutable {
      const auto& [name, address] = key.tries[i++ % key.tries.size()];
      return Try(name, address);
    };
    for (int i = 0; i < 5; ++i) {
      LoginThrottle::Admission first_five = tried();
      EXPECT_TRUE(first_five.admitted && !first_five.engaged) << i;
    }
    for (auto wait : {1s, 2s, 4s, 8s, 16s, 30s, 30s}) {
      SCOPED_TRACE(wait.count());
      const TimePoint last = now_;
      now_ = last + wait - 1ms;
      LoginThrottle::Admission early = tried();
      EXPECT_FALSE(early.admitted);
      EXPECT_TRUE(early.engaged);
      now_ = last + wait;
      LoginThrottle::Admission in_time = tried();
      EXPECT_TRUE(in_time.admitted);
      EXPECT_TRUE(in_time.engaged);
    }
  }
}

TEST_F(LoginThrottleTest, WrongTriesOlderThanFifteenMinutesAreForgotten) {
  for (auto [later, engaged] :
       {std::pair{std::chrono::milliseconds(5min) - 1ms, true}, std::pair{std::chrono::milliseconds(5min), false}}) {
    SCOPED_TRACE(later.count());
    now_ += 1h;
    Fail(1, u"li");
    now_ += 10min;
    Fail(4, u"li");
    EXPECT_FALSE(Try(u"li").admitted) << "five within the window";
    now_ += later;
    LoginThrottle::Admission after = Try(u"li");
    EXPECT_TRUE(after.admitted);
    EXPECT_EQ(after.engaged, engaged) << "the first is 15 minutes old: four are left";
  }
}

TEST_F(LoginThrottleTest, TriesArrivingTogetherCannotAllPassTheSameOpening) {
  Fail(4, u"li");
  LoginThrottle::Admission fifth = throttle_.Admit(u"li", "10.0.0.1");
  EXPECT_TRUE(fifth.admitted);
  EXPECT_FALSE(throttle_.Admit(u"li", "10.0.0.2").admitted) << "the fifth, still in flight, holds the last opening";
  throttle_.Settled(fifth, "10.0.0.1", false);
  EXPECT_TRUE(Try(u"li", "10.0.0.2").admitted) << "it was right: the opening is free again";
}

// Only a password compared and found different counts: tries waiting on the
// database together (users behind one address during maintenance), or ended
// by it, are no wrong tries.
TEST_F(LoginThrottleTest, OnlyAComparedWrongPasswordCounts) {
  std::vector<LoginThrottle::Admission> waiting;
  for (int i = 0; i < 8; ++i) {
    waiting.push_back(throttle_.Admit(u"user" + vb::FromUtf8(std::to_string(i)), "10.0.0.9"));
    EXPECT_TRUE(waiting.back().admitted && !waiting.back().engaged) << i;
  }
  for (const LoginThrottle::Admission& admission : waiting) throttle_.Settled(admission, "10.0.0.9", false);
  Fail(5, u"li");
  EXPECT_FALSE(Try(u"other").admitted) << "five compared and wrong: the address waits";
}

TEST_F(LoginThrottleTest, ARightPasswordIsNoWrongTryAndALoginForgetsOnlyTheNames) {
  Fail(4, u"li");
  LoginThrottle::Admission right = throttle_.Admit(u"li", "10.0.0.9");
  throttle_.Settled(right, "10.0.0.9", false);
  LoginThrottle::Admission next = Try(u"li");  // the fifth wrong one
  EXPECT_TRUE(next.admitted);
  EXPECT_FALSE(next.engaged);

  now_ += 1h;
  Fail(5, u"li", "10.0.0.1");
  now_ += 1s;
  LogIn(throttle_, u"LI", "10.0.0.1");
  LoginThrottle::Admission again = Try(u"li", "10.0.0.2");
  EXPECT_TRUE(again.admitted && !again.engaged) << "the name starts again after its login";
  EXPECT_TRUE(Try(u"other", "10.0.0.1").engaged) << "but not the address it failed from";
}

TEST_F(LoginThrottleTest, WrongTriesFromElsewhereDoNotHoldBackAnAddressTheAccountLoggedInFrom) {
  LogIn(throttle_, u"li", "10.0.0.1");
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(Try(u"li", "10.0.1." + std::to_string(i)).admitted);
  EXPECT_FALSE(Try(u"li", "10.0.2.1").admitted) << "any other address shares the name's count";
  LoginThrottle::Admission owner = Try(u"li", "10.0.0.1");
  EXPECT_TRUE(owner.admitted && !owner.engaged);
}

TEST_F(LoginThrottleTest, AFullTableOfLoginsForgetsTheOldestLoginFirst) {
  LoginThrottle small{[this] { return now_; }, 2, 2};
  for (auto [name, address] : {std::pair{u"a", "10.0.0.1"}, {u"b", "10.0.0.2"}, {u"c", "10.0.0.3"}}) {
    now_ += 1s;
    LogIn(small, name, address);
  }
  for (int i = 0; i < 5; ++i) {
    Try(small, u"a", "10.0.1." + std::to_string(i));
    Try(small, u"b", "10.0.2." + std::to_string(i));
  }
  LoginThrottle::Admission b_at_home = small.Admit(u"b", "10.0.0.2");
  EXPECT_TRUE(b_at_home.admitted && !b_at_home.engaged) << "b's login is newer than a's";
  EXPECT_FALSE(small.Admit(u"a", "10.0.0.1").admitted) << "a's, the oldest, made room for c's";
}

// A flood of wrong tries for other names (each locked in turn) never makes
// the log forget a locked name within its window; once the log holds its
// budget of locked names, a new name waits until a lock's window has run.
TEST_F(LoginThrottleTest, AFloodOfOtherNamesNeverMakesItForgetALockedName) {
  LoginThrottle small{[this] { return now_; }, 3, 6};
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(Try(small, u"li", "10.0.0." + std::to_string(i)).admitted);
  int flooded = 0;
  for (int name = 0; name < 20; ++name)
    for (int i = 0; i < 5; ++i) {
      now_ += 100ms;
      flooded += Try(small, u"other" + vb::FromUtf8(std::to_string(name)), "10.1." + std::to_string(name) + "." +
                                                                               std::to_string(i))
                     .admitted;
    }
  EXPECT_EQ(flooded, 25) << "five names locked beside li fill the budget";
  now_ += 31s;
  LoginThrottle::Admission li = Try(small, u"li", "10.0.9.1");
  EXPECT_TRUE(li.admitted && li.engaged) << "li still has its five wrong tries";
  now_ += 1s;
  EXPECT_FALSE(small.Admit(u"li", "10.0.9.1").admitted) << "six wrong tries: 2 s";
  LoginThrottle::Admission fresh = small.Admit(u"new", "10.0.9.2");
  EXPECT_FALSE(fresh.admitted);
  EXPECT_TRUE(fresh.engaged) << "answered with the wait";
  now_ += 15min;
  EXPECT_TRUE(small.Admit(u"new", "10.0.9.2").admitted) << "the locks' windows have run";
}

TEST(FailureLogTest, TheLogKeepsAtMostItsKeysAndTenTriesAKey) {
  host::FailureLog log(3, 3);
  TimePoint now = TimePoint{} + 1000h;
  for (const char* key : {"a", "b", "c", "d"}) {
    now += 1s;
    log.Add(key, now);
  }
  EXPECT_EQ(log.Keys(), 3u);
  EXPECT_EQ(log.Count("a", now), 0u) << "the least recently failed went first";
  EXPECT_EQ(log.Count("d", now), 1u);
  for (int i = 0; i < 100; ++i) log.Add("d", now);
  EXPECT_EQ(log.Count("d", now), 10u);
  EXPECT_EQ(log.WaitUntil("d", now), now + 30s);
}

TEST(ClientAddressKeyTest, AnIpv6ClientCountsByItsSubscriberPrefix) {
  using host::ClientAddressKey;
  EXPECT_EQ(ClientAddressKey("10.0.0.9"), "10.0.0.9");
  EXPECT_EQ(ClientAddressKey("::ffff:10.0.0.9"), "10.0.0.9");
  EXPECT_EQ(ClientAddressKey("2001:db8:1:2:a::1"), ClientAddressKey("2001:db8:1:2:ffff::2"));
  EXPECT_NE(ClientAddressKey("2001:db8:1:2::1"), ClientAddressKey("2001:db8:1:3::1"));
  EXPECT_NE(ClientAddressKey("2001:db8:1:2::1"), ClientAddressKey("10.0.0.9"));
}

}  // namespace
