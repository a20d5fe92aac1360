// UTF-8 carried in code-page text, by the platform's conversion and by hand,
// both ways.
#include <gtest/gtest.h>

#include "common/kesra_utf8.h"
#include "platform/text/byte_text.h"
#include "facade/qecls.h"
#include "support/printable.h"

namespace {

using qe_test::Printable;

const vb::Variant kPlatform(true), kByHand(false);

vb::String Encode(vb::StringView text, const vb::Variant& path) { return qe::KesraCodeUnicodeToUtf8(text, path, false); }
vb::String Decode(vb::StringView text, const vb::Variant& path) { return qe::KesraCodeUtf8ToUnicode(text, path); }
// The bytes of a code-page text.
std::string Bytes(vb::StringView text) { return text::TextToBytes(text); }
vb::String FromBytes(std::string_view bytes) { return text::BytesToText(bytes); }

const vb::String kTexts[] = {u"abc", u"中文abc，", u"é", u"€", u"a\r\nb", u"\u07FF\u0800\uFFFF", u"龙",
                             vb::String(1, u'\0') + u"x"};

TEST(KesraCodeUnicodeToUtf8, GivesTheTextsUtf8BytesOnBothPaths) {
  for (const auto& text : kTexts) {
    SCOPED_TRACE(Printable(text));
    EXPECT_EQ(Bytes(Encode(text, kPlatform)), vb::ToUtf8(text));
    EXPECT_EQ(Bytes(Encode(text, kByHand)), vb::ToUtf8(text));
  }
  EXPECT_EQ(Encode(u"", kPlatform), u"");
  EXPECT_EQ(Encode(u"", kByHand), u"");
}

TEST(KesraCodeUnicodeToUtf8, CodesSurrogatesByPath) {
  const vb::String clef = u"\U0001D11E";
  EXPECT_EQ(Bytes(Encode(clef, kPlatform)), "\xF0\x9D\x84\x9E");
  EXPECT_EQ(Bytes(Encode(clef, kByHand)), "\xED\xA0\xB4\xED\xB4\x9E");  // one form per code unit
  EXPECT_EQ(Bytes(Encode(clef, vb::Variant::Null())), Bytes(Encode(clef, kByHand)));  // Null is false
  EXPECT_EQ(Bytes(Encode(u"\xD800", kPlatform)), "\xEF\xBF\xBD");  // an unpaired surrogate
}

TEST(KesraCodeUnicodeToUtf8, TurnsOnlyCrLfIntoLineBreakTags) {
  for (const auto& path : {kPlatform, kByHand}) {
    EXPECT_EQ(qe::KesraCodeUnicodeToUtf8(u"a\r\nb\rc\nd", path, true), u"a<br/>b\rc\nd");
    EXPECT_EQ(qe::KesraCodeUnicodeToUtf8(u"a\r\nb", path, false), u"a\r\nb");
  }
  qe::QeCls facade;  // the façade's defaults: the platform's conversion, tags on
  EXPECT_EQ(facade.CommCodeUnicodeToUtf8(u"中\r\n"), Encode(u"中", kPlatform) + u"<br/>");
}

TEST(KesraCodeUtf8ToUnicode, DecodesTheBytesOfACodePageText) {
  const std::pair<std::string, vb::String> forms[] = {
      {"\xE4\xB8\xAD", u"中"},
      {"\xE9\xBE\x99", u"龙"},
      {"\xEF\xBC\x8C", u"\uFF0C"},
      {"\xDF\xBF", u"\u07FF"},
      {"\xC3\xA9", u"é"},
      {"a\x7F", u"a\x7F"},
  };
  for (const auto& [bytes, expected] : forms) {
    SCOPED_TRACE(Printable(expected));
    EXPECT_EQ(Decode(FromBytes(bytes), kByHand), expected);
    EXPECT_EQ(Decode(FromBytes(bytes), kPlatform), expected);
  }
}

TEST(KesraCodeUtf8ToUnicode, RoundTripsOnEitherPath) {
  for (const auto& text : kTexts) {
    SCOPED_TRACE(Printable(text));
    for (const auto& encoder : {kPlatform, kByHand})
      for (const auto& decoder : {kPlatform, kByHand}) EXPECT_EQ(Decode(Encode(text, encoder), decoder), text);
  }
  // By hand, surrogates travel one code unit at a time.
  EXPECT_EQ(Decode(Encode(u"\U0001D11E", kByHand), kByHand), u"\U0001D11E");
  EXPECT_EQ(Decode(Encode(u"\U0001D11E", kPlatform), kPlatform), u"\U0001D11E");
}

TEST(KesraCodeUtf8ToUnicode, ReadsBrokenFormsWithoutRaising) {
  // By hand the continuation bytes are not checked, and lone bytes that cannot
  // start a form pass through as the characters they give alone.
  EXPECT_EQ(Decode(FromBytes("\xC3" "A"), kByHand), u"\u00C1");
  EXPECT_EQ(Decode(FromBytes("\x80" "a"), kByHand), u"€a");
  EXPECT_EQ(Decode(FromBytes("a\xE4\xB8"), kByHand), u"a\uFFFD");  // cut short by the end
  EXPECT_EQ(Decode(FromBytes("a\xC3"), kByHand), u"a\uFFFD");
  EXPECT_EQ(Decode(FromBytes("a\xC3"), kPlatform), u"a\uFFFD");
  EXPECT_EQ(Decode(u"", kByHand), u"");
}

}  // namespace
