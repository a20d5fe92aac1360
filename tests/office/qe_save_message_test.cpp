// The save message's rows and links, and the logout: data closed, the user
// cleared, the session gone, the browser sent to the login page.
#include "office/qe_save_message.h"

#include <gtest/gtest.h>

#include "office/office_site.h"
#include "office/qe_user.h"
#include "page/kesra_show_title.h"
#include "page/kesra_show_tr.h"
#include "page/page_objects.h"

namespace office_test {
namespace {

const User kLi{u"5|li_login|li|Office|b|t|p"};

class SaveMessageTest : public OfficeSiteTest {};

String Row(const String& label, const String& value) {
  Variant conn, rs;
  return qe::KesraShowTr(conn, rs, u"", 1, 265, 21, 1, label, u"", u"$" + value, 0, u"", 3, 1, u"", u"", u"", u"", 0,
                         u"", 1);
}

TEST_F(SaveMessageTest, RowsByTypeAndClassOtherItemsAndTheLinks) {
  auto page = NewPage(&kLi);
  Variant conn;
  Variant rs(std::make_shared<page_test::RowRecordset>(
      std::vector<std::pair<String, Variant>>{{u"ID", Variant(int32_t{8})}, {u"Title", Variant(String(u"期末安排"))}}));
  const String head =
      u"<table width='100%' border='0' cellpadding='1' cellspacing='1' bgcolor='#666666'>"
      u"<tr class='tdbg'><td width='5%'><td width='5%'><td width='90%'></td></tr>"
      u"<tr class='tdbg'><td height=41 align='center' colspan=3>文章";
  const String links =
      u"<tr class='tdbg' height=41><td align='center' valign='middle' colspan=3>"
      u"【<a href='News_edit.asp?action=modify&classid=3&id=8'>重新编辑</a>】&nbsp;"
      u"【<a href='News_edit.asp'>继续添加</a>】&nbsp;"
      u"【<a href='News_manager.asp'>返回列表</a>】&nbsp;";
  const String preview = qe::KesraShowTitle(rs, u"../comm/tymk_ArticleRead.asp?ReadType=News&Preview=Save", 80, 1024,
                                            600, u"【预览本文内容】", u"预览本文内容", 0, u"", u"");
  EXPECT_EQ(qe::QeShowSaveMessage(page->session, page->response, conn, rs, 1, 3, 8, u"期末安排", u"News", 1,
                                  u"附件|2个$备注", 0),
            head + u"添加成功</td></tr>" + Row(u"所属栏目ID", u"3") + Row(u"文章标题", u"期末安排") +
                Row(u"作者", u"li") + Row(u"部门", u"Office") + Row(u"附件", u"2个") + Row(u"备注", u"") + links +
                preview + u"</td></tr></table>");
  EXPECT_NE(preview.find(u"【预览本文内容】"), String::npos);
  const String edited =
      qe::QeShowSaveMessage(page->session, page->response, conn, rs, 2, 0, 8, u"t", u"News", 2, u"", 1);
  EXPECT_EQ(edited, head + u"修改成功</td></tr>" + String(links).replace(links.find(u"classid=3"), 9, u"classid=0") +
                        u"</td></tr></table>");
  EXPECT_FALSE(rs.IsNothing()) << "the message leaves the data open";
}

TEST_F(SaveMessageTest, WithoutAUserTheAuthorRowEndsThePage) {
  auto page = NewPage(nullptr);
  Variant conn, rs;
  EXPECT_EQ(qe::QeShowSaveMessage(page->session, page->response, conn, rs, 1, 0, 1, u"t", u"News", 1, u"", 1), u"");
  EXPECT_TRUE(page->Ended());
  Variant rs2, conn2;
  auto other = NewPage(nullptr);
  EXPECT_NE(qe::QeShowSaveMessage(other->session, other->response, conn2, rs2, 1, 0, 1, u"t", u"News", 2, u"", 1), u"");
  EXPECT_FALSE(other->Ended()) << "type 2 reads no user";
}

TEST_F(SaveMessageTest, LogoutClearsTheUserEndsTheSessionAndRedirects) {
  for (auto [id, location] : {std::pair<String, String>{u"  ", u"/qe/main/login.asp"},
                              {u"", u"/qe/main/login.asp"},
                              {u"7 ", u"/qe/main/login.asp?id=7 "}}) {
    auto page = NewPage(&kLi);
    Variant conn = Open(ado_test::Jet(kMainFile));
    Variant rs = Query(conn, u"Select * From [Part]");
    EXPECT_EQ(qe::QeShowWindowLogin(page->response, page->session, rs, conn, id, 0), u"");
    EXPECT_TRUE(rs.IsNothing() && conn.IsNothing());
    EXPECT_EQ(page->SessionValue(u"UserInfo"), Variant(String()));
    EXPECT_TRUE(page->Ended());
    EXPECT_EQ(page->context.ResponseObject().Header(u"Location").value_or(u"?"), location);
    page->context.Finish();
    // The next request of the same visitor finds nobody logged in.
    auto next = NextPage(*page);
    EXPECT_EQ(qe::QeGetUserName(next->response, next->session), Variant());
    EXPECT_TRUE(next->Ended());
  }
}

}  // namespace
}  // namespace office_test
