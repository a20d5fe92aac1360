// The class grid and the class select on a class table of a site database:
// rows and cells of the grid, the highlighted class, the select's modes, and
// the class number that never reaches SQL as text.
#include "office/qe_classes.h"

#include <gtest/gtest.h>

#include "office/office_site.h"
#include "page/kesra_show_form.h"
#include "platform/vb/error.h"

namespace office_test {
namespace {

class ClassesTest : public OfficeSiteTest {
 protected:
  void SetUp() override {
    OfficeSiteTest::SetUp();
    Execute(u"Create Table [NewsClass] ([ClassID] Long, [Class] Text(50), [SortID] Long)");
    Execute(u"Create Table [EmptyClass] ([ClassID] Long, [Class] Text(50), [SortID] Long)");
    const char16_t* names[] = {u"通知", u"新闻", u"公告", u"活动", u"讲座"};
    for (int i = 0; i < 5; ++i)
      Execute(u"Insert Into [NewsClass] Values (" + vb::CStr(Variant(i + 1)) + u",'" + names[i] + u"'," +
              vb::CStr(Variant(5 - i)) + u")");
  }
  String Grid(const String& url, int16_t columns, const String& table = u"NewsClass") {
    auto page = NewPage(nullptr, url);
    return qe::QeShowClassList(page->request, conn_, table, columns, u"dot.gif");
  }
  String Cell(const String& width, int id, const String& name, bool current = false) {
    return u"<td width=" + width + u" align=left><img src='dot.gif' align='absmiddle'>" +
           (current ? u"<font color='blue'>" + name + u"</font>"
                    : u"<a href='?classid=" + vb::CStr(Variant(id)) + u"'>" + name + u"</a>") +
           u"</td>";
  }
  String Head() {
    return qe::KesraShowEmptyLine(4, u"") +
           u"<table cellspacing=0 cellpadding=0 width='98%' border=0 class=Content_border height=30 align=center>";
  }
};

TEST_F(ClassesTest, FiveClassesInThreeColumnsMakeTwoRowsTheCurrentOneHighlighted) {
  const String row = u"<tr height=20 class=tdbg>";
  EXPECT_EQ(Grid(u"/list.asp?Classid=3", 3),
            Head() + row + Cell(u"200", 5, u"讲座") + Cell(u"200", 4, u"活动") + Cell(u"200", 3, u"公告", true) +
                u"</tr>" + row + Cell(u"200", 2, u"新闻") + Cell(u"200", 1, u"通知") + u"</tr></table>");
  // Seven columns: 85 wide, one row; no Classid (or none numeric): no class is current.
  for (String url : {u"/list.asp", u"/list.asp?classid=abc"})
    EXPECT_EQ(Grid(url, 7), Head() + row + Cell(u"85", 5, u"讲座") + Cell(u"85", 4, u"活动") + Cell(u"85", 3, u"公告") +
                                Cell(u"85", 2, u"新闻") + Cell(u"85", 1, u"通知") + u"</tr></table>");
  EXPECT_EQ(Grid(u"/list.asp", 1, u"EmptyClass"),
            Head() + u"<tr height=20 class=tdbg><td><font class='3dfont'>还没有任何分类</font></td></tr></table>");
  // A picture address that would run a script goes nowhere.
  auto page = NewPage(nullptr, u"/list.asp");
  const String grid = qe::QeShowClassList(page->request, conn_, u"NewsClass", 5, u" JavaScript:alert(7)");
  EXPECT_EQ(grid.find(u"alert(7)"), String::npos);
  EXPECT_NE(grid.find(u"<img src='#'"), String::npos);
}

TEST_F(ClassesTest, ColumnCountsBelowOneFailBeforeAnyDatabaseWork) {
  auto page = NewPage(nullptr);
  Variant no_connection;
  for (auto [columns, error] : {std::pair<int16_t, int32_t>{-1, vb::kInvalidProcedureCall},
                                {int16_t{-32768}, vb::kInvalidProcedureCall},
                                {int16_t{0}, vb::kDivisionByZero}}) {
    try {
      qe::QeShowClassList(page->request, no_connection, u"NewsClass", columns, u"");
      ADD_FAILURE() << columns;
    } catch (const vb::Error& e) {
      EXPECT_EQ(e.Number(), error) << columns;
    }
  }
}

TEST_F(ClassesTest, SelectModes) {
  auto select = [&](String id, int16_t mode, String filter = u"") {
    return qe::QeShowClassSelect(conn_, u"NewsClass", id, mode, u"==请选栏目==", filter);
  };
  const String options = u"<option  value='5'>讲座</option><option  value='4'>活动</option>";
  // Edit mode marks the class of Int(Val(p_ClassID)); add (and any other mode) none.
  EXPECT_EQ(select(u"5", 2, u"SortID<3"),
            u"<select name='ClassID' size='1'><option selected value=0>==请选栏目==</option>"
            u"<option  selected  value='5'>讲座</option><option  value='4'>活动</option></select>");
  EXPECT_EQ(select(u"4.9abc", 2, u"SortID<3"),
            u"<select name='ClassID' size='1'><option selected value=0>==请选栏目==</option>"
            u"<option  value='5'>讲座</option><option  selected  value='4'>活动</option></select>");
  for (int16_t mode : {1, 0, 7})
    EXPECT_EQ(
        select(u"5", mode, u"SortID<3"),
        u"<select name='ClassID' size='1'><option selected value=0>==请选栏目==</option>" + options + u"</select>");
  // Read mode: the name alone, or nothing.
  EXPECT_EQ(select(u"2", 3), u"新闻");
  EXPECT_EQ(select(u" 2 ", 3, u"SortID>4"), u"");
  EXPECT_EQ(select(u"99", 3), u"");
}

TEST_F(ClassesTest, ReadModeTakesTheClassNumberOnlyAsANumber) {
  Execute(u"Create Table [Secret] ([Class] Text(50), [ClassID] Long, [SortID] Long)");
  Execute(u"Insert Into [Secret] Values ('digest-ABC',1,1)");
  EXPECT_EQ(qe::QeShowClassSelect(conn_, u"NewsClass", u"&H3", 3, u"", u""), u"公告");
  EXPECT_EQ(qe::QeShowClassSelect(conn_, u"NewsClass", u"2.0", 3, u"", u""), u"新闻");
  Variant closed = Open(ado_test::Jet(kMainFile));
  com::Call(closed, u"Close");
  for (String id : {u"1 Union Select [Class] From [Secret]", u"", u"1;", u"0 Or 1=1"}) {
    // A closed connection shows that no statement was sent: the refusal comes first.
    for (Variant* conn : {&conn_, &closed}) {
      try {
        qe::QeShowClassSelect(*conn, u"NewsClass", id, 3, u"", u"");
        ADD_FAILURE() << vb::ToUtf8(id);
      } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), vb::kTypeMismatch) << vb::ToUtf8(id);
      }
    }
  }
}

}  // namespace
}  // namespace office_test
