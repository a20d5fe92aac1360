// Byte data and texts built byte by byte.
#include <gtest/gtest.h>

#include "../platform/vb/raises.h"
#include "common/kesra_binary_text.h"
#include "facade/qecls.h"

namespace {

vb::Variant Bytes(std::vector<uint8_t> bytes) { return vb::Variant(vb::Array::OfBytes(std::move(bytes))); }

TEST(KesraBinaryToString, RunsTheByteValuesTogether) {
  EXPECT_EQ(qe::KesraBinaryToString(Bytes({1, 23})), u"123");
  EXPECT_EQ(qe::KesraBinaryToString(Bytes({12, 3})), u"123");
  EXPECT_EQ(qe::KesraBinaryToString(Bytes({0, 255})), u"0255");
  EXPECT_EQ(qe::KesraBinaryToString(Bytes({})), u"");
  EXPECT_EQ(qe::KesraBinaryToString(vb::Variant(u"A中")), u"6504578");  // 41 00 2D 4E
  EXPECT_EQ(qe::KesraBinaryToString(vb::Variant(int16_t{5})), u"530");  // the text "5"
  EXPECT_RAISES(vb::kTypeMismatch, qe::KesraBinaryToString(vb::Variant(vb::Array::OfVariants({vb::Variant(1.0)}))));
}

TEST(KesraMultiByteToBinary, GivesTheBytesOfATextBuiltByteByByte) {
  EXPECT_EQ(qe::KesraMultiByteToBinary(vb::Variant(u"")), vb::Variant(u""));  // not an empty array
  EXPECT_EQ(qe::KesraMultiByteToBinary(vb::Variant(u"\x4241\x4443")), Bytes({0x41, 0x42, 0x43, 0x44}));
  EXPECT_EQ(qe::KesraMultiByteToBinary(Bytes({7, 8, 9})), Bytes({7, 8, 9}));
  EXPECT_EQ(qe::KesraMultiByteToBinary(vb::Variant()), vb::Variant(u""));
}

TEST(KesraRsBinaryToString, ReadsTheBytesAsCodePage936Text) {
  EXPECT_EQ(qe::KesraRsBinaryToString(Bytes({0xD6, 0xD0, 0xB9, 0xFA})), u"中国");
  EXPECT_EQ(qe::KesraRsBinaryToString(vb::Variant(u"\xD0D6\xFAB9")), u"中国");  // the same bytes in a text
  EXPECT_EQ(qe::KesraRsBinaryToString(Bytes({'a', 0x80})), u"a€");
  EXPECT_EQ(qe::KesraRsBinaryToString(vb::Variant(u"")), u"");
  EXPECT_EQ(qe::KesraRsBinaryToString(Bytes({})), u"");
  EXPECT_EQ(qe::KesraRsBinaryToString(vb::Variant(int32_t{42})), u"42");

  qe::QeCls facade;
  EXPECT_EQ(facade.CommRsBinaryToString(Bytes({0xD6, 0xD0})), u"中");
  EXPECT_EQ(facade.CommMultiByteToBinary(vb::Variant(u"")), vb::Variant(u""));
}

}  // namespace
