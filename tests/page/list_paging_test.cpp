// The list page's pieces on a real keyset recordset over SQLite: the tail's
// filter and order reach the database as meant, the move lands on the
// requested page, and the pager reads the counts without moving the rows.
#include <gtest/gtest.h>

#include <memory>

#include "page/kesra_show_page.h"
#include "platform/asp/context.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "support/temp_site.h"

namespace {

class ListPaging : public testing::Test {
 protected:
  void SetUp() override {
    site_.WriteFile("site/data/list.mdb");
    conn_ = vb::Variant(com::CreateObject(u"ADODB.Connection"));
    com::Call(conn_, u"Open", vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\site\\data\\list.mdb"));
    com::Call(conn_, u"Execute",
              vb::String(u"Create Table Notice (id Counter Primary Key, title Text(50), [it's] Text(10))"));
    for (int i = 1; i <= 67; ++i) {
      const vb::String n = vb::FromUtf8(std::to_string(i));
      com::Call(conn_, u"Execute",
                u"Insert Into Notice (title, [it's]) Values ('第" + n + u"号通知', 'k" + n + u"')");
    }
  }
  void TearDown() override { com::Call(conn_, u"Close"); }

  // Opens the list as a page does and moves it to the request's page.
  vb::Variant OpenList(asp::Context& context) {
    vb::Variant request = context.Request();
    const vb::String sql = u"Select * From Notice Where id > 0" +
                           qe::KesraGetOrderString(request, u"", u"", u"", u"", u"");
    vb::Variant rs(com::CreateObject(u"ADODB.Recordset"));
    com::Call(rs, u"Open", sql, conn_, int32_t{1}, int32_t{1});
    com::Let(rs, u"PageSize", int32_t{10});
    qe::KesraShowNoPage(request, rs);
    return rs;
  }
  static std::unique_ptr<asp::Context> Request(vb::String query) {
    asp::RequestSpec wanted;
    wanted.url = u"/qe/list.asp?" + query;
    return std::make_unique<asp::Context>(std::move(wanted));
  }
  static int32_t Id(const vb::Variant& rs) { return vb::CLng(com::ValueOf(com::Call(rs, u"", vb::String(u"id")))); }

  qe_test::TempSite site_;
  vb::Variant conn_;
};

TEST_F(ListPaging, TheDefaultOrderPagesFromTheNewestRecord) {
  auto context = Request(u"Page=7");
  vb::Variant rs = OpenList(*context);
  EXPECT_EQ(Id(rs), 7);  // " Order By ID Desc": page 7 holds 7 .. 1
  vb::Variant request = context->Request();
  const vb::String bar = qe::KesraShowPage(request, rs, u"");
  EXPECT_NE(bar.find(u" [总数<b>67</b>] [共<b>7</b>页] [第7页] [10部/页] "), vb::String::npos);
  EXPECT_EQ(Id(rs), 7) << "the pager does not move the rows";
  int rows = 0;
  for (; !vb::CBool(com::Call(rs, u"EOF")); com::Call(rs, u"MoveNext")) ++rows;
  EXPECT_EQ(rows, 7);
}

TEST_F(ListPaging, AColumnAndKeywordFilterAndSortInTheDatabase) {
  // Titles holding "1": 1, 10-19, 21, 31, 41, 51, 61.
  auto context = Request(u"moden=Title&keyword=1&Page=2");
  vb::Variant rs = OpenList(*context);
  EXPECT_EQ(vb::CLng(com::Call(rs, u"RecordCount")), 16);
  EXPECT_EQ(vb::CLng(com::Call(rs, u"AbsolutePage")), 2);
  // Sorted by the title text: 第10号 .. 第19号 fill page 1 ("0" sorts before
  // "号"), and page 2 starts with 第1号.
  EXPECT_EQ(vb::CStr(com::ValueOf(com::Call(rs, u"", vb::String(u"title")))), u"第1号通知");
}

TEST_F(ListPaging, QuotesInTheKeywordOrInABracketedColumnReachTheDatabaseIntact) {
  auto quoted = Request(u"moden=title&keyword=%27%20or%20%271%27%3D%271");
  EXPECT_EQ(vb::CLng(com::Call(OpenList(*quoted), u"RecordCount")), 0);
  auto column = Request(u"moden=it%27s&keyword=k6");
  vb::Variant rs = OpenList(*column);
  EXPECT_EQ(vb::CLng(com::Call(rs, u"RecordCount")), 9);  // k6, k60 .. k67
}

}  // namespace
