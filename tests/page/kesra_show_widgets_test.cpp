// Buttons, the login box's rows and desktop, the select-and-text pair, the
// lost-file page and the footer; the last three end the page's use of its
// recordset and connection.
#include "page/kesra_show_widgets.h"

#include <gtest/gtest.h>

#include <memory>

#include "common/kesra_error_page.h"
#include "common/system_title.h"
#include "platform/asp/context.h"
#include "platform/vb/error.h"
#include "support/html_parse.h"
#include "support/temp_site.h"
#include "support/test_objects.h"

namespace {

using test_objects::FakeConnection;
using test_objects::FakeRecordset;
using vb::String;

TEST(Button, BlankArgumentsTakeTheDefaults) {
  EXPECT_EQ(qe::KesraShowButton(u"", u" ", u"", u"", u"", u""),
            u"<input  type='submit'  name='save' id='save' value='-=保存=-' class='button_image'  "
            u"onkeydown='this.click()' >");
  EXPECT_EQ(qe::KesraShowButton(u"Button", u"Cancel", u"c", u"取消", u"b", u""),
            u"<input  type='Button'  name='Cancel' id='c' value='取消' class='b'  onClick='" +
                qe::KesraCloseWindowNoMessagebox() + u"'>");
  EXPECT_EQ(qe::KesraShowButton(u"SUBMIT", u"go", u"go", u"走", u"b", u"f()"),
            u"<input  type='SUBMIT'  name='go' id='go' value='走' class='b'  onkeydown='this.click()'  onClick='f()'>");
}

TEST(LoginWidgets, ButtonsOrTheNotice) {
  EXPECT_EQ(qe::KesraShowLoginButtons(true, u""),
            u"<tr><td class='login_button'><input  type='submit'  name='save' id='save' value='登 录' "
            u"class='button_image'  onkeydown='this.click()' >&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;"
            u"<input  type='button'  name='cancel' id='cancel' value='退 出' class='button_image'  "
            u"onClick='document.location.href=\"../index.asp\"'></td></tr>");
  EXPECT_EQ(qe::KesraShowLoginButtons(false, u" 网络功能尚未开启 "),
            u"<tr><td class='login_noserver'>网络功能尚未开启，请联系系统管理员！</td></tr>");
}

TEST(LoginWidgets, InputRows) {
  EXPECT_EQ(qe::KesraShowLoginInput(u"用户名", u"username", u"text", true, u"", u"", u""),
            u"<tr><td class='login_caption'>用户名：<input type='text'  name='username'class='login_input'  autofocus>"
            u"</td></tr>");
  EXPECT_EQ(qe::KesraShowLoginInput(u" 密码 ", u"pw", u"password", false, u"x", u"请输入", u" maxlength=20"),
            u"<tr><td class='login_caption'>密码：<input type='password'  name='pw'class='login_input'  disabled  "
            u"value='x' title='请输入' placeholder='请输入' maxlength=20></td></tr>");
}

TEST(LoginWidgets, TheDesktopEndsWithTheFooterAndClosesTheData) {
  auto conn = std::make_shared<FakeConnection>(u"c");
  auto rs = std::make_shared<FakeRecordset>();
  vb::Variant conn_v(conn), rs_v(rs);
  const String out = qe::KesraShowLoginDesktop(conn_v, rs_v, u" ", u"<font>某校", u"login.asp", u"<tr><td>rows</td></tr>",
                                               u"<tr><td>manager</td></tr>");
  EXPECT_EQ(out, u"<table cellspacing=0 cellpadding=0 border=0 width='100%'><tr height=30><td></td></tr></table>"
                 u"<table align=center class='login_background'><tr><td class='login_dwmc'><font>某校</font></td></tr>"
                 u"<tr><td>manager</td></tr><tr><td height='158'></td></tr>"
                 u"<form method='post' name='myform' action='login.asp'><tr><td>rows</td></tr>"
                 u"<tr><td height='42'></td></tr></form></table>"
                 u"<table cellspacing=0 cellpadding=0 border=0 width='100%'><tr height=100>"
                 u"<td align=center id='CopyRight'style='font-size:12px;font-family: 微软雅黑;'>" +
                     qe::ProductName() + qe::LongCredits() + u"</td></tr></table>");
  EXPECT_EQ(conn->close_calls, 1);
  EXPECT_EQ(rs->close_calls, 1);
  EXPECT_TRUE(conn_v.IsNothing() || conn_v.IsEmpty());
  vb::Variant none(u"");
  const String heights = qe::KesraShowLoginDesktop(none, none, u"12.9|7", u"", u"", u"", u"");
  EXPECT_TRUE(heights.starts_with(u"<table cellspacing=0 cellpadding=0 border=0 width='100%'><tr height=12>"));
  EXPECT_NE(heights.find(u"<tr><td height='7'></td></tr><tr><td height=''></td></tr></form></table>"), String::npos);
  EXPECT_EQ(heights.find(u"<form"), String::npos);
}

TEST(Footer, ClosesTheDataAndShowsTheCredits) {
  auto conn = std::make_shared<FakeConnection>(u"c");
  vb::Variant conn_v(conn), rs_v(u"");
  int16_t line = 1;
  EXPECT_EQ(qe::KesraShowCopyRight(conn_v, rs_v, 1, line),
            u"<table cellspacing=0 cellpadding=0 border=0 width='100%'><tr height=50>"
            u"<td align=center id='CopyRight'style='font-size:12px;font-family: 微软雅黑;'>" +
                qe::ProductName() + u"<br><br>" + qe::ShortCredits() + u"</td></tr></table>");
  EXPECT_EQ(conn->close_calls, 1);
  EXPECT_EQ(line, 1);
  vb::Variant none(u"");
  try {
    qe::KesraShowCopyRight(none, none, 700, line);
    ADD_FAILURE() << "a row 35000 high";
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), 6);
  }
}

