// The page-fragment members through late binding: the defaults their
// declarations give, and the one member that adds an argument of its own.
#include <gtest/gtest.h>

#include "page/kesra_show_form.h"
#include "page/kesra_show_header.h"
#include "page/kesra_show_page.h"
#include "page/kesra_show_tab.h"
#include "page/kesra_show_tr.h"
#include "page/kesra_show_widgets.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "facade/qecls.h"
#include "support/temp_site.h"

namespace {

class QeClsPages : public testing::Test {
 protected:
  void SetUp() override {
    qe::RegisterComponentClasses();
    qe_ = vb::Variant(com::CreateObject(u"QE.QeCls"));
  }
  template <class... A>
  vb::Variant Call(const char16_t* member, A&&... args) {
    return com::Call(qe_, member, std::forward<A>(args)...);
  }

  qe_test::TempSite site_;
  vb::Variant qe_;
};

TEST_F(QeClsPages, OmittedArgumentsTakeTheDeclaredDefaults) {
  EXPECT_EQ(Call(u"CommShowTableHeader", vb::String(u"a|20")),
            vb::Variant(qe::KesraShowTableHeader(u"a|20", 30, u"class =titlebg")));
  EXPECT_EQ(Call(u"CommShowFormLeft", vb::String(u"save.asp")),
            vb::Variant(qe::KesraShowFormLeft(u"save.asp", u"myform", u"myform",
                                              u"if (event.keyCode==13) {return false;}", u"")));
  EXPECT_EQ(Call(u"CommShowSearchLeft", vb::String(u"form")),
            vb::Variant(qe::KesraShowSearchLeft(u"form", u"", u"searchbg")));
  EXPECT_EQ(Call(u"CommShowBox", vb::String(u"t"), vb::String(u"c")),
            vb::Variant(qe::KesraShowBox(u"t", u"c", u"#b5b6b5", u"#ffffff", u"#f7f7f7", u"#000000", u"right",
                                         u"../comm/image/kesra_line.asp")));
  EXPECT_EQ(Call(u"CommShowTableDouble", vb::String(u"90%"), vb::String(u"#eee")),
            vb::Variant(qe::KesraShowTableDouble(u"90%", u"#eee", u"#C0C0C0", true, true)));
  vb::Variant columns = int16_t{3};
  EXPECT_EQ(Call(u"CommShowNoRecord", columns),
            vb::Variant(qe::KesraShowNoRecord(columns, false, vb::String(u"没有符合条件的数据。"))));
  EXPECT_EQ(Call(u"CommShowEmptyLine", int16_t{4}), vb::Variant(qe::KesraShowEmptyLine(4, u"")));
  EXPECT_EQ(Call(u"CommShowExcelTableHeader", vb::String(u"a$b|2")).Type(), vb::vbString);
}

TEST_F(QeClsPages, TheLoginMemberAlwaysShowsTheCredits) {
  vb::Variant response, request, server;
  EXPECT_EQ(Call(u"CommShowLogin", response, request, server, vb::String(u"[form]")),
            vb::Variant(qe::KesraShowLogin(response, request, server, u"[form]", true, u"")));
}

TEST_F(QeClsPages, TheMessageComesInAVariantHoldingText) {
  vb::Variant message = Call(u"CommShowMessage", vb::String(u"t"), vb::String(u"c"), vb::String(u"u"));
  EXPECT_EQ(message.Type(), vb::vbString);
  EXPECT_EQ(message, vb::Variant(qe::KesraShowMessage(u"t", u"c", u"u")));
}

TEST_F(QeClsPages, TheWidgetMembersDefaults) {
  EXPECT_EQ(Call(u"CommShowGridTr", int16_t{1}),
            vb::Variant(qe::KesraShowGridTr(1, u"", u"#eeeeff", u"#e5e5f9", u"#cceecc", u"center")));
  EXPECT_EQ(Call(u"CommShowButton"), vb::Variant(qe::KesraShowButton(u"submit", u"save", u"save", u"-=保存=-",
                                                                     u"button_image", u"")));
  EXPECT_EQ(Call(u"CommShowLoginButtons"), vb::Variant(qe::KesraShowLoginButtons(true, u"网络功能尚未开启")));
  EXPECT_EQ(Call(u"CommShowLoginInput"),
            vb::Variant(qe::KesraShowLoginInput(u"用户名", u"username", u"text", true, u"", u"", u"")));
  EXPECT_EQ(Call(u"CommShowTab"), vb::Variant(qe::KesraShowTab(u"")));
  vb::Variant conn(u""), rs(u"");
  int16_t line = 1;
  EXPECT_EQ(Call(u"CommShowCopyRight", conn, rs), vb::Variant(qe::KesraShowCopyRight(conn, rs, 2, line)));
  EXPECT_EQ(Call(u"CommShowTr", conn, rs, vb::String(), int16_t{21}, int32_t{9}, int32_t{1}, int16_t{1},
                 vb::String(u"t"), vb::String(u"n"), vb::String(u"$v"), int16_t{0}, vb::String(), int16_t{2},
                 int16_t{1}, vb::String(), vb::String(), vb::String()),
            vb::Variant(qe::KesraShowTr(conn, rs, u"", 21, 9, 1, 1, u"t", u"n", u"$v", 0, u"", 2, 1, u"", u"", u"",
                                        u"", 0, u"", 1)));
  vb::Variant titles(vb::Array::OfVariants({vb::Variant(u"a")})), contents(vb::Array::OfVariants({vb::Variant(u"b")}));
  EXPECT_EQ(Call(u"CommShowTabAndContent", vb::String(), titles, contents),
            vb::Variant(qe::KesraShowTabAndContent(u"", titles, contents, u"100%", u"360")));
}

}  // namespace
