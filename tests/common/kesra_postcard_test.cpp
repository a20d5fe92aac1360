// Identity-card numbers at each level of the check, and the birthday and sex
// read from them. Check characters below were worked out by hand from the
// GB 11643-1999 weights, apart from the code.
#include <gtest/gtest.h>

#include <string>

#include "common/kesra_postcard.h"
#include "platform/vb/datetime.h"
#include "platform/vb/raises.h"

namespace {

const vb::String kDigits = u"身份证号码错误，正确的应是除最后一位外，必须为数字！";
const vb::String kBirth = u"身份证号码中出生年月部分数据错误！";

vb::String LengthMessage(int length) {
  return u"当前身份证号码位数错误[" + vb::FromUtf8(std::to_string(length)) + u"位]，正确的应为15位或18位！";
}

vb::String CheckMessage(char16_t expected) { return u"身份证号码校验位错误！正确应为" + vb::String(1, expected); }

vb::String Digits(int value, int width) {
  std::string s = std::to_string(value);
  return vb::FromUtf8(std::string(width > static_cast<int>(s.size()) ? width - s.size() : 0, '0') + s);
}

// An 18-character number born on the given day, with a check character that
// is not looked at below level 4.
vb::String BornOn(int year, int month, int day) {
  return u"110105" + Digits(year, 4) + Digits(month, 2) + Digits(day, 2) + u"123X";
}

struct Case {
  const char16_t* number;
  int16_t level;
  vb::String expected;
};

void ExpectAll(const std::vector<Case>& cases) {
  for (const auto& c : cases)
    EXPECT_EQ(qe::KesraCheckPostCard(c.number, c.level), c.expected) << vb::ToUtf8(c.number) << " level " << c.level;
}

TEST(KesraCheckPostCard, LevelOneAndBelowCheckNothing) {
  ExpectAll({
      {u"", 1, u""},
      {u"abc", 1, u""},
      {u"", 0, u""},
      {u"12345", -3, u""},
  });
}

TEST(KesraCheckPostCard, LengthMustBeFifteenOrEighteen) {
  ExpectAll({
      {u"", 2, LengthMessage(0)},
      {u"1101051990030712", 2, LengthMessage(16)},
      {u"11010519900307123", 2, LengthMessage(17)},
      {u"1101051990030712390", 4, LengthMessage(19)},
      {u"中华人民共和国", 2, LengthMessage(7)},  // characters, not bytes
      {u"11010519900307123 ", 2, u""},         // not trimmed: the blank is the 18th character
  });
}

TEST(KesraCheckPostCard, EverythingButTheCheckCharacterMustBeDigits) {
  ExpectAll({
      {u"1101051990030A1239", 2, kDigits},
      {u"11010519900307123X", 2, u""},       // a wrong "X" passes below level 4
      {u"11010519900307123X", 3, u""},
      {u"1101051990030712??", 2, kDigits},   // the 17th is still a body character
      {u"110105199003071239", 2, u""},
      {u"11010519900307123a", 3, u""},       // the 18th is not looked at before level 4
      {u"1101054912310A2", 2, kDigits},
      {u" 11010519900307123", 2, kDigits},   // the leading blank is part of the body
  });
}

// Forms that a numeric test would take for a number are no identity numbers:
// signs, points, separators and exponents are refused as non-digits.
TEST(KesraCheckPostCard, NumberLikeBodiesAreRefusedAsNonDigits) {
  ExpectAll({
      {u"+10105199003071239", 2, kDigits},
      {u"-10105199003071239", 2, kDigits},
      {u"1101051990030712.9", 4, kDigits},
      {u"110105199,03071239", 3, kDigits},
      {u"1101051990030712e9", 4, kDigits},
      {u"&H1105199003071239", 2, kDigits},
  });
}

TEST(KesraCheckPostCard, FifteenCharacterNumbersAreOfTheNineteenHundreds) {
  ExpectAll({
      {u"110105491231002", 4, u""},     // 1949-12-31, no check character
      {u"110105000229002", 3, kBirth},  // 1900-02-29 does not exist
      {u"110105960229002", 3, u""},     // 1996-02-29 does
      {u"110105991301002", 3, kBirth},
  });
}

TEST(KesraCheckPostCard, BirthDateMustBeARealPastDayWithinOneHundredFortyYears) {
  vb::DateParts today = vb::PartsOfDate(vb::Today());
  vb::DateParts tomorrow = vb::PartsOfDate(vb::Date{vb::Today().serial + 1});
  ExpectAll({
      {u"11010519900230123X", 3, kBirth},  // 30 February
      {u"11010519901301123X", 3, kBirth},
      {u"11010519900001123X", 3, kBirth},
      {u"11010519900100123X", 3, kBirth},
      {u"11010519900132123X", 3, kBirth},
      {u"11010519900230123X", 2, u""},     // level 2 does not read the date
      {u"11010500990307123X", 3, kBirth},  // the year 0099 is not 1999
  });
  EXPECT_EQ(qe::KesraCheckPostCard(BornOn(today.year, today.month, today.day), 3), u"");
  EXPECT_EQ(qe::KesraCheckPostCard(BornOn(tomorrow.year, tomorrow.month, tomorrow.day), 3), kBirth);
  EXPECT_EQ(qe::KesraCheckPostCard(BornOn(today.year - 140, 1, 1), 3), u"");
  EXPECT_EQ(qe::KesraCheckPostCard(BornOn(today.year - 141, 12, 31), 3), kBirth);
}

TEST(KesraCheckPostCard, CheckCharacterAtLevelFour) {
  ExpectAll({
      {u"11010519491231002X", 4, u""},
      {u"110105199003071247", 4, u""},
      {u"110105199003071239", 4, u""},
      {u"330102200002290082", 4, u""},
      {u"110105199003071238", 4, CheckMessage(u'9')},
      {u"11010519900307123X", 4, CheckMessage(u'9')},
      {u"110105194912310020", 4, CheckMessage(u'X')},
      {u"11010519491231002x", 4, CheckMessage(u'X')},  // a lower-case x is refused
      {u"11010519491231002x", 3, u""},
      {u"110105199003071238", 9, CheckMessage(u'9')},  // higher levels check as much as 4
  });
}

TEST(KesraGetBirthdayFromPostcard, MonthDayYearAsWritten) {
  int year = vb::Year(vb::Today());
  struct {
    vb::String number, expected;
  } cases[] = {
      {u"110105199003071239", u"03/07/1990"},
      {u"110105199003071239 ", u"03/07/1990"},  // trimmed for the length only
      {u"110105491231002", u""},
      {u"1101051990030712", u""},
      {u"110105199013071239", u""},
      {u"110105199000071239", u""},
      {u"110105199003321239", u""},
      {u"110105199003001239", u""},
      {u"110105199002311239", u"02/31/1990"},  // days are not checked against the month
      {BornOn(year, 1, 1), u""},                // born this year
      {BornOn(year - 1, 1, 1), u"01/01/" + Digits(year - 1, 4)},
      {BornOn(year - 150, 6, 1), u"06/01/" + Digits(year - 150, 4)},
      {BornOn(year - 151, 6, 1), u""},
  };
  for (const auto& c : cases) EXPECT_EQ(qe::KesraGetBirthdayFromPostcard(c.number), c.expected) << vb::ToUtf8(c.number);
}

TEST(KesraGetSexFromPostcard, OddIsMaleEvenIsFemale) {
  EXPECT_EQ(qe::KesraGetSexFromPostcard(u"110105199003071239"), u"男");
  EXPECT_EQ(qe::KesraGetSexFromPostcard(u"110105199003071247"), u"女");
  EXPECT_EQ(qe::KesraGetSexFromPostcard(u"110105199003071209"), u"女");
  EXPECT_EQ(qe::KesraGetSexFromPostcard(u"110105491231002"), u"");
  EXPECT_EQ(qe::KesraGetSexFromPostcard(u""), u"");
}

TEST(PostcardFields, ANonNumericFieldIsATypeMismatch) {
  EXPECT_RAISES(vb::kTypeMismatch, qe::KesraGetBirthdayFromPostcard(u"1101051990AB071239"));
  EXPECT_RAISES(vb::kTypeMismatch, qe::KesraGetBirthdayFromPostcard(u"110105199003AB1239"));
  EXPECT_RAISES(vb::kTypeMismatch, qe::KesraGetBirthdayFromPostcard(u"110105ABCD03071239"));
  EXPECT_RAISES(vb::kTypeMismatch, qe::KesraGetSexFromPostcard(u"1101051990030712X9"));
}

}  // namespace
