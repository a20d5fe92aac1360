#include "platform/asp/application.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/asp/context.h"

namespace asp {
namespace {

using namespace std::chrono_literals;

// Long enough for a thread that is not blocked to get past the call.
constexpr auto kSettle = 100ms;

TEST(ApplicationValues, SharedBetweenRequestsInAnyCase) {
  auto site = std::make_shared<ApplicationState>();
  {
    Context first(RequestSpec{.application = site});
    com::Let(first.Application(), u"", u"access", u"PublicQeDataType");
    com::Let(first.Application(), u"", u"x", u"Other");
  }
  Context second(RequestSpec{.application = site});
  Variant app = second.Application();
  EXPECT_EQ(com::Call(app, u"", u"publicqedatatype"), Variant(u"access"));
  EXPECT_EQ(com::Call(app, u"Contents", u"PUBLICQEDATATYPE"), Variant(u"access"));
  EXPECT_EQ(com::Call(com::Call(app, u"Contents"), u"Key", 2), Variant(u"Other"));
  com::Call(app, u"Remove", u"other");
  EXPECT_EQ(com::Call(com::Call(app, u"Contents"), u"Count"), Variant(int32_t{1}));
  com::Call(app, u"RemoveAll");
  EXPECT_TRUE(com::Call(app, u"", u"PublicQeDataType").IsEmpty());

  Context elsewhere(RequestSpec{});
  EXPECT_TRUE(com::Call(elsewhere.Application(), u"", u"PublicQeDataType").IsEmpty());
}

TEST(ApplicationLock, BlocksAnotherRequestUntilTheLastUnlock) {
  auto site = std::make_shared<ApplicationState>();
  Context holder(RequestSpec{.application = site});
  com::Call(holder.Application(), u"Lock");
  com::Call(holder.Application(), u"Lock");  // re-entrant
  com::Let(holder.Application(), u"", u"holder", u"Who");

  std::atomic<bool> locked{false};
  std::thread other([&] {
    Context ctx(RequestSpec{.application = site});
    com::Call(ctx.Application(), u"Lock");
    locked = true;
    com::Let(ctx.Application(), u"", u"other", u"Who");
    com::Call(ctx.Application(), u"Unlock");
  });
  std::this_thread::sleep_for(kSettle);
  EXPECT_FALSE(locked);
  com::Call(holder.Application(), u"Unlock");
  std::this_thread::sleep_for(kSettle);
  EXPECT_FALSE(locked);  // still held once
  EXPECT_EQ(com::Call(holder.Application(), u"", u"Who"), Variant(u"holder"));
  com::Call(holder.Application(), u"Unlock");
  other.join();
  EXPECT_TRUE(locked);
  EXPECT_EQ(com::Call(holder.Application(), u"", u"Who"), Variant(u"other"));
}

TEST(ApplicationLock, OthersReadButWaitToWriteUntilTheRequestEnds) {
  auto site = std::make_shared<ApplicationState>();
  site->Put(nullptr, u"Count", 1);
  auto holder = std::make_unique<Context>(RequestSpec{.application = site});
  com::Call(holder->Application(), u"Lock");

  std::atomic<bool> read{false}, wrote{false};
  std::thread other([&] {
    Context ctx(RequestSpec{.application = site});
    if (com::Call(ctx.Application(), u"", u"count") == Variant(1)) read = true;
    com::Let(ctx.Application(), u"", 2, u"Count");
    wrote = true;
  });
  // Reading does not wait: the other request reads while the lock is held
  // (waited for, so that a slow machine cannot fail the test), then blocks.
  for (int i = 0; i < 1000 && !read; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(read);
  std::this_thread::sleep_for(kSettle);
  EXPECT_FALSE(wrote);
  holder->Finish();  // the end of the request gives the lock up without Unlock
  other.join();
  EXPECT_TRUE(wrote);
  EXPECT_EQ(site->Get(u"Count"), Variant(2));
}

TEST(ApplicationLock, UnlockWithoutLockAndReleaseOnDestruction) {
  auto site = std::make_shared<ApplicationState>();
  Context a(RequestSpec{.application = site});
  com::Call(a.Application(), u"Unlock");
  EXPECT_FALSE(site->LockedBy(&a.ApplicationObject()));
  {
    Context b(RequestSpec{.application = site});
    com::Call(b.Application(), u"Lock");
    EXPECT_TRUE(site->LockedBy(&b.ApplicationObject()));
  }
  com::Call(a.Application(), u"Lock");  // would hang if b had kept it
  EXPECT_TRUE(site->LockedBy(&a.ApplicationObject()));
}

}  // namespace
}  // namespace asp
