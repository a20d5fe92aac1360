#include "common/kesra_pinyin.h"

#include <gtest/gtest.h>

#include "platform/vb/error.h"

namespace qe {
namespace {

vb::String PyChar(const vb::String& text) { return KesraGetPyChar(text); }
vb::String PyString(const vb::String& text) { return KesraGetPyString(text); }
vb::String QPyString(const vb::String& text) { return KesraGetQPyString(text); }

int32_t ErrorNumberOf(void (*action)()) {
  try {
    action();
  } catch (const vb::Error& e) {
    return e.Number();
  }
  return 0;
}

TEST(KesraPinyin, SingleCharactersGiveTheirInitialAndSyllable) {
  struct Case {
    std::u16string_view character, initial, syllable;
  };
  const Case cases[] = {
      {u"啊", u"A", u"a"},    // first level-1 character
      {u"阿", u"A", u"a"},    // inside the run of a
      {u"爱", u"A", u"ai"},   // inside the run of ai
      {u"座", u"Z", u"zuo"},  // last level-1 character
      {u"坐", u"Z", u"zuo"},
      {u"驴", u"L", u"lv"},
      {u"女", u"N", u"nv"},
  };
  for (const auto& c : cases) {
    const vb::String character(c.character);
    SCOPED_TRACE(vb::ToUtf8(character));
    EXPECT_EQ(PyChar(character), c.initial);
    EXPECT_EQ(PyString(character), c.initial);
    EXPECT_EQ(QPyString(character), c.syllable);
  }
}

TEST(KesraPinyin, CharactersOutsideLevelOneAreKeptByInitialsAndDroppedBySyllables) {
  for (const vb::String character : {u"亍", u"，", u"說"}) {
    SCOPED_TRACE(vb::ToUtf8(character));
    EXPECT_EQ(PyChar(character), character);
    EXPECT_EQ(PyString(character), character);
    EXPECT_EQ(QPyString(character), u"");
  }
}

TEST(KesraPinyin, ChineseWordGivesInitialsAndRunTogetherSyllables) {
  EXPECT_EQ(PyString(u"中国"), u"ZG");
  EXPECT_EQ(QPyString(u"中国"), u"zhongguo");
}

TEST(KesraPinyin, InitialOfTextLooksOnlyAtItsFirstCharacter) {
  EXPECT_EQ(PyChar(u"中国人民 and more"), u"Z");
  EXPECT_EQ(PyChar(u"abc 中国"), u"abc 中国");
  EXPECT_EQ(PyChar(u"，中国"), u"，中国");
}

TEST(KesraPinyin, MixedTextThroughAllThreeProcedures) {
  const vb::String text = u"abc 123，中国驴?\u0E01亍座";
  EXPECT_EQ(PyChar(text), text);
  EXPECT_EQ(PyString(text), u"abc 123，ZGL?\u0E01亍Z");
  // A character the page lacks becomes "?"; punctuation and level 2 vanish.
  EXPECT_EQ(QPyString(text), u"abc 123zhongguolv??zuo");
  EXPECT_EQ(QPyString(u"abc 123"), u"abc 123");
}

TEST(KesraPinyin, EmptyText) {
  EXPECT_EQ(ErrorNumberOf([] { PyChar(u""); }), vb::kInvalidProcedureCall);
  EXPECT_EQ(PyString(u""), u"");
  EXPECT_EQ(QPyString(u""), u"");
}

TEST(KesraPinyin, TextsPastSixteenBitCountsOverflow) {
  const vb::String longest(32767, u'中');
  EXPECT_EQ(PyString(longest), vb::String(32767, u'Z'));
  EXPECT_EQ(QPyString(longest).size(), 32767u * 5);
  EXPECT_EQ(ErrorNumberOf([] { PyString(vb::String(32768, u'a')); }), vb::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { QPyString(vb::String(32768, u'a')); }), vb::kOverflow);
  // The initial of a text counts nothing.
  EXPECT_EQ(PyChar(vb::String(40000, u'中')), u"Z");
}

// The tables over every code of level 1, independent of any code page.
constexpr int32_t kGbOffset = 65536;

TEST(KesraPinyinTables, InitialAgreesWithSyllableOverAllOfLevelOne) {
  int characters = 0;
  for (int32_t lead = 0xB0; lead <= 0xD7; ++lead) {
    const int32_t last_trail = lead == 0xD7 ? 0xF9 : 0xFE;
    for (int32_t trail = 0xA1; trail <= last_trail; ++trail) {
      const int32_t code = (lead << 8 | trail) - kGbOffset;
      const std::u16string_view syllable = PinyinSyllableOf(code);
      ASSERT_FALSE(syllable.empty()) << std::hex << code + kGbOffset;
      ASSERT_EQ(PinyinInitialOf(code), syllable[0] - u'a' + u'A') << std::hex << code + kGbOffset;
      ++characters;
    }
  }
  EXPECT_EQ(characters, 3755);
}

TEST(KesraPinyinTables, RunsStartAtTheKnownCodes) {
  struct Start {
    std::u16string_view syllable, before;
    int32_t code;
  };
  const Start starts[] = {
      {u"a", u"", -20319},        {u"ai", u"a", -20317},    {u"an", u"ai", -20304},
      {u"ang", u"an", -20295},    {u"ao", u"ang", -20292},  {u"ba", u"ao", -20283},
      {u"lu", u"lou", -15701},    {u"lv", u"lu", -15681},   {u"luan", u"lv", -15667},
      {u"nv", u"nu", -14930},     {u"o", u"nuo", -14922},   {u"zu", u"zou", -10270},
      {u"zuo", u"zun", -10254},
  };
  for (const auto& s : starts) {
    EXPECT_EQ(PinyinSyllableOf(s.code), s.syllable) << s.code;
    EXPECT_EQ(PinyinSyllableOf(s.code - 1), s.before) << s.code;
  }
}

TEST(KesraPinyinTables, CodesBesideLevelOneHaveNoReading) {
  const int32_t outside[] = {
      0xB0A0,  // just before the first level-1 code
      0xB140,  // a code page 936 extension between level-1 rows
      0xC5FF,  // no trail byte of the page
      0xD7FA,  // the unused end of the last level-1 row
      0xD8A1,  // first level-2 character
      0xA3AC,  // full-width comma
  };
  for (const int32_t gb : outside) {
    EXPECT_EQ(PinyinInitialOf(gb - kGbOffset), 0) << std::hex << gb;
    EXPECT_TRUE(PinyinSyllableOf(gb - kGbOffset).empty()) << std::hex << gb;
  }
  for (const int32_t single_byte : {0, 0x41, 0x3F, 0x80}) {  // NUL, "A", "?", the euro sign
    EXPECT_EQ(PinyinInitialOf(single_byte), 0);
    EXPECT_TRUE(PinyinSyllableOf(single_byte).empty());
  }
}

}  // namespace
}  // namespace qe
