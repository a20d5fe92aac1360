// For Each through late binding: every collection hands out what VB's For
// Each visits, in the collection's order, from a copy taken at the start.
#include "platform/com/enumeration.h"

#include <gtest/gtest.h>

#include "platform/ado/ado_fixture.h"
#include "platform/asp/context.h"
#include "platform/vb/information.h"
#include "../vb/raises.h"

namespace {

using ado_test::String;
using ado_test::Variant;

// What For Each visits, each item as text (objects by their default value).
std::vector<String> Visited(const Variant& collection) {
  std::vector<String> texts;
  for (const Variant& item : com::ForEach(collection)) texts.push_back(vb::CStr(com::ValueOf(item)));
  return texts;
}

class ForEachTest : public ado_test::AdoTest {};

TEST_F(ForEachTest, ADictionaryGivesItsKeysAndTheLoopMayChangeIt) {
  Variant d = Create(u"Scripting.Dictionary");
  for (const char16_t* k : {u"b", u"a", u"c"}) com::Call(d, u"Add", String(k), String(k) + u"!");
  EXPECT_EQ(Visited(d), (std::vector<String>{u"b", u"a", u"c"}));
  // Removing each key as it comes still visits them all, once.
  std::vector<String> removed;
  for (const Variant& key : com::ForEach(d)) {
    removed.push_back(vb::CStr(key));
    com::Call(d, u"Remove", key);
    com::Call(d, u"Add", String(u"late ") + vb::CStr(key), int32_t{0});
  }
  EXPECT_EQ(removed, (std::vector<String>{u"b", u"a", u"c"}));
  EXPECT_EQ(Visited(d), (std::vector<String>{u"late b", u"late a", u"late c"}));
  EXPECT_EQ(vb::TypeName(com::Call(d, u"_NewEnum")), u"Unknown");
  EXPECT_TRUE(Visited(Create(u"Scripting.Dictionary")).empty());
}

TEST_F(ForEachTest, RequestCollectionsGiveTheirNamesInOrder) {
  asp::RequestSpec spec;
  spec.url = u"/qe/index.asp?z=1&a=2&z=3";
  spec.form = {{u"title", u"t"}, {u"Body", u"b"}, {u"title", u"again"}};
  spec.cookies = {{u"c1", u"x"}};
  spec.session = {{u"UserInfo", Variant(u"1|a")}, {u"Other", Variant(int32_t{2})}};
  asp::Context context(std::move(spec));
  Variant request = context.Request();
  EXPECT_EQ(Visited(com::Call(request, u"Form")), (std::vector<String>{u"title", u"Body"}));
  EXPECT_EQ(Visited(com::Call(request, u"QueryString")), (std::vector<String>{u"z", u"a"}));
  EXPECT_EQ(Visited(com::Call(request, u"Cookies")), std::vector<String>{u"c1"});
  std::vector<String> variables = Visited(com::Call(request, u"ServerVariables"));
  EXPECT_NE(std::find(variables.begin(), variables.end(), u"REQUEST_METHOD"), variables.end());
  // Each name finds its value, the way pages loop over a form.
  String joined;
  for (const Variant& name : com::ForEach(com::Call(request, u"Form")))
    joined += vb::CStr(name) + u"=" + vb::CStr(com::Call(com::Call(request, u"Form"), u"", name)) + u";";
  EXPECT_EQ(joined, u"title=t, again;Body=b;");
  EXPECT_EQ(Visited(com::Call(context.Session(), u"Contents")), (std::vector<String>{u"UserInfo", u"Other"}));
  Variant cookies = com::Call(context.Response(), u"Cookies");
  com::Let(cookies, u"", Variant(u"v"), String(u"sent"));
  EXPECT_EQ(Visited(cookies), std::vector<String>{u"sent"});
}

TEST_F(ForEachTest, FieldsGiveTheirFieldObjects) {
  String path = NewDatabase();
  Variant conn = Open(ado_test::Jet(path));
  com::Call(conn, u"Execute", String(u"Create Table t (id Long, name Text(10))"));
  com::Call(conn, u"Execute", String(u"Insert Into t Values (7, 'seven')"));
  Variant rs = Query(conn, u"Select name, id From t");
  std::vector<String> names;
  for (const Variant& field : com::ForEach(com::Call(rs, u"Fields"))) {
    EXPECT_EQ(vb::TypeName(field), u"Field");
    names.push_back(vb::CStr(com::Call(field, u"Name")) + u"=" + vb::CStr(com::Call(field, u"Value")));
  }
  EXPECT_EQ(names, (std::vector<String>{u"name=seven", u"id=7"}));
  // The ADOX collections follow the same rule.
  Variant catalog = Create(u"ADOX.Catalog");
  com::Let(catalog, u"ActiveConnection", Variant(ado_test::Jet(path)));
  Variant table = com::Call(com::Call(catalog, u"Tables"), u"", String(u"t"));
  std::vector<String> columns;
  for (const Variant& column : com::ForEach(com::Call(table, u"Columns")))
    columns.push_back(vb::CStr(com::Call(column, u"Name")));
  EXPECT_EQ(columns.size(), 2u);
}

TEST_F(ForEachTest, AFoldersFilesAndSubFoldersGiveTheirObjects) {
  site_.WriteFile("site/up/b.txt", "bb");
  site_.WriteFile("site/up/A.jpg", "a");
  site_.MakeFolder("site/up/sub");
  Variant fso = Create(u"Scripting.FileSystemObject");
  Variant folder = com::Call(fso, u"GetFolder", String(u"C:\\site\\up"));
  std::vector<String> files;
  for (const Variant& file : com::ForEach(com::Call(folder, u"Files"))) {
    EXPECT_EQ(vb::TypeName(file), u"File");
    files.push_back(vb::CStr(com::Call(file, u"Name")) + u":" + vb::CStr(com::Call(file, u"Size")));
  }
  EXPECT_EQ(files, (std::vector<String>{u"A.jpg:1", u"b.txt:2"}));
  EXPECT_EQ(Visited(com::Call(folder, u"SubFolders")), std::vector<String>{u"C:\\site\\up\\sub"});
}

TEST_F(ForEachTest, ArraysGiveTheirElementsAndOtherValuesRaise) {
  EXPECT_EQ(Visited(Variant(vb::Array::OfVariants({Variant(u"x"), Variant(int32_t{2})}))),
            (std::vector<String>{u"x", u"2"}));
  EXPECT_EQ(Visited(Variant(vb::Array::OfBytes({65, 66}))), (std::vector<String>{u"65", u"66"}));
  EXPECT_RAISES(91, com::ForEach(Variant::Nothing()));
  EXPECT_RAISES(424, com::ForEach(Variant(u"text")));
  EXPECT_RAISES(438, com::ForEach(Create(u"ADODB.Connection")));  // not a collection
}

}  // namespace
