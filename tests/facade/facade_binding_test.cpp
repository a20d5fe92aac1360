// The late-bound entries generated from a member declaration: names in any
// case, defaults of omitted optionals, by-reference write-back, conversions
// and the argument errors.
#include <gtest/gtest.h>

#include "platform/com/object.h"
#include "facade/sample_facade.h"

namespace qe_test {

vb::String SampleFacade::Echo(vb::String p_Text) {
  ++calls;
  p_Text += u"!";  // a by-value copy: the caller's variable must not change
  return p_Text;
}

int16_t SampleFacade::Bump(int16_t& p_Number, int16_t p_Step) {
  p_Number = static_cast<int16_t>(p_Number + p_Step);
  return p_Number;
}

vb::String SampleFacade::Defaults(bool p_Flag, vb::String p_Text, int32_t p_Count, vb::Date p_When,
                                  vb::Variant p_Any) {
  return vb::CStr(vb::Variant(p_Flag)) + u"|" + p_Text + u"|" + vb::CStr(vb::Variant(p_Count)) + u"|" +
         vb::CStr(vb::Variant(p_When)) + u"|" + (p_Any.IsMissing() ? u"missing" : vb::CStr(p_Any));
}

void SampleFacade::Release(vb::Variant& Rs, vb::Variant& Conn) {
  Rs = vb::Variant::Nothing();
  Conn = vb::Variant(u"released");
}

void SampleFacade::Fail(int32_t p_Number) { vb::Raise(p_Number); }

namespace {

vb::Variant Make() { return vb::Variant(std::make_shared<SampleFacade>()); }

int ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const vb::Error& e) {
    return e.Number();
  }
  return 0;
}

TEST(FacadeBinding, MembersAreFoundInAnyLetterCase) {
  auto obj = Make();
  EXPECT_EQ(com::Call(obj, u"Echo", u"a"), vb::Variant(u"a!"));
  EXPECT_EQ(com::Call(obj, u"ECHO", u"b"), vb::Variant(u"b!"));
  EXPECT_EQ(com::Call(obj, u"echo", u"c"), vb::Variant(u"c!"));
}

TEST(FacadeBinding, ByValueArgumentsAreCopies) {
  auto obj = Make();
  vb::Variant text(u"page");
  com::Call(obj, u"Echo", text);
  EXPECT_EQ(text, vb::Variant(u"page"));
}

TEST(FacadeBinding, ArgumentsAreConvertedToTheDeclaredType) {
  auto obj = Make();
  EXPECT_EQ(com::Call(obj, u"Echo", 12), vb::Variant(u"12!"));
  EXPECT_EQ(com::Call(obj, u"Echo", true), vb::Variant(u"True!"));
  vb::Variant n(u"41");
  EXPECT_EQ(com::Call(obj, u"Bump", n), vb::Variant(static_cast<int16_t>(42)));
  // A text that is no number, an overflow and Null fail as the platform does.
  EXPECT_EQ(ErrorOf([&] { vb::Variant v(u"abc"); com::Call(obj, u"Bump", v); }), vb::kTypeMismatch);
  EXPECT_EQ(ErrorOf([&] { vb::Variant v(40000); com::Call(obj, u"Bump", v); }), vb::kOverflow);
  EXPECT_EQ(ErrorOf([&] { com::Call(obj, u"Echo", vb::Variant::Null()); }), vb::kTypeMismatch);
}

TEST(FacadeBinding, ByReferenceArgumentsAreWrittenBack) {
  auto obj = Make();
  vb::Variant n(static_cast<int16_t>(5));
  EXPECT_EQ(com::Call(obj, u"Bump", n, 3), vb::Variant(static_cast<int16_t>(8)));
  EXPECT_EQ(n, vb::Variant(static_cast<int16_t>(8)));

  vb::Variant rs(u"recordset"), conn(u"connection");
  com::Call(obj, u"Release", rs, conn);
  EXPECT_TRUE(rs.IsNothing());
  EXPECT_EQ(conn, vb::Variant(u"released"));
}

