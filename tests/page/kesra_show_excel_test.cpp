// The spreadsheet export: exact pieces, the header rows built from caption|
// colspan|rowspan lists, and the whole export's headers, order and release of
// the page's database objects.
#include <gtest/gtest.h>

#include <regex>

#include "common/system_title.h"
#include "page/kesra_show_excel.h"
#include "platform/asp/asp_errors.h"
#include "platform/asp/context.h"
#include "platform/vb/raises.h"
#include "support/test_objects.h"

namespace {

const vb::String kCell = u"<td align='center' ";

TEST(ExcelPieces, HeadTitleRowAndFooter) {
  EXPECT_EQ(qe::KesraShowExcelHeader(), u"<head><title>" + qe::SystemTitle() + u"</title></head>");
  EXPECT_EQ(qe::KesraShowExcelTop(4, u"学生名单"),
            u"<table border='1'><tr align=center height=40><td colspan=4 bgcolor=#e8f24d>学生名单</td></tr>");
  const std::string footer = vb::ToUtf8(qe::KesraShowExcelBottom(4));
  const std::string source = vb::ToUtf8(u"<tr align=center height=40><td colspan=4 bgcolor=65c8f2>来源：" +
                                        qe::SystemTitle() + u"<br>导出时间：");
  ASSERT_EQ(footer.substr(0, source.size()), source);
  // The server's general date and time, then the table closes.
  EXPECT_TRUE(std::regex_match(footer.substr(source.size()),
                               std::regex(R"(\d{4}/\d{1,2}/\d{1,2}( \d{1,2}:\d{2}:\d{2})?</td></tr></table>)")))
      << footer;
}

TEST(KesraShowExcelTableHeader, CaptionsWithOptionalSpansInTheHeaderColour) {
  EXPECT_EQ(qe::KesraShowExcelTableHeader(u"姓名$成绩|3$备注|1|2", u"$"),
            u"<tr align='center'  >" + kCell + u" bgcolor=#b5f9de>姓名</td>" + kCell +
                u" ColSpan='3' bgcolor=#b5f9de>成绩</td>" + kCell + u" RowSpan='2' bgcolor=#b5f9de>备注</td></tr>");
  EXPECT_EQ(qe::KesraShowExcelTableHeader(u"语文,数学|2", u","),
            u"<tr align='center'  >" + kCell + u" bgcolor=#b5f9de>语文</td>" + kCell +
                u" ColSpan='2' bgcolor=#b5f9de>数学</td></tr>");
  EXPECT_EQ(qe::KesraShowExcelTableHeader(u"", u"$"), u"");
}

class KesraShowExcel : public testing::Test {
 protected:
  vb::String Export(vb::String header1, vb::String header2) {
    response_ = context_.Response();
    return qe::KesraShowExcel(conn_, rs_, response_, u"2024 届 学生", 2, u"<tr><td>a</td><td>b</td></tr>", header1,
                              header2);
  }
  vb::String Footer() {
    vb::String text = qe::KesraShowExcelBottom(2);
    return text.substr(0, text.find(u"导出时间："));
  }

  asp::Context context_{asp::RequestSpec{}};
  std::shared_ptr<test_objects::FakeConnection> conn_object_ =
      std::make_shared<test_objects::FakeConnection>(u"Provider=Microsoft.Jet.OLEDB.4.0");
  std::shared_ptr<test_objects::FakeRecordset> rs_object_ = std::make_shared<test_objects::FakeRecordset>();
  vb::Variant conn_{conn_object_}, rs_{rs_object_}, response_;
};

TEST_F(KesraShowExcel, MarksTheResponseAsAnAttachmentAndReleasesTheDatabaseObjects) {
  const vb::String text = Export(u"姓名|1|2$成绩|2", u"语文$数学");
  EXPECT_EQ(context_.ResponseObject().ContentType(), u"application/vnd.ms-excel");
  EXPECT_EQ(context_.ResponseObject().Header(u"Content-Disposition"),
            u"attachment;filename=2024 届 学生.xls; filename*=UTF-8''2024%20%E5%B1%8A%20%E5%AD%A6%E7%94%9F.xls");
  const vb::String expected_start =
      qe::KesraShowExcelHeader() + qe::KesraShowExcelTop(2, u"2024 届 学生") +
      qe::KesraShowExcelTableHeader(u"姓名|1|2$成绩|2", u"$") + qe::KesraShowExcelTableHeader(u"语文$数学", u"$") +
      u"<tr><td>a</td><td>b</td></tr>" + Footer();
  EXPECT_EQ(text.substr(0, expected_start.size()), expected_start);
  EXPECT_EQ(conn_object_->close_calls, 1);
  EXPECT_EQ(rs_object_->close_calls, 1);
  EXPECT_TRUE(conn_.IsNothing());
  EXPECT_TRUE(rs_.IsNothing());
  // Nothing is written: the page sends the text as its body.
  EXPECT_EQ(context_.ResponseObject().Buffered(), "");
}

TEST_F(KesraShowExcel, WithoutHeaderListsTheTableHasTitleDataAndFooterOnly) {
  const vb::String text = Export(u"", u"");
  const vb::String expected_start = qe::KesraShowExcelHeader() + qe::KesraShowExcelTop(2, u"2024 届 学生") +
                                    u"<tr><td>a</td><td>b</td></tr>" + Footer();
  EXPECT_EQ(text.substr(0, expected_start.size()), expected_start);
}

TEST_F(KesraShowExcel, AfterTheBodyWentOutTheHeadersFailTheCall) {
  context_.ResponseObject().Write(u"already sent");
  context_.ResponseObject().Flush();
  EXPECT_RAISES(asp::kAspFailure, Export(u"", u""));
}

TEST_F(KesraShowExcel, ALineEndInTheTitleCannotSplitTheResponse) {
  response_ = context_.Response();
  EXPECT_RAISES(vb::kInvalidProcedureCall,
                qe::KesraShowExcel(conn_, rs_, response_, u"x\r\nSet-Cookie: a=1", 1, u"", u"", u""));
  EXPECT_FALSE(context_.ResponseObject().Header(u"Set-Cookie"));
}

}  // namespace
