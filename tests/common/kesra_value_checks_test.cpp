// The value predicates: which texts each accepts, at the edges that pages hit
// (blanks around, signs and points, Chinese and ASCII mixed, lengths).
#include <gtest/gtest.h>

#include "common/kesra_value_checks.h"

namespace {

struct Case {
  const char16_t* text;
  bool expected;
};

template <class Predicate, size_t N>
void ExpectAll(Predicate predicate, const Case (&cases)[N]) {
  for (const auto& c : cases) EXPECT_EQ(predicate(c.text), c.expected) << vb::ToUtf8(c.text);
}

TEST(KesraCheckIsChinese, EveryCharacterDoubleByte) {
  ExpectAll(qe::KesraCheckIsChinese, {
                                         {u"中文", true},
                                         {u"  中文 ", true},        // blanks around are trimmed
                                         {u"中a", false},
                                         {u"中 文", false},         // an inner blank is single-byte
                                         {u"", false},
                                         {u"   ", false},
                                         {u"，。", true},           // full-width signs are double-byte
                                         {u"€", false},             // 0x80: one byte in code page 936
                                         {u"\u00e9", true},         // pinyin é is double-byte in the page
                                         {u"\u00c0", false},        // not in the page: becomes "?"
                                         {u"\u3000", true},         // the ideographic blank is double-byte
                                     });
}

TEST(KesraCheckIsInteger, DigitsOnly) {
  ExpectAll(qe::KesraCheckIsInteger, {
                                         {u"0123", true},
                                         {u" 42 ", true},
                                         {u"-5", false},
                                         {u"+5", false},
                                         {u"1.5", false},
                                         {u"12 3", false},
                                         {u"", false},
                                         {u" ", false},
                                         {u"１２", false},  // full-width digits are not "0".."9"
                                     });
}

TEST(KesraCheckIsNumeric, TheLocaleAwareNumericTest) {
  ExpectAll(qe::KesraCheckIsNumeric, {
                                         {u"12", true},
                                         {u"-3.5", true},
                                         {u" +7 ", true},
                                         {u"1,000", true},
                                         {u"1e3", true},
                                         {u"&H10", true},
                                         {u"abc", false},
                                         {u"12abc", false},
                                         {u"", false},
                                         {u"   ", false},
                                     });
}

TEST(KesraCheckIsTelephone, SevenDigitsOrHyphensAtLeast) {
  ExpectAll(qe::KesraCheckIsTelephone, {
                                           {u"010-1234", true},
                                           {u"123456", false},
                                           {u"1234567", true},
                                           {u"-------", true},
                                           {u"  123456  ", false},  // six after trimming
                                           {u"(010)1234567", false},
                                           {u"123 4567", false},
                                           {u"", false},
                                       });
}

TEST(KesraCheckIsValidString, FirstForbiddenCharacter) {
  struct {
    const char16_t* text;
    const char16_t* expected;
  } cases[] = {
      {u"a b", u" "},  {u"abc", u""},     {u"x=y'z", u"="},  {u"", u""},       {u"  abc  ", u""},
      {u"a\tb", u"\t"}, {u"say \"hi\"", u" "}, {u"a\"b", u"\""}, {u"c:\\x", u":"}, {u"中文", u""},
      {u"a|b", u"|"},  {u"50%", u"%"},    {u"x-y", u"-"},
  };
  for (const auto& c : cases) EXPECT_EQ(qe::KesraCheckIsValidString(c.text), c.expected) << vb::ToUtf8(c.text);
  // Each of the 23 forbidden characters on its own, and a few that are not.
  for (char16_t c : vb::StringView(u"=%?#&;,'+<>()-:\\*!/|\"\t"))
    EXPECT_EQ(qe::KesraCheckIsValidString(vb::String(u"a") + c), vb::String(1, c));
  for (char16_t c : vb::StringView(u"_.@$^~[]{}"))
    EXPECT_EQ(qe::KesraCheckIsValidString(vb::String(u"a") + c), u"");
}

TEST(KesraCheckIsEmail, NameAndDomainRules) {
  ExpectAll(qe::KesraCheckIsEmail, {
                                       {u"li.ming@school.cn", true},
                                       {u"Li_Ming-2@Mail.School.COM", true},  // upper case, digits, _ and -
                                       {u"a@b.cn", true},
                                       {u"a@b.c", false},         // a one-letter last label
                                       {u"a@bcn", false},         // no dot in the domain
                                       {u"a@b..cn", false},
                                       {u"a..b@c.cn", false},
                                       {u".a@b.cn", false},
                                       {u"a.@b.cn", false},
                                       {u"a@.b.cn", false},
                                       {u"a@b.cn.", false},
                                       {u"a@b@c.cn", false},
                                       {u"@b.cn", false},
                                       {u"a@", false},
                                       {u"", false},
                                       {u"a b@c.cn", false},
                                       {u" a@b.cn", false},       // not trimmed
                                       {u"李@b.cn", false},
                                       {u"a@b.c n", false},
                                   });
}

// Addresses that are in everyday use: longer top-level domains and a "+"
// sub-address in the name (never in the domain).
TEST(KesraCheckIsEmail, AcceptsCurrentTopLevelDomainsAndSubAddresses) {
  ExpectAll(qe::KesraCheckIsEmail, {
                                       {u"a@b.info", true},
                                       {u"a@b.education", true},
                                       {u"name+tag@mail.cn", true},
                                       {u"a@b+c.cn", false},
                                   });
  vb::String longest_label(63, u'a'), too_long(64, u'a');
  EXPECT_TRUE(qe::KesraCheckIsEmail(u"a@b." + longest_label));
  EXPECT_FALSE(qe::KesraCheckIsEmail(u"a@b." + too_long));
}

// Two or three characters of any address kind; longer last labels are
// top-level domains, letters only.
TEST(KesraCheckIsEmail, LongLastLabelsHoldLettersOnly) {
  ExpectAll(qe::KesraCheckIsEmail, {
                                       {u"a@b.12", true},
                                       {u"a@b.1_3", true},
                                       {u"a@b.x-y", true},
                                       {u"a@b.1234", false},
                                       {u"a@b.x1y2", false},
                                       {u"a@b.a-b-c-d-e", false},
                                       {u"a@b.ab_cd", false},
                                       {u"a@b.abcd.", false},
                                       {u"a@b.Zaza", true},
                                   });
}

TEST(KesraCheckReg, CaseInsensitiveTestOfThePattern) {
  vb::Variant pattern(u"^[a-z]+\\d$");
  EXPECT_EQ(qe::KesraCheckReg(pattern, u"ABC1"), vb::Variant(true));
  EXPECT_EQ(qe::KesraCheckReg(pattern, u"abc"), vb::Variant(false));
  EXPECT_EQ(pattern, vb::Variant(u"^[a-z]+\\d$"));  // the page's pattern is left as it was
  vb::Variant number_pattern(static_cast<int16_t>(5));
  EXPECT_EQ(qe::KesraCheckReg(number_pattern, u"x5y"), vb::Variant(true));
}

TEST(KesraCheckReg, AnInvalidPatternReachesTheCaller) {
  vb::Variant pattern(u"(abc");
  try {
    qe::KesraCheckReg(pattern, u"abc");
    ADD_FAILURE() << "no error";
  } catch (const vb::Error& e) {
    EXPECT_GE(e.Number(), 5017);
    EXPECT_LE(e.Number(), 5021);
  }
}

TEST(KesraCheckIsEmpty, NothingButBlanks) {
  ExpectAll([](const char16_t* t) { return qe::KesraCheckIsEmpty(t) == vb::Variant(true); },
            {
                {u"", true},
                {u"    ", true},
                {u" a ", false},
                {u"\t", false},  // only blanks are trimmed
            });
}

}  // namespace
