// The office form widgets: the department select on a site database, the
// toolbar button's branches and rights, the recipients and date fields with
// stored values encoded, the save and preview row, the posted body, and the
// form footer's modes and close action.
#include "office/qe_widgets.h"

#include <gtest/gtest.h>

#include <memory>

#include "common/kesra_dates.h"
#include "office/office_site.h"
#include "page/page_objects.h"
#include "platform/com/object.h"
#include "platform/net/remote_fetch.h"
#include "support/loopback_http_server.h"
#include "facade/qecls.h"

namespace office_test {
namespace {

using page_test::RowRecordset;

class WidgetsTest : public OfficeSiteTest {
 protected:
  String PartSelect(const String& wanted) { return qe::QeShowPartSelect(conn_, wanted); }
};

TEST_F(WidgetsTest, DepartmentSelectInSortOrderExactMatchSelectedValuesEncoded) {
  EXPECT_EQ(PartSelect(u"x"), u"<Select Name=\"Part\"><Font Color=\"red\">还没有任何内容</Font></Select>");
  Execute(u"Insert Into [Part] ([Part],[SortId]) Values ('教务处',2)");
  Execute(u"Insert Into [Part] ([Part],[SortId]) Values ('Office',1)");
  Execute(u"Insert Into [Part] ([Part],[SortId]) Values ('A''s <b>',3)");
  EXPECT_EQ(PartSelect(u" 教务处 "),
            u"<Select Name=\"Part\"><Option Value=\"\">--=部门选择=--</Option>"
            u"<Option Value='Office'> Office </Option>"
            u"<Option Value='教务处' Selected > 教务处 </Option>"
            u"<Option Value='A&#39;s &lt;b&gt;'> A's <b> </Option></Select>");
  EXPECT_EQ(PartSelect(u"office").find(u"Selected"), String::npos) << "case counts";
}

TEST_F(WidgetsTest, SearchBarHoldsWhatIsAskedAndTheButtonWithEither) {
  auto page = NewPage(nullptr);
  const String left =
      u"<table class=Content_border cellpadding=0 cellspacing=1 boarder=0 width='100%' align=center>"
      u"<tr align=center><td class='searchbg'><form method='post' name='sele' action='?'>";
  EXPECT_EQ(qe::QeShowSearchBar(conn_, page->request, u"Null", 0, u"  ", u"[b]", u"[a]"),
            left + u"[b][a]</td></form></tr></table>");
  const String with_part = qe::QeShowSearchBar(conn_, page->request, u"null", 0, u"", u"", u"");
  EXPECT_EQ(with_part, left + PartSelect(u"null") + qe::QeShowSearchButton() + u"</td></form></tr></table>");
  const String with_columns = qe::QeShowSearchBar(conn_, page->request, u"Null", 1, u"Title|标题", u"", u"");
  EXPECT_NE(with_columns.find(u"name='moden'"), String::npos);
  EXPECT_NE(with_columns.find(qe::QeShowSearchButton()), String::npos);
}

TEST_F(WidgetsTest, ToolbarButtonLinkDialogIconAndRights) {
  auto page = NewPage(nullptr);
  Variant rs;
  auto bar = [&](String allow, int16_t w, int16_t h, String icon, String id) {
    return qe::QeShowAnyBar(page->response, page->session, rs, u"a_edit.asp", allow, u"add", w, h, u"新增", icon, 0,
                            id);
  };
  EXPECT_EQ(bar(u"anyone", 0, 0, u"", u""),
            u"&nbsp;&nbsp;<a href=\"a_edit.asp\" onMouseOut=KesraSwapImgRestore() "
            u"onMouseOver=KesraSwapImage('image_add','','../comm/image/button/button_add_on.asp',1)>"
            u"<img name='image_add' border='0' Src='../comm/image/button/button_add_off.asp' align='middle'></a>");
  EXPECT_EQ(
      bar(u"anyone", 0, 5, u"<i>+</i>", u" "),
      u"&nbsp;&nbsp;<a href=\"javascript:void(0);\" onClick=\"ShowPopDialog('Dialog',0,5,'新增','a_edit.asp',0);\">"
      u"<i>+</i></a>");
  EXPECT_FALSE(page->Ended());
  // "Anyone" goes through the rights check, which grants it to everybody too.
  EXPECT_EQ(bar(u"Anyone", 0, 0, u"", u""), bar(u"anyone", 0, 0, u"", u""));
  EXPECT_FALSE(page->Ended());
  // A right that reads the user: nobody is logged in.
  EXPECT_EQ(bar(u"manager", 0, 0, u"", u""), u"");
  EXPECT_TRUE(page->Ended());

  const User super{u"1|admin|admin|Office|a|t|p"};
  auto logged = NewPage(&super);
  EXPECT_NE(qe::QeShowAnyBar(logged->response, logged->session, rs, u"u", u"supermanager", u"x", 0, 0, u"", u"", 1, u"")
                .find(u"href=\"u\""),
            String::npos);
}

TEST(ArticleFields, RecipientsWhenAddingAndEditingWithTheStoredValueEncoded) {
  Variant rs(std::make_shared<RowRecordset>(std::vector<std::pair<String, Variant>>{
      {u"GetUser", Variant(String(u"|li|\"wang\"|"))}, {u"AllowAll", Variant(true)}}));
  EXPECT_EQ(qe::QeShowArticleUser(rs, false, u"9", u"Notice", u"GetUser", true, 600, 400, 1, 265),
            u"<input name=\"GetUser\" type=\"text\" readonly=\"readonly\" id=\"GetUser\" class=\"inputtext\" "
            u"style=\"width:265;\"  onclick=\"divOpenDialog('divDialogUserList',600,400, '用户列表选择', "
            u"'../comm/tymk_usershow.asp?mode=list_open&tablename=Notice&objectid=GetUser&userlist='+this.value,1)\">"
            u"&nbsp;&nbsp;全体通知<input type=\"checkbox\" name=\"AllowAll\" value=\"广播\" id=\"allowall\"  checked>");
  EXPECT_EQ(qe::QeShowArticleUser(rs, true, u"9", u"Notice", u"GetUser", false, 600, 400, 0, 300),
            u"<input name=\"GetUser\" type=\"text\" readonly=\"readonly\" id=\"GetUser\" class=\"inputtext\" "
            u"style=\"width:300;\"  onclick=\"divOpenDialog('divDialogUserList',600,400, '用户列表选择', "
            u"'../comm/tymk_usershow.asp?mode=list_open&tablename=Notice&objectid=GetUser&id=9&userlist='"
            u"+this.value,0)\" value=\"|li|&quot;wang&quot;|\"  title=\"原下发对象：\r\n|li|&quot;wang&quot;|\">");
  const String checked = qe::QeShowArticleUser(rs, true, u"9", u"N", u"GetUser", true, 1, 1, 0, 1);
  EXPECT_TRUE(checked.ends_with(u"id=\"allowall\"  checked >"));
  Variant not_all(std::make_shared<RowRecordset>(
      std::vector<std::pair<String, Variant>>{{u"GetUser", Variant(String())}, {u"AllowAll", Variant::Null()}}));
  EXPECT_TRUE(
      qe::QeShowArticleUser(not_all, true, u"9", u"N", u"GetUser", true, 1, 1, 0, 1).ends_with(u"id=\"allowall\" >"));
}

TEST(ArticleFields, DateFieldTodayWhenAddingTheStoredDateEncodedWhenEditing) {
  Variant rs(std::make_shared<RowRecordset>(
      std::vector<std::pair<String, Variant>>{{u"SendDate", Variant(String(u"2024-01-05\"><b>"))}}));
  const String head =
      u"<Input Name=\"SendDate\" Type=\"Text\" Readonly=\"Readonly\" id=\"SendDate\"  "
      u"Class=\"Inputtext\" Style=\"Width:265;\" onclick=\"OpenWindowModalDate(document.myform."
      u"SendDate)\"  value=\"";
  EXPECT_EQ(qe::QeShowArticleDate(rs, true, u"SendDate"), head + u"2024-01-05&quot;&gt;&lt;b&gt;\">");
  EXPECT_EQ(qe::QeShowArticleDate(rs, false, u"SendDate"), head + qe::KesraPutDate(qe::KesraGetDate()) + u"\">");
  EXPECT_EQ(qe::KesraPutDate(qe::KesraGetDate()).size(), 10u);
}

TEST(ArticleFields, SaveAndPreviewRowGolden) {
  EXPECT_EQ(qe::QeShowArticleSavePreview(3, u"Notice", 0, u"ignored"),
            u"<tr class='tdbg'><td colspan=3 height=50 valign=middle align=center>"
            u"<input class=\"button_image\" name=\"add\" type=\"submit\"  id=\"add\" value=\"-=保存=-\"  onClick=\" "
            u"document.myform.action='Notice_save.asp'; document.myform.target='_self'; \">&nbsp;"
            u"<input class=\"button_image\" name=\"preview\" type=\"button\"  id=\"preview\" value=\"-=预览=-\"  "
            u"onClick=\" ShowPopDialog('divDialogUserList', 1024, 600, '预览', "
            u"'../comm/tymk_ArticleRead.asp?Preview=Editor',0); \">&nbsp;"
            u"<input class=\"button_image\" name=\"cancel\" type=\"button\" id=\"cancel\" value=\"-=返回=-\" "
            u"onClick=\"window.location.href='Notice_manager.asp'\" ></td></form></tr></table>");
}

TEST_F(WidgetsTest, PostedBodyLosesTheReferringFolderSpelledInLowerCase) {
  struct Case {
    String referer, body, expected;
  } cases[] = {
      {u"http://School/QE/News/a_edit.asp?x=1",
       u"  <a href=\"http://school/qe/news/b.htm\">b</a>"
       u"<img src=\"http://School/QE/News/c.gif\">  ",
       u"<a href=\"b.htm\">b</a><img src=\"http://School/QE/News/c.gif\">"},
      {u"nothing", u" http://x/y.gif ", u"http://x/y.gif"},
      {u"", u"body", u"body"},
  };
  for (const Case& c : cases) {
    auto page = NewPage(nullptr, u"/qe/news/a_save.asp", {{u"Content", c.body}}, {{u"Referer", c.referer}});
    EXPECT_EQ(qe::QeArticleBodyRelative(page->request), c.expected) << vb::ToUtf8(c.referer);
  }
}

TEST_F(WidgetsTest, PostedBodyKeepsCopiesOfRemotePicturesInTheTablesFolder) {
  site_.MakeFolder("site/Data_UpLoadFiles/Notice");
  qe_test::LoopbackHttpServer pictures;
  pictures.Set("/p.gif", {"200", "Content-Type: image/gif\r\n", std::string("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 13)});
  pictures.Set("/gone.gif", {"404", "", "x"});
  const String kept = vb::FromUtf8(pictures.Url("/p.gif")), gone = vb::FromUtf8(pictures.Url("/gone.gif"));
  net::TestFetchAllowance allowance;
  auto page = NewPage(nullptr, u"/qe/news/a_save.asp",
                      {{u"Content", u" <a href=\"http://school/qe/news/b.htm\">b</a><img src=\"" + kept +
                                        u"\" ><img src=\"" + gone + u"\" > "}},
                      {{u"Referer", u"http://school/qe/news/a_edit.asp"}});
  const String body = qe::QeShowArticleContentString(page->request, page->server, u"Notice");
  EXPECT_EQ(body.find(kept), String::npos) << vb::ToUtf8(body);
  EXPECT_NE(body.find(gone), String::npos) << "a picture that cannot be fetched stays remote";
  EXPECT_EQ(body.rfind(u"<a href=\"b.htm\">b</a><img src=\"/Data_UpLoadFiles/Notice/", 0), 0u) << vb::ToUtf8(body);
  size_t copies = 0;
  for (const auto& entry : std::filesystem::directory_iterator(site_.Host("site/Data_UpLoadFiles/Notice"))) {
    ++copies;
    EXPECT_EQ(entry.path().extension(), ".gif");
  }
  EXPECT_EQ(copies, 1u);
}

// The close action of the footer, exact: it closes the dialog that holds the
// page (its own script, since the page may carry none) and reloads the parent.
const String kFooterClose =
    u"(function(){var w=window.parent,f=window.frameElement,d=null;"
    u"try{d=f&&f.closest?f.closest('dialog'):null;"
    u"if(d){d.close();}"
    u"else if(f&&f.closest&&f.closest('.div-dialog')&&w.divCloseDialog){w.divCloseDialog();}"
    u"else{w.document.getElementById(w.document.getElementsByTagName('dialog')[0].id).close();}"
    u"}catch(e){}"
    u"w.location.reload(true);})()";

TEST_F(WidgetsTest, FormFooterModesButtonsHiddenIdAndClosing) {
  const String open = u"<tr class='tdbg' height=40><td align='center' valign='middle' colspan='3'>";
  const String end = u"</td></form></tr></table>";
  struct Case {
    String url;
    int16_t request_id;
    bool rs_null;
    String dialog, names, expected;
  } cases[] = {
      // A read request: only the row and the end.
      {u"/a.asp?ID=4", 4, false, u"", u"||", open + end},
      // Adding: the three default buttons, closing the holding dialog.
      {u"/a.asp?action=add", -1, false, u"", u"||",
       open +
           u"<input type='submit' value='保 存' class='button_image'>&nbsp;&nbsp;"
           u"<input type='reset' value='清 除' class='button_image'>&nbsp;&nbsp;"
           u"<input type='button'  value='关 闭' class='button_image' onclick=\"" +
           kFooterClose + u";\">" + end},
      // Editing with an id: hidden id; "NULL" hides the save button; "null" closes the window.
      {u"/a.asp?action=modify&ID=12", 12, false, u"null", u"NULL|| 完成 ",
       open +
           u"<input name='id' type='hidden' value='12'>"
           u"<input type='reset' value='清 除' class='button_image'>&nbsp;&nbsp;"
           u"<input type='button'  value=' 完成 ' class='button_image' onclick=\"window.close();\">" +
           end},
      // Id 0 is written only for a Null recordset; -1 never.
      {u"/a.asp?action=modify&ID=12", 0, false, u"x", u"null|null|null", open + end},
      {u"/a.asp?action=modify&ID=12", 0, true, u"x", u"null|null|null",
       open + u"<input name='id' type='hidden' value='0'>" + end},
      {u"/a.asp?action=modify&ID=12", -1, true, u"x", u"null|null|null", open + end},
  };
  for (const Case& c : cases) {
    auto page = NewPage(nullptr, c.url);
    Variant rs = c.rs_null ? Variant::Null() : Variant(), conn;
    int16_t colspan = 3, id = c.request_id;
    bool close = false;
    String dialog = c.dialog, names = c.names;
    EXPECT_EQ(qe::QeShowSaveResetClose(page->request, conn, rs, colspan, close, id, dialog, names), c.expected)
        << vb::ToUtf8(c.url) << " " << c.request_id;
  }
  // A blank dialog id comes back as "Dialog" through the façade.
  auto page = NewPage(nullptr, u"/a.asp");
  auto qe = Variant(std::make_shared<qe::QeCls>());
  Variant rs, conn, colspan(int16_t{2}), close(false), id(int16_t{-1}), dialog(String(u"  ")), names(String(u"||"));
  com::Call(qe, u"CommShowSaveResetClose", page->request, conn, rs, colspan, close, id, dialog, names);
  EXPECT_EQ(dialog, Variant(String(u"Dialog")));
}

TEST_F(WidgetsTest, FormFooterClosesTheDataOnlyWhenEditing) {
  MakeArticles();
  for (String url : {u"/a.asp?action=modify&ID=1", u"/a.asp?action=add"}) {
    auto page = NewPage(nullptr, url);
    Variant conn = Open(ado_test::Jet(kMainFile));
    Variant rs = Query(conn, u"Select * From [Article]");
    int16_t colspan = 3, id = 1;
    bool close = true;
    String dialog, names = u"||";
    qe::QeShowSaveResetClose(page->request, conn, rs, colspan, close, id, dialog, names);
    const bool editing = url.find(u"ID=") != String::npos;
    EXPECT_EQ(rs.IsNothing(), editing) << vb::ToUtf8(url);
    EXPECT_EQ(conn.IsNothing(), editing);
  }
}

}  // namespace
}  // namespace office_test
