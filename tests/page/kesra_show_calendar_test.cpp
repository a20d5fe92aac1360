// The month calendar over a table of dated records: the month its keys
// select, leap years, the first weekday, links across the year's end, the
// days that have records, and keys that are no dates.
#include "page/kesra_show_calendar.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/asp/context.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "support/temp_site.h"

namespace {

using vb::String;

class Calendar : public testing::Test {
 protected:
  void SetUp() override {
    site_.WriteFile("site/data/diary.mdb");
    conn_ = vb::Variant(com::CreateObject(u"ADODB.Connection"));
    com::Call(conn_, u"Open", String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\site\\data\\diary.mdb"));
    com::Call(conn_, u"Execute", String(u"Create Table Diary (ID Counter Primary Key, DateAndTime Text(14), ClassID Long)"));
    for (const char16_t* row : {u"'20210203080000', 5", u"'20210203120000', 5", u"'20210203235959', 5",
                                u"'20210210000000', 5", u"'20210211000000', 6", u"'20210315000000', 5",
                                u"'20240215000000', 5"})
      com::Call(conn_, u"Execute", u"Insert Into Diary (DateAndTime, ClassID) Values (" + String(row) + u")");
    rs_ = vb::Variant(com::CreateObject(u"ADODB.Recordset"));
  }
  void TearDown() override { com::Call(conn_, u"Close"); }

  String Show(const String& query, const String& sql_add = u"ClassID=5", const String& href_add = u"classid=5") {
    asp::RequestSpec wanted;
    wanted.url = u"/qe/diary.asp" + (query.empty() ? String() : u"?" + query);
    asp::Context context(std::move(wanted));
    vb::Variant request = context.Request();
    return qe::KesraShowCalendar(request, conn_, rs_, u"Diary", sql_add, href_add, u"#EEEEEE", u"#AAAAAA", u"Pink",
                                 u"#DDDDDD", u"Yellow", u"#DD9999", u"blue");
  }

  static String Day(int day) {
    return u"<td align='center' bgcolor='#DDDDDD' style='font-size:10px;' >" + vb::FromUtf8(std::to_string(day)) +
           u"</td>";
  }
  static String Days(int from, int to) {
    String out;
    for (int d = from; d <= to; ++d) out += Day(d);
    return out;
  }
  static String Beyond(int count) {
    String out;
    for (int i = 0; i < count; ++i) out += u"<td align='center' bgcolor='#DDDDDD' style='font-size:10px;' ></td>";
    return out;
  }

  qe_test::TempSite site_;
  vb::Variant conn_, rs_;
};

constexpr char16_t kWeekdayRow[] =
    u"<tr><td align='center' bgcolor='Pink'>日</td><td align='center' bgcolor='Pink'>一</td>"
    u"<td align='center' bgcolor='Pink'>二</td><td align='center' bgcolor='Pink'>三</td>"
    u"<td align='center' bgcolor='Pink'>四</td><td align='center' bgcolor='Pink'>五</td>"
    u"<td align='center' bgcolor='Pink'>六</td></tr>";

TEST_F(Calendar, AMonthWithLinkedDays) {
  const String linked3 = u"<td align='center' bgcolor='#DDDDDD' style='font-size:10px;cursor:hand;' >"
                         u"<a href='?date=20210203&classid=5'>3</a></td>";
  const String linked10 = u"<td align='center' bgcolor='#DDDDDD' style='font-size:10px;cursor:hand;' >"
                          u"<a href='?date=20210210&classid=5'>10</a></td>";
  EXPECT_EQ(Show(u"month=202102"),
            u"<table border='0' width='100%' align='center' cellspacing='1' cellpadding='1' bgcolor='#EEEEEE'><tr>"
            u"<td colspan='1'  bgcolor='#AAAAAA' style='font-size:16px; font-family:;text-align :center'>"
            u"<a href='?month=202002&classid=5' title='上一年'>&laquo;</a> "
            u"<a href='?month=202101&classid=5' title='上一月'>&#8249;</a></td>"
            u"<td colspan='5' style='color:blue;font-size:14px;font-family:;text-align :center'><b>二月&nbsp;2021</b></td>"
            u"<td colspan='1' bgcolor='#AAAAAA' style='font-size:16px; font-family:;text-align :center';>"
            u"<a href='?month=202103&classid=5' title='下一月'>&#8250;</a> "
            u"<a href='?month=202202&classid=5' title='下一年'>&raquo;</a></td></tr>" +
                String(kWeekdayRow) + u"<tr><td bgcolor='#DDDDDD'></td>" + Days(1, 2) + linked3 + Days(4, 6) +
                u"</tr><tr>" + Days(7, 9) + linked10 + Days(11, 13) + u"</tr><tr>" + Days(14, 20) + u"</tr><tr>" +
                Days(21, 27) + u"</tr><tr>" + Day(28) + Beyond(6) + u"</tr>" +
                u"<tr><td colspan='7' bgcolor='Pink' align='center'></td></tr></table>");
  EXPECT_EQ(vb::CLng(com::Call(rs_, u"State")), 0) << "the recordset is closed again";
}

TEST_F(Calendar, ASelectedDayInALeapFebruary) {
  const String out = Show(u"date=20240215", u"", u"");
  EXPECT_NE(out.find(u"<b>二月&nbsp;2024</b>"), String::npos);
  EXPECT_NE(out.find(u"<td align='center' bgcolor='Yellow' style='font-size:10px;cursor:hand;' >"
                     u"<a href='?date=20240215'>15</a></td>"),
            String::npos);
  EXPECT_NE(out.find(Day(29)), String::npos);
  EXPECT_EQ(out.find(Day(30)), String::npos);
  EXPECT_NE(out.find(u"<a href='?month=202401' title='上一月'>"), String::npos) << "no extra without one";
  // A month key wins, and selects no day.
  const String month = Show(u"date=20240215&month=202302", u"", u"");
  EXPECT_NE(month.find(Day(28) + Beyond(4) + u"</tr><tr><td colspan='7'"), String::npos) << "28 days";
  EXPECT_EQ(month.find(u"Yellow"), String::npos);
  EXPECT_EQ(month.find(Day(29)), String::npos);
}

TEST_F(Calendar, TheFirstWeekdayDecidesTheBlankCells) {
  // September 2024 begins on a Sunday, June 2024 on a Saturday.
  EXPECT_NE(Show(u"month=202409").find(String(kWeekdayRow) + u"<tr>" + Day(1)), String::npos);
  String six_blanks;
  for (int i = 0; i < 6; ++i) six_blanks += u"<td bgcolor='#DDDDDD'></td>";
  EXPECT_NE(Show(u"month=202406").find(String(kWeekdayRow) + u"<tr>" + six_blanks + Day(1) + u"</tr><tr>" + Day(2)),
            String::npos);
}

TEST_F(Calendar, LinksAcrossTheYearsEnd) {
  const String january = Show(u"month=202401", u"", u"");
  EXPECT_NE(january.find(u"<a href='?month=202301' title='上一年'>"), String::npos);
  EXPECT_NE(january.find(u"<a href='?month=202312' title='上一月'>"), String::npos);
  const String december = Show(u"month=202412", u"", u"");
  EXPECT_NE(december.find(u"<a href='?month=202501' title='下一月'>"), String::npos);
  EXPECT_NE(december.find(u"<a href='?month=202512' title='下一年'>"), String::npos);
}

TEST_F(Calendar, KeysThatAreNoDatesAreIgnored) {
  const vb::DateParts today = vb::PartsOfDate(vb::Today());
  const String this_month = Show(u"");
  const String today_cell =
      u"<td align='center' bgcolor='#DD9999' style='font-size:10px;' >" + vb::FromUtf8(std::to_string(today.day));
  EXPECT_NE(this_month.find(today_cell), String::npos);
  for (const char16_t* query : {u"date=abc", u"month=202413", u"date=2024", u"month=202400", u"date=2024-1-5",
                                u"month=20x401", u"date=%20", u"month=-20401", u"date=202402"})
    EXPECT_EQ(Show(query), this_month) << vb::ToUtf8(query);
  EXPECT_NE(Show(u"date=xyz&month=202102").find(u"<b>二月&nbsp;2021</b>"), String::npos);
  EXPECT_NE(Show(u"date=20210203&month=2021").find(u"Yellow' style='font-size:10px;cursor:hand;' ><a href='?date=20210203"),
            String::npos)
      << "a month key that is no month leaves the date";
}

TEST_F(Calendar, AnEmptyTableGivesAWholeCalendarWithoutLinks) {
  com::Call(conn_, u"Execute", String(u"Delete * From Diary"));
  const String out = Show(u"month=202102");
  EXPECT_EQ(out.find(u"?date="), String::npos);
  EXPECT_NE(out.find(Days(1, 2) + Day(3)), String::npos);
  EXPECT_TRUE(out.ends_with(u"</table>"));
}

}  // namespace