class SelectText : public testing::Test {
 protected:
  String Show(const String& query) {
    asp::RequestSpec wanted;
    wanted.url = u"/qe/search.asp?" + query;
    asp::Context context(std::move(wanted));
    vb::Variant request = context.Request(), none(u"");
    return qe::KesraShowSelectText(none, none, request, 2, 80, 120, u"a| b |c");
  }
};

TEST_F(SelectText, TheRequestsChoiceAndText) {
  EXPECT_EQ(Show(u"selectname2=1&textname2=x"),
            u"<td width='80' nowrap><Select name='selectname2' style='width:80px;'><option value=0 >a</option>"
            u"<option value=1 selected  >b</option><option value=2 >c</option></Select></td><td width='120'>"
            u"&nbsp;<input name='textname2' id='textname2' type='text' class='inputtext' style='width:106px;;'  "
            u"onkeydown='onKeyDownDefault(this);'  value='x'></td><td width='15'>&nbsp</td>");
  EXPECT_NE(Show(u"textname2=a%24b").find(u" value='ab'>"), String::npos) << "a posted $ is dropped";
  EXPECT_NE(Show(u"").find(u"<option value=0 selected  >a</option>"), String::npos);
}

TEST_F(SelectText, PostedValuesCannotBreakOut) {
  const String out = Show(u"textname2=O%27Brien+%3Cscript%3Ealert(1)%3C%2Fscript%3E&selectname2=99999999999");
  qe_test::ParsedHtml html(vb::ToUtf8(u"<table><tr>" + out + u"</tr></table>"));
  ASSERT_EQ(html.Named("textname2").size(), 1u);
  EXPECT_EQ(html.Named("textname2")[0].Attribute("value"), "O'Brien <script>alert(1)</script>");
  EXPECT_TRUE(html.WithTag("script").empty());
  EXPECT_NE(out.find(u"<option value=0 selected  >a</option>"), String::npos) << "a number no list holds";
  EXPECT_NE(Show(u"selectname2=2.0").find(u"<option value=2 selected  >c</option>"), String::npos);
  EXPECT_EQ(Show(u"selectname2=1.5").find(u"selected"), String::npos);
}

TEST(LostFile, NothingWhenEveryFileIsThere) {
  qe_test::TempSite site;
  site.WriteFile("site/data/qe.asp");
  site.WriteFile("site/data/Config.htm");
  asp::Context context(asp::RequestSpec{});
  auto response = std::make_shared<test_objects::RecordingResponse>();
  auto conn = std::make_shared<FakeConnection>(u"c");
  vb::Variant server = context.Server(), response_v(response), conn_v(conn), rs_v(u"");
  qe::KesraShowWindowLostFile(server, conn_v, rs_v, response_v, u"qe.asp|config.htm", u"某校");
  EXPECT_EQ(response->written, u"");
  EXPECT_FALSE(response->ended);
  EXPECT_EQ(conn->close_calls, 0);
}

TEST(LostFile, TheMissingFilesEndThePage) {
  qe_test::TempSite site;
  site.WriteFile("site/data/qe.asp");
  asp::Context context(asp::RequestSpec{});
  auto response = std::make_shared<test_objects::RecordingResponse>();
  auto conn = std::make_shared<FakeConnection>(u"c");
  auto rs = std::make_shared<FakeRecordset>();
  vb::Variant server = context.Server(), response_v(response), conn_v(conn), rs_v(rs);
  qe::KesraShowWindowLostFile(server, conn_v, rs_v, response_v, u"a.mdb|qe.asp|b.mdb", u"某校");
  EXPECT_EQ(response->written,
            u"<table><tr><td height=30></td></tr></table>"
            u"<table align=center background='../comm/image/kesra_bg_filelost.asp' width=308 height=397 cellpadding=0 "
            u"cellspacing=0 border=0><tr><td height=40 align=center style='padding-left:40pt'></td></tr>"
            u"<tr><td height=30 align=center style='padding-left:40pt'><font class=dddfont3>某校</font></td></tr>"
            u"<tr><td height=30 align=center style='padding-left:40pt'><font class=dddfont2>" +
                qe::ProductName() +
                u"</font></td></tr><tr height=3><td></td></tr><tr width='100%'><td width='100%' align=center>"
                u"<font class=dddfont3>〖a.mdb〗〖b.mdb〗</font></td></tr><tr height=8><td></td></tr></table>");
  EXPECT_TRUE(response->ended);
  EXPECT_EQ(conn->close_calls, 1);
  EXPECT_EQ(rs->close_calls, 1);
}

}  // namespace
