#include "platform/vb/datetime.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/vb/convert.h"
#include "platform/vb/information.h"
#include "raises.h"

namespace vb {
namespace {

Date D(int y, int m, int d, int h = 0, int n = 0, int s = 0) { return DateFromParts({y, m, d, h, n, s}); }
String Show(Date d) { return FormatDateDefault(d); }

TEST(DateTime, SerialsAndParts) {
  EXPECT_EQ(D(1899, 12, 30).serial, 0);
  EXPECT_EQ(D(2024, 1, 5).serial, 45296);
  EXPECT_EQ(D(1899, 12, 29, 6).serial, -1.25);  // before day 0 the time counts back
  EXPECT_EQ(D(100, 1, 1).serial, -657434);
  EXPECT_EQ(D(9999, 12, 31).serial, 2958465);
  EXPECT_RAISES(6, D(99, 12, 31));
  EXPECT_RAISES(6, D(10000, 1, 1));
  EXPECT_RAISES(6, PartsOfDate(Date{3e6}));
  EXPECT_RAISES(6, PartsOfDate(Date{NAN}));

  Date d = D(1899, 12, 29, 6, 30, 15);
  EXPECT_EQ(Year(d), 1899);
  EXPECT_EQ(Month(d), 12);
  EXPECT_EQ(Day(d), 29);
  EXPECT_EQ(Hour(d), 6);
  EXPECT_EQ(Minute(d), 30);
  EXPECT_EQ(Second(d), 15);
  EXPECT_EQ(Show(Date{45296.999999}), u"2024/1/6");  // rounds to the second
}

TEST(DateTime, DateSerialCarries) {
  struct Case {
    int y, m, d;
    const char16_t* want;
  } cases[] = {
      {2024, 13, 1, u"2025/1/1"},   {2024, 3, 0, u"2024/2/29"},  {2023, 3, 0, u"2023/2/28"},
      {2024, 1, -1, u"2023/12/30"}, {2024, 0, 1, u"2023/12/1"},  {2024, -11, 1, u"2023/1/1"},
      {2024, 1, 32, u"2024/2/1"},   {2024, 2, 30, u"2024/3/1"},  {2024, 25, 1, u"2026/1/1"},
      {24, 1, 5, u"2024/1/5"},      {29, 1, 1, u"2029/1/1"},     {30, 1, 1, u"1930/1/1"},
      {99, 12, 31, u"1999/12/31"},  {100, 1, 1, u"100/1/1"},     {2024, 1, 366, u"2024/12/31"},
  };
  for (const auto& c : cases) EXPECT_EQ(Show(DateSerial(c.y, c.m, c.d)), c.want) << c.y << "-" << c.m << "-" << c.d;
  EXPECT_RAISES(5, DateSerial(10000, 1, 1));
  EXPECT_RAISES(5, DateSerial(9999, 12, 32));
  EXPECT_RAISES(5, DateSerial(100, 1, 0));
}

TEST(DateTime, LeapYearsAreEveryFourthButNotCenturiesUnlessFourHundredth) {
  struct Case {
    int year;
    bool leap;
  } cases[] = {{1900, false}, {2000, true}, {2100, false}, {1600, true}, {2024, true}, {2023, false}};
  for (const auto& c : cases) {
    String text = FromUtf8(std::to_string(c.year)) + u"-02-29";
    Date parsed;
    EXPECT_EQ(ParseDate(text, parsed), c.leap) << c.year;
    EXPECT_EQ(IsDate(Variant(text)), c.leap) << c.year;
    if (c.leap) EXPECT_EQ(parsed.serial, D(c.year, 2, 29).serial) << c.year;
    else EXPECT_RAISES(13, CDate(Variant(text)));
    // Carrying past February lands on the 29th only in a leap year.
    String want = FromUtf8(std::to_string(c.year)) + (c.leap ? u"/2/29" : u"/3/1");
    EXPECT_EQ(Show(DateSerial(c.year, 2, 29)), want) << c.year;
    EXPECT_EQ(Show(Date{DateSerial(c.year, 2, 28).serial + 1}), want) << c.year;
    EXPECT_EQ(DateDiff(u"d", DateSerial(c.year, 2, 1), DateSerial(c.year, 3, 1)), c.leap ? 29 : 28) << c.year;
  }
  EXPECT_EQ(Show(DateAdd(u"yyyy", 100, D(2000, 2, 29))), u"2100/2/28");
  EXPECT_EQ(Show(DateAdd(u"m", 1, D(1900, 1, 31))), u"1900/2/28");
  EXPECT_EQ(Show(DateAdd(u"m", 1, D(2000, 1, 31))), u"2000/2/29");
}

TEST(DateTime, TimeSerialCarries) {
  EXPECT_EQ(Show(TimeSerial(10, 20, 30)), u"10:20:30");
  EXPECT_EQ(Show(TimeSerial(0, 90, 0)), u"1:30:00");
  EXPECT_EQ(Show(TimeSerial(25, 0, 0)), u"1899/12/31 1:00:00");
  EXPECT_EQ(Show(TimeSerial(-1, 0, 0)), u"1899/12/29 23:00:00");
  EXPECT_EQ(Show(TimeSerial(0, 0, -1)), u"1899/12/29 23:59:59");
}

TEST(DateTime, Weekday) {
  struct Case {
    Date date;
    int first, want;
  } cases[] = {
      {D(2024, 1, 5), 1, 6},       // a Friday, weeks from Sunday
      {D(2024, 1, 7), 1, 1},       // Sunday
      {D(2024, 1, 5), 2, 5},       // weeks from Monday
      {D(2024, 1, 7), 2, 7},
      {D(2024, 1, 5), 0, 5},       // the zh-CN week starts on Monday
      {D(2024, 1, 5), 7, 7},       // weeks from Saturday
      {D(1899, 12, 30), 1, 7},     // day 0 was a Saturday
      {Date{-1.25}, 1, 6},         // 1899-12-29 06:00, a Friday
      {D(1600, 3, 1), 1, 4},       // a Wednesday
      {D(2024, 1, 5, 23, 59, 59), 1, 6},
  };
  for (const auto& c : cases) EXPECT_EQ(Weekday(c.date, c.first), c.want) << ToUtf8(Show(c.date)) << " " << c.first;
  EXPECT_RAISES(5, Weekday(D(2024, 1, 5), 8));
  EXPECT_RAISES(5, Weekday(D(2024, 1, 5), -1));
}

TEST(DateTime, DateAdd) {
  struct Case {
    const char16_t* interval;
    double number;
    Date date;
    const char16_t* want;
  } cases[] = {
      {u"m", 1, D(2024, 1, 31), u"2024/2/29"},
      {u"m", 1, D(2023, 1, 31), u"2023/2/28"},
      {u"m", -1, D(2024, 3, 31), u"2024/2/29"},
      {u"m", 1, D(2024, 1, 31, 10, 0, 0), u"2024/2/29 10:00:00"},
      {u"m", 12, D(2024, 5, 15), u"2025/5/15"},
      {u"m", -5, D(2024, 3, 15), u"2023/10/15"},
      {u"M", 1, D(2024, 12, 1), u"2025/1/1"},
      {u"yyyy", 1, D(2024, 2, 29), u"2025/2/28"},
      {u"yyyy", -4, D(2024, 2, 29), u"2020/2/29"},
      {u"q", 1, D(2024, 11, 30), u"2025/2/28"},
      {u"d", 1, D(2024, 12, 31), u"2025/1/1"},
      {u"d", -1, D(2024, 3, 1), u"2024/2/29"},
      {u"d", 1.9, D(2024, 1, 1), u"2024/1/3"},  // counts round to whole ones
      {u"d", 2.5, D(2024, 1, 1), u"2024/1/3"},  // ties to even
      {u"h", -0.4, D(2024, 1, 1), u"2024/1/1"},
      {u"y", 1, D(2024, 1, 1), u"2024/1/2"},
      {u"w", 1, D(2024, 1, 1), u"2024/1/2"},
      {u"ww", 1, D(2024, 1, 1), u"2024/1/8"},
      {u"h", 2, D(2024, 1, 1, 23, 0, 0), u"2024/1/2 1:00:00"},
      {u"n", -1, D(2024, 1, 1), u"2023/12/31 23:59:00"},
      {u"s", 86400, D(2024, 1, 1, 0, 0, 1), u"2024/1/2 0:00:01"},
      {u"h", 1, Date{-1.25}, u"1899/12/29 7:00:00"},
      {u"h", 18, Date{-1.25}, u"0:00:00"},
      {u"d", 1, D(1800, 2, 28), u"1800/3/1"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Show(DateAdd(c.interval, c.number, c.date)), c.want) << ToUtf8(c.interval) << " " << c.number;
  EXPECT_RAISES(5, DateAdd(u"x", 1, D(2024, 1, 1)));
  EXPECT_RAISES(5, DateAdd(u"yyyy", 1, D(9999, 1, 1)));
  EXPECT_RAISES(5, DateAdd(u"d", 1, D(9999, 12, 31)));
  EXPECT_RAISES(5, DateAdd(u"d", -1, D(100, 1, 1)));
  EXPECT_RAISES(5, DateAdd(u"s", 1e300, D(2024, 1, 1)));
}

TEST(DateTime, DateDiffCountsBoundaries) {
  struct Case {
    const char16_t* interval;
    Date a, b;
    int64_t want;
  } cases[] = {
      {u"yyyy", D(2023, 12, 31), D(2024, 1, 1), 1},
      {u"yyyy", D(2024, 1, 1), D(2024, 12, 31), 0},
      {u"yyyy", D(2024, 1, 1), D(2020, 12, 31), -4},
      {u"q", D(2023, 12, 31), D(2024, 1, 1), 1},
      {u"q", D(2024, 1, 1), D(2024, 3, 31), 0},
      {u"m", D(2023, 12, 31), D(2024, 1, 1), 1},
      {u"m", D(2024, 1, 1), D(2024, 1, 31), 0},
      {u"m", D(2024, 3, 1), D(2023, 1, 31), -14},
      {u"d", D(2023, 12, 31, 23, 59, 59), D(2024, 1, 1), 1},
      {u"d", D(2024, 1, 1), D(2024, 1, 1, 23, 59, 59), 0},
      {u"y", D(2024, 1, 1), D(2023, 1, 1), -365},
      {u"h", D(2023, 12, 31, 23, 59, 0), D(2024, 1, 1, 0, 1, 0), 1},
      {u"n", D(2023, 12, 31, 23, 59, 0), D(2024, 1, 1, 0, 1, 0), 2},
      {u"s", D(2023, 12, 31, 23, 59, 0), D(2024, 1, 1, 0, 1, 0), 120},
      // Before 1970 too, a boundary is counted when it is crossed.
      {u"h", D(1960, 1, 1, 1, 0, 0), D(1960, 1, 1, 1, 30, 0), 0},
      {u"h", D(1960, 1, 1, 0, 59, 0), D(1960, 1, 1, 1, 0, 0), 1},
      {u"n", D(1960, 1, 1, 0, 0, 0), D(1960, 1, 1, 0, 0, 59), 0},
      {u"n", D(1960, 1, 1, 0, 0, 59), D(1960, 1, 1, 0, 1, 0), 1},
      {u"h", D(1969, 12, 31, 23, 30, 0), D(1970, 1, 1, 0, 30, 0), 1},
      {u"h", Date{-1.25}, Date{0}, 18},
      {u"w", D(2024, 1, 1), D(2024, 1, 14), 1},
      {u"w", D(2024, 1, 1), D(2024, 1, 15), 2},
      {u"w", D(2024, 1, 15), D(2024, 1, 2), -1},
      {u"ww", D(2024, 1, 6), D(2024, 1, 7), 1},  // Saturday to Sunday
      {u"ww", D(2024, 1, 7), D(2024, 1, 13), 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DateDiff(c.interval, c.a, c.b), c.want) << ToUtf8(c.interval) << " " << ToUtf8(Show(c.a)) << " "
                                                      << ToUtf8(Show(c.b));
  EXPECT_EQ(DateDiff(u"ww", D(2024, 1, 6), D(2024, 1, 7), 2), 0);  // weeks from Monday
  EXPECT_EQ(DateDiff(u"ww", D(2024, 1, 7), D(2024, 1, 8), 2), 1);
  EXPECT_RAISES(5, DateDiff(u"x", D(2024, 1, 1), D(2024, 1, 1)));
}

TEST(DateTime, DefaultDisplay) {
  EXPECT_EQ(Show(D(2024, 1, 5)), u"2024/1/5");
  EXPECT_EQ(Show(D(2024, 11, 25, 13, 5, 9)), u"2024/11/25 13:05:09");
  EXPECT_EQ(Show(TimeSerial(0, 0, 0)), u"0:00:00");
  EXPECT_EQ(Show(TimeSerial(23, 59, 59)), u"23:59:59");
  EXPECT_EQ(Show(D(1899, 12, 30, 8, 0, 0)), u"8:00:00");
  EXPECT_EQ(Show(D(1899, 12, 31)), u"1899/12/31");
}

TEST(DateTime, ParseDateAcceptsZhCnForms) {
  int year = Year(Now());
  struct Case {
    const char16_t* text;
    Date want;
  } cases[] = {
      {u"2024-1-5", D(2024, 1, 5)},
      {u"2024-01-05", D(2024, 1, 5)},
      {u"2024/01/05 10:20:30", D(2024, 1, 5, 10, 20, 30)},
      {u"  2024/1/5  10:20  ", D(2024, 1, 5, 10, 20, 0)},
      {u"2024.1.5", D(2024, 1, 5)},
      {u"2024年1月5日", D(2024, 1, 5)},
      {u"2024年1月5日 8:00", D(2024, 1, 5, 8, 0, 0)},
      {u"2024年1月", D(2024, 1, 1)},
      {u"1月5日", D(year, 1, 5)},
      {u"2024-2", D(2024, 2, 1)},
      {u"1-5", D(year, 1, 5)},
      {u"1/5/2024", D(2024, 1, 5)},
      {u"13/5/2024", D(2024, 5, 13)},
      {u"24-1-5", D(2024, 1, 5)},
      {u"99-12-31", D(1999, 12, 31)},
      {u"12/31/99", D(1999, 12, 31)},
      {u"2024-02-29", D(2024, 2, 29)},
      {u"10:20", D(1899, 12, 30, 10, 20, 0)},
      {u"10:20:30", D(1899, 12, 30, 10, 20, 30)},
      {u"10:20:30 PM", D(1899, 12, 30, 22, 20, 30)},
      {u"10:20:30pm", D(1899, 12, 30, 22, 20, 30)},
      {u"12:00 AM", D(1899, 12, 30, 0, 0, 0)},
      {u"12:30 PM", D(1899, 12, 30, 12, 30, 0)},
      {u"10 PM", D(1899, 12, 30, 22, 0, 0)},
      {u"下午3:05", D(1899, 12, 30, 15, 5, 0)},
      {u"3:05 上午", D(1899, 12, 30, 3, 5, 0)},
      {u"10时20分30秒", D(1899, 12, 30, 10, 20, 30)},
      {u"10时20分", D(1899, 12, 30, 10, 20, 0)},
      {u"2024-1-5 0:0:0", D(2024, 1, 5)},
  };
  for (const auto& c : cases) {
    Date got;
    ASSERT_TRUE(ParseDate(c.text, got)) << ToUtf8(c.text);
    EXPECT_EQ(got.serial, c.want.serial) << ToUtf8(c.text) << " gave " << ToUtf8(Show(got));
  }
}

TEST(DateTime, ParseDateRejects) {
  const char16_t* texts[] = {
      u"",          u"   ",        u"abc",          u"10",        u"2023-02-29", u"2024-13-1",
      u"2024-1-32", u"25:00",      u"10:60",        u"10:20:60",  u"13:00 PM",   u"2024-1-5x",
      u"1.5",       u"20240105",   u"12abc",        u"2024-1-5 10", u"1e3",      u"1,000",
      u"2024-1-",   u"2024--1",    u"-2024-1-5",    u"2024-1/5",  u"99999-1-1",  u"0-0-0",
      u"10:",       u"PM",         u"2024年13月1日", u"2024年",    u"10:20 2024-1-5",
  };
  for (const char16_t* text : texts) {
    Date got;
    EXPECT_FALSE(ParseDate(text, got)) << ToUtf8(text) << " gave " << ToUtf8(Show(got));
  }
}

TEST(DateTime, Clock) {
  Date now = Now();
  Date today = Today();
  EXPECT_EQ(std::trunc(now.serial), today.serial);
  EXPECT_GT(today.serial, 45000);  // after 2023
  double t = Timer();
  EXPECT_GE(t, 0.0);
  EXPECT_LT(t, 86400.0);
  double time_of_day = TimeOfDay().serial;
  EXPECT_GE(time_of_day, 0.0);
  EXPECT_LT(time_of_day, 1.0);
}

}  // namespace
}  // namespace vb
