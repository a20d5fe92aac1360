// The title, edit and delete links of a list row: exact text per branch, the
// address rules, and what is read from the record.
#include <gtest/gtest.h>

#include "platform/vb/raises.h"
#include "page/kesra_show_title.h"
#include "page_objects.h"
#include "platform/com/registry.h"
#include "facade/qecls.h"
#include "support/temp_site.h"

namespace {

using page_test::RowRecordset;

vb::Variant Row(std::vector<std::pair<vb::String, vb::Variant>> row, bool at_end = false) {
  return vb::Variant(std::make_shared<RowRecordset>(std::move(row), at_end));
}

vb::Variant ArticleRow() { return Row({{u"Id", int32_t{7}}, {u"title", vb::String(u" 校务会议 ")}, {u"Code", vb::String(u"A'1")}}); }

vb::String Title(vb::Variant rs, vb::String url, int16_t width, int16_t height, vb::String title = u"",
                 vb::String id = u"", vb::String dialog = u"") {
  return qe::KesraShowTitle(rs, url, 20, width, height, title, u"查看", 1, dialog, id);
}

TEST(KesraShowTitle, ExactTextPerBranch) {
  struct Case {
    vb::String got, expected;
  } cases[] = {
      // The pop-up form, the row's title trimmed as tooltip and text.
      {Title(ArticleRow(), u" show.asp ", 1024, 600),
       u"<a href=\"javascript:void(0);\" onClick=\"ShowPopDialog('Dialog',1024,600,'查看','show.asp?Id=7',1);\""
       u" title='校务会议'>校务会议</a>"},
      // Either size not 0 is the pop-up form; the caller's dialog id.
      {Title(ArticleRow(), u"show.asp?c=2", 0, 400, u"", u"", u"View"),
       u"<a href=\"javascript:void(0);\" onClick=\"ShowPopDialog('View',0,400,'查看','show.asp?c=2&Id=7',1);\""
       u" title='校务会议'>校务会议</a>"},
      // Both 0: the same window; the caller's title; "NULL" appends no key.
      {Title(ArticleRow(), u"show.asp", 0, 0, u" 通知 ", u"NULL"),
       u"<a href=\"show.asp\" target=\"_self\" title='通知'>通知</a>"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected);
}

TEST(KesraShowTitle, ReadsTheKeyColumnTheCallerNames) {
  EXPECT_EQ(Title(Row({{u"ArticleID", int32_t{42}}, {u"title", vb::String(u"x")}}), u"a.asp", 0, 0, u"", u"ArticleID"),
            u"<a href=\"a.asp?Id=42\" target=\"_self\" title='x'>x</a>");
}

TEST(KesraShowTitle, TheRecordsTitleIsEncodedInTheTooltipAndTheCallersIsNot) {
  vb::Variant rs = Row({{u"Id", int32_t{1}}, {u"title", vb::String(u"a' onmouseover='x")}});
  vb::String link = Title(rs, u"s.asp", 0, 0);
  EXPECT_NE(link.find(u" title='a&#39; onmouseover=&#39;x'>"), vb::String::npos) << vb::ToUtf8(link);
  // What the caller passes is written as given (it may hold markup on purpose).
  link = Title(rs, u"s.asp", 0, 0, u"<b>新</b>");
  EXPECT_NE(link.find(u" title='<b>新</b>'>"), vb::String::npos) << vb::ToUtf8(link);
}

TEST(KesraShowTitle, ANullTitleCountsAsEmptyText) {
  EXPECT_EQ(Title(Row({{u"Id", int32_t{3}}, {u"title", vb::Variant::Null()}}), u"s.asp", 0, 0),
            u"<a href=\"s.asp?Id=3\" target=\"_self\" title=''></a>");
}

TEST(KesraShowTitle, TheKeyIsPercentEncodedForTheLinksQuery) {
  EXPECT_EQ(Title(ArticleRow(), u"s.asp", 0, 0, u"t", u"Code"),
            u"<a href=\"s.asp?Id=A%271\" target=\"_self\" title='t'>t</a>");
}

TEST(KesraShowTitle, AMissingColumnOrARowPastTheEndFailsWithTheRecordsetsError) {
  EXPECT_RAISES(3265, Title(Row({{u"title", vb::String(u"x")}}), u"s.asp", 0, 0));
  EXPECT_RAISES(3265, Title(Row({{u"Id", int32_t{1}}}), u"s.asp", 0, 0));
  EXPECT_RAISES(3021, Title(Row({{u"Id", int32_t{1}}, {u"title", vb::String(u"x")}}, true), u"s.asp", 0, 0));
}

vb::String Edit(vb::String url, bool allowed, int16_t width = 1024, int16_t height = 600, vb::String title = u"",
                vb::String id = u"") {
  vb::Variant response, session, rs = ArticleRow();
  return qe::KesraShowEdit(response, session, rs, url, 3, allowed, width, height, title, u"编辑", 0, u"", id);
}

const vb::String kEditIcon = u"<img src='../comm/image/kesra_edit.asp' title='编辑该文件' border=0>";

TEST(KesraShowEdit, ExactTextPerBranch) {
  struct Case {
    vb::String got, expected;
  } cases[] = {
      {Edit(u"edit.asp", true),
       u"<a href=\"javascript:void(0);\" onClick=\"ShowPopDialog('Dialog',1024,600,'编辑',"
       u"'edit.asp?Classid=3&Id=7&action=modify',0);\">" + kEditIcon + u"</a>"},
      {Edit(u" edit.asp?a=1 ", true, 0, 0, u"<b>改</b>"),
       u"<a href=\"edit.asp?a=1&Classid=3&Id=7&action=modify\" target=\"_self\"><b>改</b></a>"},
      // An action named in any case stays the only one.
      {Edit(u"edit.asp?Action=Copy", true, 0, 0),
       u"<a href=\"edit.asp?Action=Copy&Classid=3&Id=7\" target=\"_self\">" + kEditIcon + u"</a>"},
      // "null": class and action, no key.
      {Edit(u"edit.asp", true, 0, 0, u"", u"null"),
       u"<a href=\"edit.asp?Classid=3&action=modify\" target=\"_self\">" + kEditIcon + u"</a>"},
      // An address ending in "#" as it stands, without the "#".
      {Edit(u" go.asp?x=1# ", true, 0, 0), u"<a href=\"go.asp?x=1\" target=\"_self\">" + kEditIcon + u"</a>"},
      {Edit(u"edit.asp", false), u""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected);
}

vb::String Del(vb::String url, bool allowed, vb::Variant title = vb::String(), vb::String id = u"") {
  vb::Variant response, session, rs = ArticleRow();
  return qe::KesraShowDel(response, session, rs, url, 3, allowed, title, id);
}

const vb::String kDelIcon =
    u"<img border=0 src='../comm/image/kesra_del.asp' title='删除此记录' align='absmiddle' width='15' height='15'>";
const vb::String kConfirm = u"' onclick='if(!confirm(\"真的要删除该记录吗?\")) return false;'>";

TEST(KesraShowDel, ExactTextPerBranch) {
  struct Case {
    vb::String got, expected;
  } cases[] = {
      {Del(u"del.asp", true), u"<a href='del.asp?Classid=3&Id=7" + kConfirm + kDelIcon + u"</a>"},
      {Del(u"del.asp?Action=del", true, vb::String(u"删除")),
       u"<a href='del.asp?Action=del&Classid=3&Id=7" + kConfirm + u"删除</a>"},
      {Del(u"del.asp", true, vb::Variant(), u"NULL"), u"<a href='del.asp?Classid=3" + kConfirm + kDelIcon + u"</a>"},
      {Del(u"del.asp?all=1#", true), u"<a href='del.asp?all=1" + kConfirm + kDelIcon + u"</a>"},
      {Del(u"del.asp", false), u""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected);
}

TEST(TitleLinksThroughTheFacade, DefaultsGiveThePopUp) {
  qe_test::TempSite site;
  qe::RegisterComponentClasses();
  vb::Variant qe(com::CreateObject(u"QE.QeCls"));
  vb::Variant rs = ArticleRow();
  EXPECT_EQ(vb::CStr(com::Call(qe, u"CommShowTitle", rs, vb::String(u"show.asp"), int16_t{20})),
            u"<a href=\"javascript:void(0);\" onClick=\"ShowPopDialog('Dialog',1024,600,'','show.asp?Id=7',1);\""
            u" title='校务会议'>校务会议</a>");
}

}  // namespace
