// Bytes carried in code page 936 text: characters where the page has them,
// escapes for the bytes it does not, and every byte sequence back whole.
#include <gtest/gtest.h>

#include <random>

#include "platform/text/byte_text.h"

namespace {

TEST(ByteText, DecodesWhatThePageDecodesAndEscapesTheRest) {
  EXPECT_EQ(text::BytesToText("a\xD6\xD0" "b"), u"a中b");
  EXPECT_EQ(text::BytesToText("\x80\xFF"), u"€\uF8F5");
  EXPECT_EQ(text::BytesToText("\xD6" "A"), u"\x8AE5");        // "A" is a trail byte
  EXPECT_EQ(text::BytesToText("\xD6 "), u"\xDCD6 ");          // a blank is none
  EXPECT_EQ(text::BytesToText("A\xD6"), u"A\xDCD6");          // a lead byte at the end
  EXPECT_EQ(text::BytesToText("\xE4\xB8\xAD"), u"涓\xDCAD");  // UTF-8 of 中
  EXPECT_EQ(text::ByteAsCharacter('?'), u'?');
  EXPECT_EQ(text::ByteAsCharacter(0xE4), u'\xDCE4');
}

TEST(ByteText, EncodesEscapesAsTheirBytesAndOtherTextAsThePageDoes) {
  EXPECT_EQ(text::TextToBytes(u"a中\xDCE4"), "a\xD6\xD0\xE4");
  EXPECT_EQ(text::TextToBytes(u"ä"), "?");
  EXPECT_EQ(text::TextToBytes(u"\xDC7F"), "?");  // not an escape of a byte
}

TEST(ByteText, EveryByteSequenceComesBackWhole) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(text::TextToBytes(text::BytesToText(all)), all);
  std::mt19937 rng(1);
  for (int round = 0; round < 200; ++round) {
    std::string bytes(rng() % 64, '\0');
    for (char& c : bytes) c = static_cast<char>(rng() % 2 ? 0x80 + rng() % 0x80 : rng() % 0x100);
    ASSERT_EQ(text::TextToBytes(text::BytesToText(bytes)), bytes);
  }
}

}  // namespace
