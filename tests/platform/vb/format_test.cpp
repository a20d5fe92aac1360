#include "platform/vb/format.h"

#include <gtest/gtest.h>

#include "platform/vb/datetime.h"
#include "raises.h"

namespace vb {
namespace {

struct Case {
  Variant value;
  const char16_t* pattern;
  const char16_t* want;
};

void CheckAll(std::initializer_list<Case> cases) {
  for (const auto& c : cases) EXPECT_EQ(Format(c.value, c.pattern), c.want) << ToUtf8(c.pattern);
}

TEST(Format, DatePatterns) {
  Date t = DateFromParts({2024, 1, 5, 9, 7, 3});
  Date pm = DateFromParts({2024, 11, 25, 13, 45, 30});
  CheckAll({
      {t, u"yyyy", u"2024"},
      {t, u"mm", u"01"},
      {t, u"dd", u"05"},
      {t, u"hh", u"09"},
      {t, u"nn", u"07"},
      {t, u"ss", u"03"},
      {t, u"yyyymmdd", u"20240105"},
      {t, u"yyyymmddhhnnss", u"20240105090703"},
      {t, u"yyyy-mm-dd hh:nn:ss", u"2024-01-05 09:07:03"},
      {t, u"YYYY-MM-DD HH:NN:SS", u"2024-01-05 09:07:03"},
      {t, u"yy/m/d h:n:s", u"24/1/5 9:7:3"},
      {t, u"hh:mm", u"09:07"},       // m after an hour is the minute
      {t, u"mm:ss", u"07:03"},       // and before seconds too
      {t, u"yyyy-mm", u"2024-01"},
      {t, u"yyyy年m月d日", u"2024年1月5日"},
      {t, u"dddd", u"星期五"},
      {t, u"ddd", u"周五"},
      {t, u"mmm", u"1月"},
      {t, u"mmmm", u"一月"},
      {pm, u"mmmm", u"十一月"},
      {t, u"ddddd", u"2024/1/5"},
      {t, u"dddddd", u"2024年1月5日"},
      {t, u"w", u"6"},
      {t, u"ww", u"1"},
      {pm, u"ww", u"48"},
      {t, u"q", u"1"},
      {pm, u"q", u"4"},
      {t, u"y", u"5"},
      {pm, u"y", u"330"},
      {pm, u"hh:nn AM/PM", u"01:45 PM"},
      {t, u"h:nn am/pm", u"9:07 am"},
      {DateFromParts({2024, 1, 5, 0, 30, 0}), u"h:nn AM/PM", u"12:30 AM"},
      {t, u"\"d\"dd", u"d05"},
      {t, u"\\yyyyy", u"y2024"},
      {u"2024-1-5 10:20:30", u"yyyy-mm-dd hh:nn:ss", u"2024-01-05 10:20:30"},
      {45296.5, u"yyyy-mm-dd hh:nn", u"2024-01-05 12:00"},
      {u"45296", u"yyyymmdd", u"20240105"},
      {u"abc", u"yyyy", u"abc"},
  });
}

TEST(Format, NumberPatterns) {
  CheckAll({
      {5, u"0", u"5"},
      {5, u"00", u"05"},
      {123, u"00", u"123"},
      {2.5, u"0", u"3"},  // halves away from zero, unlike CInt
      {-2.5, u"0", u"-3"},
      {3.14159, u"0.00", u"3.14"},
      {2.675, u"0.00", u"2.68"},
      {0.125, u"0.00", u"0.13"},
      {0.5, u"0.00", u"0.50"},
      {0.5, u"#.00", u".50"},
      {1234567, u"#,##0", u"1,234,567"},
      {1234567.891, u"#,##0.00", u"1,234,567.89"},
      {999.995, u"#,##0.00", u"1,000.00"},
      {-1234.5, u"#,##0.00", u"-1,234.50"},
      {0, u"#,##0", u"0"},
      {100, u"#,##0", u"100"},
      {0, u"#", u""},
      {1.5, u"0.##", u"1.5"},
      {1, u"0.##", u"1."},
      {1.005, u"0.0#", u"1.01"},
      {0.256, u"0.0%", u"25.6%"},
      {12.5, u"\uFFE5#,##0.00", u"\uFFE512.50"},
      {12, u"0\"元\"", u"12元"},
      {-3, u"0;(0)", u"(3)"},
      {0, u"0;(0);\"零\"", u"零"},
      {3, u"0;(0);\"零\"", u"3"},
      {-0.001, u"0.00", u"-0.00"},
      {1e20, u"0", u"100000000000000000000"},
      {0.000001234, u"0.000000", u"0.000001"},
      {u"1,234.5", u"#,##0.0", u"1,234.5"},
      {u"abc", u"0.00", u"abc"},
      {true, u"0", u"-1"},
      {Currency{123456}, u"0.00", u"12.35"},
  });
}

TEST(Format, NamedAndDefault) {
  Date t = DateFromParts({2024, 1, 5, 9, 7, 3});
  CheckAll({
      {t, u"Long Date", u"2024年1月5日"},
      {t, u"short date", u"2024/1/5"},
      {t, u"Long Time", u"9:07:03"},
      {t, u"Short Time", u"9:07"},
      {t, u"General Date", u"2024/1/5 9:07:03"},
      {1234.5, u"Standard", u"1,234.50"},
      {1234.5, u"Fixed", u"1234.50"},
      {0.5, u"Percent", u"50.00%"},
      {1.0 / 3, u"General Number", u"0.333333333333333"},
      {1.0 / 3, u"", u"0.333333333333333"},
      {t, u"", u"2024/1/5 9:07:03"},
      {Variant::Null(), u"0.00", u""},
      {Variant::Null(), u"", u""},
  });
}

TEST(Format, FormatNumber) {
  EXPECT_EQ(FormatNumber(1234.5), u"1,234.50");
  EXPECT_EQ(FormatNumber(1234.5, 0), u"1,235");
  EXPECT_EQ(FormatNumber(0.5, 2), u"0.50");
  EXPECT_EQ(FormatNumber(-1234567.125, 1), u"-1,234,567.1");
  EXPECT_EQ(FormatNumber(u"1000"), u"1,000.00");
  EXPECT_EQ(FormatNumber(1.0 / 3, 4), u"0.3333");
  EXPECT_EQ(FormatNumber(0), u"0.00");
  EXPECT_RAISES(13, FormatNumber(u"abc"));
  EXPECT_RAISES(94, FormatNumber(Variant::Null()));
  EXPECT_RAISES(5, FormatNumber(1, -2));
}

}  // namespace
}  // namespace vb