TEST(FacadeBinding, OmittedOptionalsTakeTheDeclaredDefaults) {
  auto obj = Make();
  const vb::String expected = u"True|默认 \"quoted\"|70000|1900/10/10|missing";
  EXPECT_EQ(com::Call(obj, u"Defaults"), vb::Variant(expected));
  // Left out in the middle (Missing), and passed explicitly with the same values.
  EXPECT_EQ(com::Call(obj, u"Defaults", vb::Missing(), vb::Missing(), 70000),
            vb::Variant(expected));
  vb::Variant when = vb::Variant(vb::Date{284.0});
  EXPECT_EQ(com::Call(obj, u"Defaults", true, u"默认 \"quoted\"", 70000, when), vb::Variant(expected));
  EXPECT_EQ(com::Call(obj, u"Defaults", false, vb::Missing(), vb::Missing(), vb::Missing(), 3),
            vb::Variant(u"False|默认 \"quoted\"|70000|1900/10/10|3"));
}

TEST(FacadeBinding, TypedMembersCarryTheSameDefaults) {
  SampleFacade f;
  EXPECT_EQ(f.Defaults(), u"True|默认 \"quoted\"|70000|1900/10/10|missing");
}

TEST(FacadeBinding, AnOmittedByReferenceOptionalGetsAVariableOfItsOwn) {
  auto obj = Make();
  vb::Variant rs(u"x");
  com::Call(obj, u"Release", rs);
  EXPECT_TRUE(rs.IsNothing());
}

TEST(FacadeBinding, ArgumentErrors) {
  auto obj = Make();
  EXPECT_EQ(ErrorOf([&] { com::Call(obj, u"NoSuchMember"); }), vb::kMemberNotSupported);
  EXPECT_EQ(ErrorOf([&] { com::Call(obj, u"Echo", u"a", u"b"); }), vb::kWrongArgumentCount);
  EXPECT_EQ(ErrorOf([&] { com::Call(obj, u"Echo"); }), vb::kArgumentNotOptional);
  EXPECT_EQ(ErrorOf([&] { com::Call(obj, u"Echo", vb::Missing()); }), vb::kArgumentNotOptional);
  EXPECT_EQ(ErrorOf([&] { com::Let(obj, u"Echo", u"x"); }), vb::kWrongArgumentCount);
}

TEST(FacadeBinding, AMemberNotBuiltYetRaises445NamingIt) {
  auto obj = Make();
  try {
    com::Call(obj, u"NotYet", u"x");
    FAIL() << "no error";
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), vb::kActionNotSupported);
    EXPECT_NE(e.Description().find(u"NotYet"), vb::String::npos);
  }
}

TEST(FacadeBinding, AnErrorInsideAMemberLeavesTheObjectUsable) {
  auto obj = Make();
  EXPECT_EQ(ErrorOf([&] { com::Call(obj, u"Fail", 58); }), 58);
  EXPECT_EQ(com::Call(obj, u"Echo", u"again"), vb::Variant(u"again!"));
}

TEST(FacadeBinding, ForwardersReachTheirProcedure) {
  auto obj = Make();
  EXPECT_EQ(vb::CStr(com::Call(obj, u"Swap")).substr(0, 30), u"<Script Language=\"JavaScript\">");
}

TEST(FacadeBinding, MemberListDescribesTheDeclaration) {
  const auto& list = SampleFacade::MemberList();
  ASSERT_EQ(list.size(), 7u);
  EXPECT_EQ(com::DescribeMember(list[1]),
            u"Bump(ByRef p_Number As Integer, Optional ByVal p_Step As Integer = 1) As Integer");
  EXPECT_EQ(list[3].slot, 4);
  EXPECT_EQ(com::DescribeMember(list[4]), u"Fail(ByVal p_Number As Long)");
}

}  // namespace
}  // namespace qe_test
