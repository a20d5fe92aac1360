// Date stamps and their display forms, and the two month-first conversions.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "common/kesra_dates.h"
#include "platform/vb/datetime.h"
#include "platform/vb/raises.h"

namespace {

// The local clock read apart from the platform's date functions.
std::string LocalStamp(const char* format) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[32];
  std::strftime(buf, sizeof buf, format, &local);
  return buf;
}

// `read` between two readings of the clock (so a second or a midnight
// passing during the test does not fail it).
template <class Read>
void ExpectClock(Read read, const char* format) {
  std::string before = LocalStamp(format);
  std::string value = vb::ToUtf8(read());
  std::string after = LocalStamp(format);
  EXPECT_TRUE(value == before || value == after) << value << " not " << before << " or " << after;
}

TEST(KesraGetDate, StampOfTheDateOrOfToday) {
  ExpectClock([] { return qe::KesraGetDate(); }, "%Y%m%d");
  ExpectClock([] { return qe::KesraGetDate(vb::Date{284.0}); }, "%Y%m%d");
  EXPECT_EQ(qe::KesraGetDate(vb::Date{284.5}), u"19001010");  // with a time of day it is a date like any other
  EXPECT_EQ(qe::KesraGetDate(vb::DateSerial(2024, 1, 5)), u"20240105");
  EXPECT_EQ(qe::KesraGetDate(vb::Date{vb::DateSerial(2024, 12, 31).serial + 0.75}), u"20241231");
  EXPECT_EQ(qe::KesraGetDate(vb::DateSerial(999, 3, 9)), u"9990309");  // the year is not padded
  EXPECT_EQ(qe::KesraGetDate(vb::DateSerial(9999, 12, 31)), u"99991231");
}

TEST(KesraGetDateTime, FourteenDigitsOfNow) {
  ExpectClock([] { return qe::KesraGetDateTime(); }, "%Y%m%d%H%M%S");
}

TEST(KesraPutDate, NumericStampsCutByPosition) {
  struct {
    const char16_t* text;
    const char16_t* expected;
  } cases[] = {
      {u"20240105", u"2024-01-05"},
      {u" 20240105 ", u"2024-01-05"},
      {u"20240105093007", u"2024-01-05"},  // characters past 8 are ignored
      {u"202401", u"2024-01-"},
      {u"2024", u"2024--"},
      {u"-1", u"-1--"},
      {u"12.5", u"12.5--"},
      {u"", u""},
      {u"   ", u""},
      {u" 2024年1月5日 ", u"2024年1月5日"},
      {u"abc", u"abc"},
  };
  for (const auto& c : cases) EXPECT_EQ(qe::KesraPutDate(c.text), c.expected) << vb::ToUtf8(c.text);
}

TEST(KesraPutDateTime, NumericStampsCutByPosition) {
  struct {
    const char16_t* text;
    const char16_t* expected;
  } cases[] = {
      {u"20240105093007", u"2024-01-05 09:30:07"},
      {u"  20240105093007", u"2024-01-05 09:30:07"},
      {u"20240105", u"2024-01-05 ::"},
      {u"202401050930", u"2024-01-05 09:30:"},
      {u"", u""},
      {u"2024-01-05 09:30", u"2024-01-05 09:30"},
  };
  for (const auto& c : cases) EXPECT_EQ(qe::KesraPutDateTime(c.text), c.expected) << vb::ToUtf8(c.text);
}

TEST(KesraDateVB2VFP, MonthDayYearWithoutLeadingZeros) {
  struct {
    const char16_t* text;
    const char16_t* expected;
  } cases[] = {
      {u"2024-01-05", u"1/5/2024"},
      {u"2024/12/25 10:30:00", u"12/25/2024"},
      {u"2024年1月5日", u"1/5/2024"},
      {u" 2024-1-5 ", u"1/5/2024"},
  };
  for (const auto& c : cases) EXPECT_EQ(qe::KesraDateVB2VFP(c.text), c.expected) << vb::ToUtf8(c.text);
  ExpectClock([] { return qe::KesraDateVB2VFP(u""); }, "%-m/%-d/%Y");
  ExpectClock([] { return qe::KesraDateVB2VFP(u"   "); }, "%-m/%-d/%Y");
  EXPECT_RAISES(vb::kTypeMismatch, qe::KesraDateVB2VFP(u"abc"));
  EXPECT_RAISES(vb::kTypeMismatch, qe::KesraDateVB2VFP(u"2024-02-30"));
}

TEST(KesraDateVFP2VB, MonthFirstTextToYearFirst) {
  struct {
    const char16_t* text;
    const char16_t* expected;
  } cases[] = {
      {u"01/05/2024", u"2024-01-05"},
      {u"12/25/2024", u"2024-12-25"},
      {u"01/05/2024星期五", u"2024-01-05"},   // weekday names are removed
      {u"01/05/2024 星期五", u"024 -01-05"},  // ... but the rest is not trimmed
      {u"2024-01-05", u"2024-01-05"},          // a date without "/" stays as it is
      {u"2024年1月5日", u"2024年1月5日"},
      {u"abc", u"abc-ab-"},                    // never fails: cut by position
  };
  for (const auto& c : cases) EXPECT_EQ(qe::KesraDateVFP2VB(c.text), c.expected) << vb::ToUtf8(c.text);
  ExpectClock([] { return qe::KesraDateVFP2VB(u""); }, "%Y-%m-%d");
  ExpectClock([] { return qe::KesraDateVFP2VB(u"星期五"); }, "%Y-%m-%d");
  ExpectClock([] { return qe::KesraDateVFP2VB(u" 星期一星期二 "); }, "%Y-%m-%d");
}

}  // namespace
