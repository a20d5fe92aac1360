// Size texts of byte counts and currency numbers of parameter texts.
#include <gtest/gtest.h>

#include "common/kesra_number_text.h"
#include "platform/vb/raises.h"

namespace {

TEST(KesraGetFileSize, UnitsUpToGigabytes) {
  struct {
    const char16_t* bytes;
    const char16_t* expected;
  } cases[] = {
      {u"", u"0B"},
      {u"0", u"0B"},
      {u"1023", u"1023B"},
      {u"1000.5", u"1000.5B"},           // bytes are not rounded
      {u"-5", u"-5B"},
      {u"1024", u"1K"},
      {u"1536", u"1.5K"},
      {u"1049", u"1.02K"},
      {u"1152", u"1.12K"},               // 1.125: halves go to the even digit
      {u"1,024", u"1K"},
      {u"1048575", u"1024K"},            // rounding does not carry into the next unit
      {u"1048576", u"1M"},
      {u"1073741824", u"1G"},
      {u"1610612736", u"1.5G"},
      {u"1099511627776", u"1024G"},      // no unit beyond G
  };
  for (const auto& c : cases) EXPECT_EQ(qe::KesraGetFileSize(c.bytes), c.expected) << vb::ToUtf8(c.bytes);
}

TEST(KesraGetFileSize, TextThatIsNoNumberIsATypeMismatch) {
  EXPECT_RAISES(vb::kTypeMismatch, qe::KesraGetFileSize(u"abc"));
  EXPECT_RAISES(vb::kTypeMismatch, qe::KesraGetFileSize(u" "));
}

TEST(KesraStringToNumeric, NumericTextAsCurrency) {
  struct {
    const char16_t* text;
    int64_t scaled;
  } cases[] = {
      {u"", 0},
      {u"   ", 0},
      {u"abc", 0},
      {u"12abc", 0},
      {u"12", 120000},
      {u"2.5", 25000},
      {u"12.0", 120000},
      {u"-7", -70000},
      {u" 1,000 ", 10000000},
      {u"123456.78", 1234567800},       // kept to the cent
      {u"0.1", 1000},
      {u"1.23456", 12346},
      {u"2147483647", 21474836470000},
      {u"-2147483648", -21474836480000},
      {u"-2147483648.5", -21474836485000},  // rounds to the even -2147483648 for the range test
      {u"2147483647.4", 21474836474000},
  };
  for (const auto& c : cases)
    EXPECT_EQ(qe::KesraStringToNumeric(c.text).scaled, c.scaled) << vb::ToUtf8(c.text);
}

TEST(KesraStringToNumeric, OverflowsOutsideTheThirtyTwoBitRange) {
  for (const char16_t* text : {u"2147483648", u"2147483647.5", u"-2147483649", u"-2147483649.5", u"1e10"})
    EXPECT_RAISES(vb::kOverflow, qe::KesraStringToNumeric(text)) << vb::ToUtf8(text);
}

}  // namespace
