// The size text of a byte count.
#include "common/kesra_file_size.h"

#include <gtest/gtest.h>

#include "platform/vb/error.h"
#include "support/printable.h"

namespace {

TEST(KesraGetFileSize, PicksTheUnitAndRoundsToTwoDecimals) {
  struct Case {
    const char16_t* bytes;
    const char16_t* text;
  } cases[] = {
      {u"", u"0B"},
      {u"0", u"0B"},
      {u"1023", u"1023B"},
      {u"1023.75", u"1023.75B"},  // no rounding below 1024
      {u"1024", u"1K"},
      {u"1536", u"1.5K"},
      {u"1048575", u"1024K"},  // 1023.999 rounds up but keeps its unit
      {u"1048576", u"1M"},
      {u"5767168", u"5.5M"},
      {u"1073741824", u"1G"},
      {u"1099511627776", u"1024G"},  // no unit past G
      {u"10250", u"10.01K"},         // 10.009765625
      {u"2176", u"2.12K"},  // 2.125: halves to even
      {u"2432", u"2.38K"},  // 2.375
      {u" 2048 ", u"2K"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(qe_test::Printable(qe::KesraGetFileSize(c.bytes)), qe_test::Printable(c.text)) << qe_test::Printable(c.bytes);
}

TEST(KesraGetFileSize, TextThatIsNoNumberIsATypeMismatch) {
  try {
    qe::KesraGetFileSize(u"12KB");
    FAIL();
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), vb::kTypeMismatch);
  }
}

}  // namespace
