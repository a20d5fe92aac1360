// Record stamps on an article table of a site database: what the setters
// leave in the row the page updates, the reader list by recordset and by
// SQL (hostile values included), and the tooltips, read marks and reader
// link built from the stamps.
#include <gtest/gtest.h>

#include <regex>

#include "office/office_site.h"
#include "office/qe_stamps.h"
#include "page/page_objects.h"
#include "platform/vb/strings.h"
#include "facade/qecls.h"

namespace office_test {
namespace {

using page_test::RowRecordset;

const User kLi{u"5|li_login|li|Office|b|t|p"};

class StampsTest : public OfficeSiteTest {
 protected:
  void SetUp() override {
    OfficeSiteTest::SetUp();
    MakeArticles();
    for (int id = 1; id <= 3; ++id)
      Execute(u"Insert Into [Article] ([ID],[Title],[Readers]) Values (" + vb::CStr(Variant(id)) + u",'t',Null)");
  }

  // The setter run on a new row of the article table, then the row saved;
  // its stamp columns read back.
  template <class Setter>
  String NewRow(Setter set, std::vector<std::pair<String, String>> headers = {}) {
    auto page = NewPage(&kLi, u"/qe/main/a_save.asp", {}, std::move(headers));
    Variant rs = Query(conn_, u"Select * From [Article] Where 1=0", 1, 3);
    com::Call(rs, u"AddNew");
    com::Let(rs, u"", Variant(u"new"), String(u"Title"));
    set(*page, rs);
    com::Call(rs, u"Update");
    EXPECT_FALSE(page->Ended());
    return Rows(u"Select [UserName],[Part],[Ip],[DateAndTime],[LastInfo],[LastReviewInfo] From [Article] "
                u"Where [Title]='new'");
  }

