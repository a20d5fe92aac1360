#include "platform/text/ansi.h"

#include <gtest/gtest.h>

#include "platform/vb/error.h"

namespace {

int ErrorNumberOf(void (*f)()) {
  try {
    f();
  } catch (const vb::Error& e) {
    return e.Number();
  }
  return 0;
}

struct CodeCase {
  char16_t c;
  int expected;  // the signed ANSI code
};

TEST(AnsiCode, SingleDoubleAndUnrepresentable) {
  const CodeCase cases[] = {
      {u'\0', 0},
      {u'A', 65},
      {u'~', 126},
      {u'\x7F', 127},
      {u'€', 128},                 // 0x80
      {u'\uF8F5', 255},            // 0xFF
      {u'啊', 0xB0A1 - 65536},     // -20319
      {u'中', 0xD6D0 - 65536},
      {u'丂', 0x8140 - 65536},     // first code of the page
      {u'·', 0xA1A4 - 65536},      // GB2312 tables say U+30FB here
      {u'—', 0xA1AA - 65536},      // ... and U+2015 here
      {u'é', 0xA8A6 - 65536},
      {u'　', 0xA1A1 - 65536},     // ideographic space
      {u'\uE000', 0xAAA1 - 65536},  // user-defined areas, in their order
      {u'\uE233', 0xAFFE - 65536},
      {u'\uE234', 0xF8A1 - 65536},
      {u'\uE4C5', 0xFEFE - 65536},
      {u'\uE4C6', 0xA140 - 65536},
      {u'\uE765', 0xA7A0 - 65536},
      {u'\uE766', 0xA2AB - 65536},  // codes without a character, in code order
      {u'\uE76C', 0xA2E3 - 65536},
      {u'\uE815', 0xFE50 - 65536},
      {u'\uE864', 0xFEA0 - 65536},
      {u'À', 63},                  // not in the page
      {char16_t{0xD83D}, 63},      // a surrogate half
      {u'\uFFFF', 63},
      {u'\u20AC', 128},
  };
  for (const auto& k : cases) {
    EXPECT_EQ(text::AnsiCode(k.c), k.expected) << std::hex << static_cast<int>(k.c);
    EXPECT_EQ(text::IsDoubleByte(k.c), k.expected < 0) << std::hex << static_cast<int>(k.c);
  }
}

TEST(AnsiCode, EveryRepresentableUnitRoundTrips) {
  int double_byte = 0;
  for (int u = 0; u < 0x10000; ++u) {
    const auto c = static_cast<char16_t>(u);
    const uint16_t code = text::AnsiCodeUnsigned(c);
    if (code == '?' && c != u'?') continue;
    vb::String one(1, c);
    std::string bytes = text::EncodeAnsi(one);
    ASSERT_EQ(bytes.size(), code > 0xFF ? 2u : 1u) << u;
    ASSERT_EQ(text::DecodeAnsi(bytes), one) << u;
    ASSERT_EQ(text::Chr(text::AnsiCode(c)), one) << u;
    if (code > 0xFF) ++double_byte;
  }
  // 21791 characters plus 1894 user-defined and 255 unassigned codes.
  EXPECT_EQ(double_byte, 23940);
}

TEST(DecodeAnsi, BrokenCodesKeepTheBytesAfterThem) {
  struct Case {
    std::string bytes;
    vb::String expected;
  };
  const Case cases[] = {
      {"", u""},
      {"\xB0\xA1", u"啊"},
      {"\xB0", u"?"},                  // lead byte at the end
      {"a\xB0<b>", u"a?<b>"},          // no trail byte: "<" survives
      {"\x81\x7F", u"?\x7F"},          // 0x7F is no trail byte
      {"\x81\xFF", u"?\uF8F5"},
      {"\x80\xFF", u"€\uF8F5"},        // single bytes
      {"\xD6\xD0\xCE\xC4", u"中文"},
      {"\xAA\xA1\xFE\xFE", u"\uE000\uE4C5"},
  };
  for (const auto& k : cases) EXPECT_EQ(text::DecodeAnsi(k.bytes), k.expected) << k.bytes;
}

TEST(DecodeAnsi, LongMixedTextAcrossTheAsciiFastPath) {
  // ASCII runs longer and shorter than eight bytes, with codes cut at every
  // position of an eight-byte block.
  vb::String expected;
  std::string bytes;
  for (int run = 0; run < 20; ++run) {
    for (int i = 0; i < run; ++i) {
      bytes.push_back(static_cast<char>('a' + i));
      expected.push_back(static_cast<char16_t>('a' + i));
    }
    bytes += run % 2 ? "\xD6\xD0" : "\x80";
    expected += run % 2 ? u"中" : u"€";
  }
  EXPECT_EQ(text::DecodeAnsi(bytes), expected);
  EXPECT_EQ(text::EncodeAnsi(expected), bytes);
}

TEST(EncodeAnsi, UnrepresentableBecomesOneQuestionMarkPerUnit) {
  EXPECT_EQ(text::EncodeAnsi(u"中a€\uF8F5"), "\xD6\xD0" "a\x80\xFF");
  EXPECT_EQ(text::EncodeAnsi(u"x\U0001F600y"), "x??y");  // a surrogate pair
  EXPECT_EQ(text::EncodeAnsi(vb::String{u'À', 0xD800}), "??");
  EXPECT_EQ(text::EncodeAnsi(vb::String(u"a\0b", 3)), std::string("a\0b", 3));
}

TEST(ByteLength, CountsDoubleByteCharactersTwice) {
  EXPECT_EQ(text::ByteLength(u""), 0u);
  EXPECT_EQ(text::ByteLength(u"中a"), 3u);
  EXPECT_EQ(text::ByteLength(u"€"), 1u);
  EXPECT_EQ(text::ByteLength(vb::String(1, u'\0')), 1u);
  EXPECT_EQ(text::ByteLength(u"À\U0001F600"), 3u);  // "?" for each unit
  EXPECT_EQ(text::DisplayWidth(u"中文ab　"), 8u);
  const vb::String mixed = u"学校abc，。€À";
  EXPECT_EQ(text::ByteLength(mixed), text::EncodeAnsi(mixed).size());
}

TEST(Asc, FirstCharacterAndEmptyText) {
  EXPECT_EQ(text::Asc(u"中文"), -10544);
  EXPECT_EQ(text::Asc(u"Abc"), 65);
  EXPECT_EQ(text::Asc(u"€"), 128);
  EXPECT_EQ(text::Asc(u"À"), 63);
  EXPECT_EQ(ErrorNumberOf([] { text::Asc(u""); }), 5);
}

TEST(Chr, CodesBothSignedAndUnsigned) {
  EXPECT_EQ(text::Chr(-20319), u"啊");
  EXPECT_EQ(text::Chr(0xB0A1), u"啊");
  EXPECT_EQ(text::Chr(65), u"A");
  EXPECT_EQ(text::Chr(0), vb::String(1, u'\0'));
  EXPECT_EQ(text::Chr(128), u"€");
  EXPECT_EQ(text::Chr(255), u"\uF8F5");
}

TEST(Chr, CodesThatNameNoCharacter) {
  const int32_t bad[] = {65536, -32769, 0x81, 0xFE, 0x8100 + 0x7F, 0x81FF, 0x8130,
                         0x0141, -1, 0x7FFF, -32768};
  for (int32_t code : bad) {
    try {
      text::Chr(code);
      ADD_FAILURE() << code;
    } catch (const vb::Error& e) {
      EXPECT_EQ(e.Number(), 5) << code;
    }
  }
}

}  // namespace
