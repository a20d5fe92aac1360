// Percent coding of UTF-8 in web addresses.
#include <gtest/gtest.h>

#include <algorithm>

#include "../platform/vb/raises.h"
#include "common/kesra_url_code.h"
#include "support/case_table.h"

namespace {

using qe_test::Printable;

TEST(KesraUrlEncode, EscapesNonAsciiAsUtf8AndOnlyPlusAndPercentOfAscii) {
  qe_test::ExpectEach<vb::String>(qe::KesraUrlEncode_GBToUtf8, {
      {u"a+b%c", u"a%2Bb%25c"},
      {u"é", u"%C3%A9"},
      {u"中", u"%E4%B8%AD"},
      {u"Hello big World", u"Hello big World"},
      {u"a&b=c?d#e/f", u"a&b=c?d#e/f"},
      {u"\u07FF\u0800", u"%DF%BF%E0%A0%80"},
      {u"\U0001D11E", u"%ED%A0%B4%ED%B4%9E"},  // one escape per code unit
      {u"", u""},
  });
}

TEST(KesraUrlDecode, ReadsTheEscapesTheEncoderWrites) {
  qe_test::ExpectEach<vb::String>(qe::KesraUrlDecode_GBToUtf8, {
      {u"%E4%B8%AD", u"中"},
      {u"%C3%A9", u"é"},
      {u"%41", u"A"},
      {u"%e4%b8%ad", u"中"},
      {u"a+b", u"a b"},
      {u"%2B%25", u"+%"},
      {u"%E4xB8yAD", u"中"},  // the "%" inside a form is not checked
      {u"%4", u"\x04"},       // one digit at the end
      {u"50%25 off", u"50% off"},
  });
  for (const vb::String bad : {u"%", u"100%", u"%zz", u"%E4%B8", u"%C3"}) {
    SCOPED_TRACE(Printable(bad));
    EXPECT_RAISES(vb::kTypeMismatch, qe::KesraUrlDecode_GBToUtf8(bad));
  }
}

TEST(KesraUrlDecode, EveryCodeUnitComesBack) {
  // In pieces whose escapes stay within 32,767 characters.
  for (uint32_t first = 0; first < 0x10000; first += 0x0E00) {
    vb::String text;
    for (uint32_t u = first; u < std::min<uint32_t>(first + 0x0E00, 0x10000); ++u) text += static_cast<char16_t>(u);
    ASSERT_EQ(qe::KesraUrlDecode_GBToUtf8(qe::KesraUrlEncode_GBToUtf8(text)), text) << first;
  }
}

TEST(KesraUrlCode, LongTextsOverflow) {
  EXPECT_EQ(qe::KesraUrlEncode_GBToUtf8(vb::String(32767, u'a')).size(), 32767u);
  EXPECT_RAISES(vb::kOverflow, qe::KesraUrlEncode_GBToUtf8(vb::String(32768, u'a')));
  EXPECT_EQ(qe::KesraUrlDecode_GBToUtf8(vb::String(32767, u'+')), vb::String(32767, u' '));
  EXPECT_RAISES(vb::kOverflow, qe::KesraUrlDecode_GBToUtf8(vb::String(32768, u'a')));
}

}  // namespace