  String ReadersOf(int id) { return Rows(u"Select [Readers] From [Article] Where [ID]=" + vb::CStr(Variant(id))); }
  void SetReaders(int id, const String& sql_value) {
    Execute(u"Update [Article] Set [Readers]=" + sql_value + u" Where [ID]=" + vb::CStr(Variant(id)));
  }
};

// The 14 digits of a stamp time written now, as a pattern.
const std::regex kRowWithTime(R"(([^,]*),([^,]*),([^,]*),(\d{14}),([^,]*),([^,]*);)");

TEST_F(StampsTest, TheAddStampNamesAuthorDepartmentAddressAndTime) {
  std::smatch m;
  std::string row = vb::ToUtf8(NewRow([](Page& p, Variant& rs) { qe::QeSetAddInfo(p.request, p.response, p.session, rs); }));
  ASSERT_TRUE(std::regex_match(row, m, kRowWithTime)) << row;
  EXPECT_EQ(m[1], "li");
  EXPECT_EQ(m[2], "Office");
  EXPECT_EQ(m[3], "10.0.0.9");
  EXPECT_EQ(m[5], "");

  row = vb::ToUtf8(NewRow([](Page& p, Variant& rs) { qe::QeSetAddInfo(p.request, p.response, p.session, rs); },
                          {{u"X-Forwarded-For", u"1.2.3.4, 10.0.0.1"}}));
  ASSERT_TRUE(std::regex_search(row, m, std::regex(R"(li,Office,([^,]*, [^,]*),\d{14})"))) << row;
  EXPECT_EQ(m[1], "1.2.3.4, 10.0.0.1");  // the whole forwarded list, as the address procedure gives it
}

TEST_F(StampsTest, ChangeStampsKeepTheirFourFieldsWhateverTheClientForwards) {
  for (const char16_t* forwarded : {u"", u"a|b", u"|||"}) {
    SCOPED_TRACE(vb::ToUtf8(forwarded));
    std::vector<std::pair<String, String>> headers;
    if (*forwarded) headers.emplace_back(u"X-Forwarded-For", forwarded);
    Execute(u"Delete From [Article] Where [Title]='new'");
    String row = NewRow(
        [](Page& p, Variant& rs) {
          qe::QeSetEditInfo(p.request, p.response, p.session, rs);
          qe::QeSetReviewInfo(p.request, p.response, p.session, rs);
        },
        headers);
    std::vector<String> columns = vb::SplitParts(row.substr(0, row.size() - 1), u",");
    ASSERT_EQ(columns.size(), 6u);
    EXPECT_EQ(columns[4], columns[5]) << "both stamps are made alike";
    std::vector<String> fields = vb::SplitParts(columns[4], u"|");
    ASSERT_EQ(fields.size(), 4u) << vb::ToUtf8(columns[4]);
    EXPECT_EQ(fields[0].size(), 14u);
    EXPECT_EQ(fields[1], *forwarded ? vb::Replace(forwarded, u"|", u"_") : String(u"10.0.0.9"));
    EXPECT_EQ(fields[2], u"Office");
    EXPECT_EQ(fields[3], u"li");

    // The tooltip reads the stamp back field by field.
    Variant rs = Query(conn_, u"Select * From [Article] Where [Title]='new'");
    String tip = qe::QeGetEditInfo(rs);
    EXPECT_NE(tip.find(u"最后更新IP：" + fields[1] + u"\r\n"), String::npos) << vb::ToUtf8(tip);
  }
}

TEST_F(StampsTest, TheReaderListTakesEachUserOnce) {
  struct Case {
    const char16_t* before;  // SQL value
    const char16_t* after;
    bool read_before;
  } cases[] = {
      {u"Null", u"|li|", false},
      {u"''", u"|li|", false},
      {u"'|anna|'", u"|anna|li|", false},
      {u"'|anna|li|'", u"|anna|li|", true},
      {u"'|lili|'", u"|lili|li|", false},  // li is not lili
      {u"'|li_x|'", u"|li_x|li|", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(vb::ToUtf8(c.before));
    SetReaders(1, c.before);
    auto page = NewPage(&kLi);
    Variant rs = Article(1);
    EXPECT_EQ(qe::QeGetReadInfo(page->response, page->session, rs).find(u"已阅") != String::npos, c.read_before);
    qe::QeSetReaderInfo(page->response, page->session, rs);
    com::Call(rs, u"Update");
    EXPECT_EQ(ReadersOf(1), String(c.after) + u";");
    rs = Article(1);
    EXPECT_EQ(qe::QeGetReadInfo(page->response, page->session, rs),
              u"<Span><Img title=\"已阅\" Src=\"../comm/image/m_olds.asp\"></Span>");
    qe::QeSetReaderInfo(page->response, page->session, rs);  // a second time changes nothing
    EXPECT_EQ(vb::CStr(Field(rs, u"Readers")), c.after);
  }
  auto page = NewPage(&kLi);
  Variant unread(std::make_shared<RowRecordset>(std::vector<std::pair<String, Variant>>{{u"Readers", Variant::Null()}}));
  EXPECT_EQ(qe::QeGetReadInfo(page->response, page->session, unread),
            u"<Span><Img title=\"未阅\" Src=\"../comm/image/m_news.asp\"></Span>");
  auto nobody = NewPage(nullptr);
  EXPECT_EQ(qe::QeGetReadInfo(nobody->response, nobody->session, unread), u"");
  EXPECT_TRUE(nobody->Ended());
}

TEST_F(StampsTest, SavingTheReaderListBySqlChangesOnlyTheRowOfAWholeNumberID) {
  SetReaders(2, u"'|anna|'");
  SetReaders(3, u"'|zhao|'");
  struct Case {
    const char16_t* id;  // as the query carries it
    const char16_t* readers;
    const char16_t* rows;  // Readers of rows 1 to 3 afterwards
  } cases[] = {
      {u"", u"|x|", u";|anna|;|zhao|;"},
      {u"%201%20", u"  ", u"|li|;|anna|;|zhao|;"},   // blanks around the ID
      {u"2", u"|anna|", u"|li|;|anna|li|;|zhao|;"},
      {u"2", u"|anna|li|", u"|li|;|anna|li|;|zhao|;"},  // already there: nothing written
      {u"3", u"|o'neil|", u"|li|;|anna|li|;|o'neil|li|;"},
      // IDs that are not one whole number of 32 bits write nothing.
      {u"1%20or%201=1", u"|x|", u"|li|;|anna|li|;|o'neil|li|;"},
      {u"1;--", u"|x|", u"|li|;|anna|li|;|o'neil|li|;"},
      {u"1.0", u"|x|", u"|li|;|anna|li|;|o'neil|li|;"},
      {u"99999999999", u"|x|", u"|li|;|anna|li|;|o'neil|li|;"},
      // A list holding quotes and SQL stays one text.
      {u"1", u"|a'--|', [Title]='x", u"|a'--|', [Title]='xli|;|anna|li|;|o'neil|li|;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(vb::ToUtf8(String(c.id) + u" " + c.readers));
    auto page = NewPage(&kLi, u"/qe/main/a_show.asp?ID=" + String(c.id));
    qe::QeSaveReaderInfo(page->response, page->request, page->session, conn_, u"Article", c.readers);
    EXPECT_EQ(Rows(u"Select [Readers] From [Article] Order By [ID]"), c.rows);
    EXPECT_EQ(Rows(u"Select Count(*) From [Article] Where [Title]='t'"), u"3;");
  }
}

TEST_F(StampsTest, SavingTheReaderListNeverRaises) {
  auto page = NewPage(&kLi, u"/qe/main/a_show.asp?ID=1");
  EXPECT_EQ(ErrorOf([&] { qe::QeSaveReaderInfo(page->response, page->request, page->session, conn_, u"NoSuch", u""); }), 0);
  Variant closed_conn = Open(ado_test::Jet(kMainFile));
  com::Call(closed_conn, u"Close");
  EXPECT_EQ(ErrorOf([&] { qe::QeSaveReaderInfo(page->response, page->request, page->session, closed_conn, u"Article", u""); }), 0);
  User short_info{u"5|li"};
  auto short_page = NewPage(&short_info, u"/qe/main/a_show.asp?ID=1");
  EXPECT_EQ(ErrorOf([&] { qe::QeSaveReaderInfo(short_page->response, short_page->request, short_page->session, conn_, u"Article", u""); }), 0);
  EXPECT_EQ(ReadersOf(1), u";");
  // Nobody logged in: the error page, and nothing written.
  auto nobody = NewPage(nullptr, u"/qe/main/a_show.asp?ID=1");
  qe::QeSaveReaderInfo(nobody->response, nobody->request, nobody->session, conn_, u"Article", u"");
  EXPECT_TRUE(nobody->Ended());
  EXPECT_EQ(ReadersOf(1), u";");
}

Variant Stamped(std::vector<std::pair<String, Variant>> fields) {
  std::vector<std::pair<String, Variant>> row = {{u"UserName", Variant(u"li")},
                                                 {u"Part", Variant(u"Office")},
                                                 {u"Ip", Variant(u"10.0.0.9")},
                                                 {u"DateAndTime", Variant(u"20240105093007")}};
  for (auto& f : fields) row.push_back(std::move(f));
  return Variant(std::make_shared<RowRecordset>(std::move(row)));
}

TEST_F(StampsTest, TooltipsShowEachStampWithItsLabels) {
  Variant plain = Stamped({{u"LastInfo", Variant::Null()}, {u"LastReviewInfo", Variant::Null()}});
  EXPECT_EQ(qe::QeGetAddInfo(plain),
            u"发布人：li\r\n发布部门：Office\r\n发布IP：10.0.0.9\r\n发布时间：2024-01-05 09:30:07");
  EXPECT_EQ(qe::QeGetEditInfo(plain),
            u"最后更新作者：li\r\n最后更新部门：Office\r\n最后更新IP：10.0.0.9\r\n最后更新时间：2024-01-05 09:30:07");
  EXPECT_EQ(qe::QeGetReviewInfo(plain), u"暂时没有回复");

  Variant changed = Stamped({{u"LastInfo", Variant(u"20240301120000|1.1.1.1|教务处|wang")},
                             {u"LastReviewInfo", Variant(u"20240302130000|2.2.2.2")}});
  EXPECT_EQ(qe::QeGetEditInfo(changed),
            u"最后更新作者：wang\r\n最后更新部门：教务处\r\n最后更新IP：1.1.1.1\r\n最后更新时间：2024-03-01 12:00:00");
  EXPECT_EQ(qe::QeGetReviewInfo(changed),
            u"最后回复作者：\r\n最后回复部门：\r\n最后回复IP：2.2.2.2\r\n最后回复时间：2024-03-02 13:00:00");

  for (const char16_t* review : {u"", u"no bar"}) {
    Variant rs = Stamped({{u"LastReviewInfo", Variant(review)}});
    EXPECT_EQ(qe::QeGetReviewInfo(rs), u"暂时没有回复");
  }
  Variant nulls(std::make_shared<RowRecordset>(std::vector<std::pair<String, Variant>>{
      {u"UserName", Variant::Null()}, {u"Part", Variant::Null()}, {u"Ip", Variant::Null()},
      {u"DateAndTime", Variant::Null()}}));
  EXPECT_EQ(qe::QeGetAddInfo(nulls), u"发布人：\r\n发布部门：\r\n发布IP：\r\n发布时间：");

  Variant short_change = Stamped({{u"LastInfo", Variant(u"20240301120000|1.1.1.1")}});
  EXPECT_EQ(ErrorOf([&] { qe::QeGetEditInfo(short_change); }), vb::kSubscriptOutOfRange);
}

TEST_F(StampsTest, TheReaderLinkOpensTheListInTheUserListDialog) {
  Variant rs = Article(2);
  Variant qe(std::make_shared<qe::QeCls>());
  EXPECT_EQ(com::Call(qe, u"CommGetReadList", rs, int16_t{400}, int16_t{300}, String(u"Article"), int16_t{1}),
            Variant(u"<a href='JavaScript:void(0);' onclick=\"divOpenDialog('divDialogUserList',400,300, "
                    u"'显示已阅用户列表', '../comm/tymk_ReaderShow.asp?id=2&TableName=Article',1)\">"
                    u"<img Src='../comm/image/icon_group.asp' title='显示已阅用户列表' Height=18 border=0></a>"));
  EXPECT_EQ(com::Call(qe, u"CommGetReadList", rs, int16_t{-5}, int16_t{0}),
            Variant(u"<a href='JavaScript:void(0);' onclick=\"divOpenDialog('divDialogUserList',-5,0, "
                    u"'显示已阅用户列表', '../comm/tymk_ReaderShow.asp?id=2&TableName=',0)\">"
                    u"<img Src='../comm/image/icon_group.asp' title='显示已阅用户列表' Height=18 border=0></a>"));
  // A key that is text cannot leave its string or attribute.
  Variant odd(std::make_shared<RowRecordset>(std::vector<std::pair<String, Variant>>{{u"ID", Variant(u"7'\");x&y")}}));
  String link = qe::QeGetReadList(odd, 1, 1, u"T", 0);
  EXPECT_NE(link.find(u"?id=7%27%22);x%26y&TableName=T'"), String::npos) << vb::ToUtf8(link);
}

}  // namespace
}  // namespace office_test
