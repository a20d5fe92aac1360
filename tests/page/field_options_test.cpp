// Option lists read from a main database made from the schema: the
// dictionary (Sjzd) by category and order, the departments (BuMen, Part) by
// their order columns; the page's recordset keeps its row.
#include <gtest/gtest.h>

#include "page/field_cell_test.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "shell/qe_main_database.h"
#include "support/temp_site.h"

namespace {

using page_test::FieldArgs;
using page_test::Td;

class FieldOptions : public testing::Test {
 protected:
  void SetUp() override {
    site_.MakeFolder("site/data");
    qe::CreateMainDatabaseFromSchema(u"C:\\site\\data\\qe.asp");
    conn_ = vb::Variant(com::CreateObject(u"ADODB.Connection"));
    com::Call(conn_, u"Open", vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\site\\data\\qe.asp"));
    for (const char16_t* sql : {
             u"Insert Into Sjzd (名称, 分类, 序号) Values (' 高三 ', '年级', 3)",
             u"Insert Into Sjzd (名称, 分类, 序号) Values ('高一', '年级', 1)",
             u"Insert Into Sjzd (名称, 分类, 序号) Values ('高二', '年级', 2)",
             u"Insert Into Sjzd (名称, 分类, 序号) Values ('<b>男</b> & \"女\"', '性别', 1)",
             u"Insert Into Sjzd (名称, 分类, 序号) Values ('O''Brien', 'it''s', 1)",
             u"Insert Into BuMen (部门名称, 排列顺序) Values ('教务处', 2)",
             u"Insert Into BuMen (部门名称, 排列顺序) Values ('校长室', 1)",
             u"Insert Into Part (Part, SortId) Values ('总务处', 9)",
             u"Insert Into Part (Part, SortId) Values ('德育处', 1)",
         })
      com::Call(conn_, u"Execute", vb::String(sql));
  }
  void TearDown() override { com::Call(conn_, u"Close"); }

  vb::Variant OpenRows(const vb::String& sql) {
    vb::Variant rs(com::CreateObject(u"ADODB.Recordset"));
    com::Call(rs, u"Open", sql, conn_, int32_t{1}, int32_t{3});
    return rs;
  }

  qe_test::TempSite site_;
  vb::Variant conn_;
};

TEST_F(FieldOptions, ADropDownListReadsItsCategoryInOrder) {
  FieldArgs a;
  a.type = 3, a.pop_field = u"年级";
  EXPECT_EQ(Td(a, vb::Variant(u""), conn_),
            u"<select name='n' id='n'  class='inputtext'  style='width:200px;' required >"
            u"<option value=\"高一\">高一</option><option value=\"高二\">高二</option>"
            u"<option value=\"高三\">高三</option></select>");
}

TEST_F(FieldOptions, DepartmentListsAndTheSelectedRow) {
  FieldArgs a;
  a.type = 3, a.field = u"Part", a.state = 2;
  EXPECT_EQ(Td(a, page_test::RowOf(u"", {{u"Part", vb::Variant(u" 德育处")}}), conn_),
            u"<select name='n' id='n'  class='inputtext'  style='width:200px;' required >"
            u"<option value=\"德育处\" Selected >德育处</option><option value=\"总务处\">总务处</option></select>");
  a.field = u"部门名称", a.state = 1;
  EXPECT_EQ(Td(a, vb::Variant(u""), conn_),
            u"<select name='n' id='n'  class='inputtext'  style='width:200px;' required >"
            u"<option value=\"校长室\">校长室</option><option value=\"教务处\">教务处</option></select>");
  a.field = u"年级";  // a blank list: the field names the category, read in the table's order
  const vb::String out = Td(a, vb::Variant(u""), conn_);
  EXPECT_LT(out.find(u"高三"), out.find(u"高一"));
}

TEST_F(FieldOptions, GroupsFromTheDatabaseAreRadioButtons) {
  FieldArgs a;
  a.type = 14, a.field = u"部门名称";
  EXPECT_EQ(Td(a, vb::Variant(u""), conn_),
            u"<input name='n' id='n' type='radio' value=\"校长室\" Checked>校长室"
            u"<input name='n' id='n' type='radio' value=\"教务处\">教务处");
  a.type = 7, a.field = u"年级", a.state = 2, a.allow_empty = 0;
  vb::Variant rs = page_test::RowOf(u"", {{u"年级", vb::Variant(u"高二 ")}});
  const vb::String out = Td(a, rs, conn_);
  EXPECT_NE(out.find(u"value=\"高二\" Checked  required >高二"), vb::String::npos) << vb::ToUtf8(out);
  EXPECT_NE(out.find(u"value=\"高三\" required >高三"), vb::String::npos) << vb::ToUtf8(out);
}

TEST_F(FieldOptions, ValuesFromTheDictionaryAreEncodedAndCaptionsKept) {
  FieldArgs a;
  a.type = 15, a.pop_field = u"性别";
  EXPECT_NE(Td(a, vb::Variant(u""), conn_)
                .find(u"<option value=\"&lt;b&gt;男&lt;/b&gt; &amp; &quot;女&quot;\"><b>男</b> & \"女\"</option>"),
            vb::String::npos);
  a.type = 3, a.pop_field = u"it's";
  EXPECT_NE(Td(a, vb::Variant(u""), conn_).find(u"<option value=\"O&#39;Brien\">O'Brien</option>"), vb::String::npos)
      << "a category with a quote reaches the database quoted";
}

TEST_F(FieldOptions, ThePagesRecordsetKeepsItsRow) {
  vb::Variant rs = OpenRows(u"Select * From Sjzd Order By ID");
  com::Call(rs, u"MoveNext");
  FieldArgs a;
  a.type = 3, a.field = u"名称", a.state = 2, a.pop_field = u"年级";
  const vb::String out = Td(a, rs, conn_);
  EXPECT_NE(out.find(u"<option value=\"高一\" Selected >高一</option>"), vb::String::npos);
  EXPECT_EQ(vb::CLng(com::Call(rs, u"AbsolutePosition")), 2);
  EXPECT_EQ(vb::CStr(com::ValueOf(com::Call(rs, u"", vb::String(u"名称")))), u"高一");
  com::Call(rs, u"Close");
}

}  // namespace
