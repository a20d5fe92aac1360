// Numbers in other bases and byte arrays as numbers.
#include <gtest/gtest.h>

#include "../platform/vb/raises.h"
#include "common/kesra_number_bases.h"
#include "facade/qecls.h"

namespace {

vb::Currency Cur(int64_t whole, int64_t ten_thousandths = 0) { return {whole * 10000 + ten_thousandths}; }

TEST(KesraDecToHex, WritesUpperCaseDigitsWithoutLeadingZeros) {
  const std::pair<vb::Currency, vb::String> cases[] = {
      {Cur(255), u"FF"},
      {Cur(16), u"10"},
      {Cur(1), u"1"},
      {Cur(10), u"A"},
      {Cur(0), u""},
      {Cur(-5), u""},
      {Cur(4294967295), u"FFFFFFFF"},
      {Cur(922337203685477, 5807), u"346DC5D63886" u"5.5807"},  // the largest Currency
      {Cur(255, 5000), u"F15.5"},  // the fraction stays on the lowest digit
      {Cur(0, 5000), u"0.5"},
  };
  for (const auto& [value, expected] : cases) {
    SCOPED_TRACE(value.scaled);
    EXPECT_EQ(qe::KesraDecToHex(value), expected);
  }
}

TEST(KesraDecToBin, WritesBinaryDigitsOfTheRoundedLong) {
  const std::pair<vb::Currency, vb::String> cases[] = {
      {Cur(5), u"101"},
      {Cur(1), u"1"},
      {Cur(0), u""},
      {Cur(-1), u""},
      {Cur(2, 5000), u"10"},  // 2.5 rounds to even: 2
      {Cur(3, 5000), u"100"},
      {Cur(0, 4000), u"0"},
      {Cur(2147483647), vb::String(31, u'1')},
  };
  for (const auto& [value, expected] : cases) {
    SCOPED_TRACE(value.scaled);
    EXPECT_EQ(qe::KesraDecToBin(value), expected);
  }
  EXPECT_RAISES(vb::kOverflow, qe::KesraDecToBin(Cur(2147483648)));
}

TEST(KesraJoin, WritesEachByteAsANumber) {
  EXPECT_EQ(qe::KesraJoin(vb::Array::OfBytes({1, 23, 0, 255}), u","), u"1,23,0,255");
  EXPECT_EQ(qe::KesraJoin(vb::Array::OfBytes({1, 23}), u""), u"123");
  EXPECT_EQ(qe::KesraJoin(vb::Array::OfBytes({}), u","), u"");
  EXPECT_RAISES(vb::kSubscriptOutOfRange, qe::KesraJoin(vb::Array(), u","));
  vb::Array from_five(vb::vbByte, {{5, 6}});
  from_five.Set({5}, vb::Variant(uint8_t{7}));
  EXPECT_EQ(qe::KesraJoin(from_five, u"-"), u"7-0");

  EXPECT_EQ(qe::KesraJoin(vb::Array::OfBytes(std::vector<uint8_t>(32768, 1)), u"").size(), 32768u);
  EXPECT_RAISES(vb::kOverflow, qe::KesraJoin(vb::Array::OfBytes(std::vector<uint8_t>(32769, 1)), u""));

  vb::Variant bytes(vb::Array::OfBytes({9, 8}));
  EXPECT_EQ(com::Call(vb::Variant(std::make_shared<qe::QeCls>()), u"CommJoin", bytes, u"+"), vb::Variant(u"9+8"));
}

}  // namespace
