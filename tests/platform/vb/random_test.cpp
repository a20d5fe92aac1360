#include "platform/vb/random.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

namespace vb {
namespace {

std::vector<double> Draw(int n) {
  std::vector<double> out;
  for (int i = 0; i < n; ++i) out.push_back(Rnd());
  return out;
}

TEST(Random, UniformInTheHalfOpenUnitInterval) {
  const int n = 100000;
  int buckets[10] = {};
  for (double r : Draw(n)) {
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
    ++buckets[static_cast<int>(r * 10)];
  }
  // Each tenth holds 10000 ± a generous 5 standard deviations (about 475).
  for (int count : buckets) EXPECT_NEAR(count, n / 10, 500);
}

TEST(Random, ThreadsAndReseedsGiveDifferentSequences) {
  std::vector<double> here = Draw(4), there;
  std::thread([&] { there = Draw(4); }).join();
  EXPECT_NE(here, there);

  Randomize();
  std::vector<double> first = Draw(4);
  Randomize();
  EXPECT_NE(first, Draw(4));

  // The spread a page's random file names rely on: 900 three-digit endings.
  std::set<int> endings;
  for (double r : Draw(20000)) endings.insert(static_cast<int>(r * 900) + 100);
  EXPECT_EQ(endings.size(), 900u);
  EXPECT_EQ(*endings.begin(), 100);
  EXPECT_EQ(*endings.rbegin(), 999);
}

}  // namespace
}  // namespace vb
