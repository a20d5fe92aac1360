// The password digest: RFC 1321 MD5 over the characters' ANSI codes, with the
// sign-extended codes of double-byte characters reaching into their word.
#include <gtest/gtest.h>

#include <set>

#include "common/kesra_class_md5.h"
#include "platform/com/registry.h"
#include "facade/qecls.h"
#include "support/printable.h"

namespace {

struct DigestCase {
  vb::String text;
  const char16_t* digest;
};

void PrintTo(const DigestCase& c, std::ostream* os) { *os << qe_test::Printable(c.text.substr(0, 16)); }

class KesraMd5Digest : public ::testing::TestWithParam<DigestCase> {};

TEST_P(KesraMd5Digest, MatchesTheStoredDigest) {
  qe::Kesra_Class_Md5 md5;
  EXPECT_EQ(md5.KesraMd5(GetParam().text), GetParam().digest);
}

const vb::String a55(55, u'a'), a56(56, u'a'), a63(63, u'a'), a64(64, u'a');
const vb::String zhong55(55, u'中'), zhong56(56, u'中');

// ASCII texts digest exactly as RFC 1321 over their bytes (its test suite,
// upper case); texts of 55, 56, 63 and 64 characters cross the one-block and
// two-block padding boundaries.
INSTANTIATE_TEST_SUITE_P(
    Rfc1321, KesraMd5Digest,
    ::testing::Values(
        DigestCase{u"", u"D41D8CD98F00B204E9800998ECF8427E"},
        DigestCase{u"a", u"0CC175B9C0F1B6A831C399E269772661"},
        DigestCase{u"abc", u"900150983CD24FB0D6963F7D28E17F72"},
        DigestCase{u"message digest", u"F96B697D7CB7938D525A2F31AAF161D0"},
        DigestCase{u"abcdefghijklmnopqrstuvwxyz", u"C3FCD3D76192E4007DFB496CCA67E13B"},
        DigestCase{u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
                   u"D174AB98D277D9F5A5611C2C9F419D9F"},
        DigestCase{u"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
                   u"57EDF4A22BE3C955AC49DA2E2107B67A"},
        DigestCase{a55, u"EF1772B6DFF9A122358552954AD0DF65"},
        DigestCase{a56, u"3B0C8AC703F828B04C6C197006D17218"},
        DigestCase{a63, u"B06521F39153D618550606BE297466D5"},
        DigestCase{a64, u"014842D480B571495A4A0363793F7367"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

// Double-byte characters at each byte position of a word (中 is D6 D0), the
// sign bits swallowing the pad byte; "€" is the single byte 0x80; a character
// the code page lacks digests as "?"; NUL is a code like any other.
INSTANTIATE_TEST_SUITE_P(
    CodePage936, KesraMd5Digest,
    ::testing::Values(DigestCase{u"中", u"6CBA308F8D5F2B49971DBB43879A078C"},
                      DigestCase{u"中a", u"20FED70A7EA1BF97548E4D125AF88006"},
                      DigestCase{u"a中", u"5CCBA97B33A7B638A06B421636E21954"},
                      DigestCase{u"aa中", u"EE5C35A8C4CC52C075A86B17E0E361BA"},
                      DigestCase{u"aaa中", u"D5C6E85F8DB972C90C402B425DAA1C16"},
                      DigestCase{zhong55, u"4B156CA3A9AF3FF32048D4BD547B3A2F"},
                      DigestCase{zhong56, u"F5CB260A00DD9F30CB55064E09D4A675"},
                      DigestCase{vb::String(61, u'a') + u"中文", u"A5988214E6374B9ED9A230B6D447075A"},
                      DigestCase{u"€", u"8D39DD7EEF115EA6975446EF4082951F"},
                      DigestCase{u"ä", u"D1457B72C3FB323A2671125AEF3EAB5D"},
                      DigestCase{vb::String(u"a\0b", 3), u"70350F6027BCE3713F6B76473084309B"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(KesraMd5, ReadsAVariantAsTextAndLeavesItAlone) {
  qe::Kesra_Class_Md5 md5;
  vb::Variant number(int16_t{123});
  EXPECT_EQ(md5.KesraMd5(number), md5.KesraMd5(u"123"));
  EXPECT_EQ(number, vb::Variant(int16_t{123}));
  vb::Variant null = vb::Variant::Null();
  EXPECT_THROW(md5.KesraMd5(null), vb::Error);
}

TEST(KesraServU, SaltsWithTwoLettersFromBToY) {
  qe::Kesra_Class_Md5 md5;
  std::set<char16_t> first, second;
  for (int i = 0; i < 2000; ++i) {
    vb::String form = md5.KesraServU(u"密码pass");
    ASSERT_EQ(form.size(), 34u);
    ASSERT_GE(form[0], u'b');
    ASSERT_LE(form[0], u'y');
    ASSERT_GE(form[1], u'b');
    ASSERT_LE(form[1], u'y');
    ASSERT_EQ(form.substr(2), md5.KesraMd5(form.substr(0, 2) + u"密码pass"));
    first.insert(form[0]);
    second.insert(form[1]);
  }
  // Every letter of the range turns up: the draw is spread over all 24.
  EXPECT_EQ(first.size(), 24u);
  EXPECT_EQ(second.size(), 24u);
}

TEST(KesraClassMd5, IsCreatableByNameAndLateBound) {
  qe::RegisterComponentClasses();
  vb::Variant md5(com::CreateObject(u"qe.kesra_class_md5"));
  vb::Variant text(u"中");
  EXPECT_EQ(com::Call(md5, u"KesraMd5", text), vb::Variant(u"6CBA308F8D5F2B49971DBB43879A078C"));
  EXPECT_EQ(text, vb::Variant(u"中"));
  vb::String form = vb::CStr(com::Call(md5, u"kesraservu", u""));
  EXPECT_EQ(form.substr(2), qe::Kesra_Class_Md5().KesraMd5(form.substr(0, 2)));
}

TEST(KesraClassMd5, TheFacadeForwardsToItsDigestObject) {
  auto facade = std::make_shared<qe::QeCls>();
  EXPECT_EQ(facade->CommMd5(u"中"), u"6CBA308F8D5F2B49971DBB43879A078C");
  EXPECT_EQ(com::Call(vb::Variant(facade), u"CommMd5", u"abc"), vb::Variant(u"900150983CD24FB0D6963F7D28E17F72"));
  vb::String form = facade->CommServU(u"x");
  EXPECT_EQ(form.substr(2), facade->CommMd5(form.substr(0, 2) + u"x"));
}

}  // namespace
