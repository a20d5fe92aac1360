// Compaction into a new file, and putting the compacted file in place while
// other connections have the database open.
#include "platform/ado/jro.h"

#include <gtest/gtest.h>

#include "ado_fixture.h"
#include "platform/ado/errors.h"

namespace ado_test {
namespace {

class JroTest : public AdoTest {
 protected:
  void SetUp() override {
    AdoTest::SetUp();
    NewDatabase("site/data/qe.asp");
    site_.MakeFolder("site/temp");
    Variant conn = Open(Jet(kSource));
    com::Call(conn, u"Execute", String(u"Create Table t (id Counter Primary Key, body Memo)"));
    com::Call(conn, u"BeginTrans");
    for (int i = 0; i < 200; ++i)
      com::Call(conn, u"Execute", u"Insert Into t (body) Values ('" + String(500, u'x') + u"')");
    com::Call(conn, u"CommitTrans");
    com::Call(conn, u"Execute", String(u"Delete From t Where id > 10"));
  }
  void Compact(StringView from, StringView to) {
    com::Call(Create(u"JRO.JetEngine"), u"CompactDatabase", Jet(from), Jet(to));
  }
  static constexpr const char16_t* kSource = u"C:\\site\\data\\qe.asp";
  static constexpr const char16_t* kScratch = u"C:\\site\\temp\\temp.mdb";
};

TEST_F(JroTest, CompactsIntoANewSmallerFileWithTheSameContent) {
  Compact(kSource, kScratch);
  auto before = std::filesystem::file_size(site_.Host("site/data/qe.asp"));
  auto after = std::filesystem::file_size(site_.Host("site/temp/temp.mdb"));
  EXPECT_LT(after, before);
  Variant copy = Open(Jet(kScratch));
  EXPECT_EQ(vb::CLng(Scalar(copy, u"Select Count(*) From t")), 10);
  // The structure comes along: the types, and the numbering goes on.
  Variant field = com::Call(Query(copy, u"Select body From t"), u"", String(u"body"));
  EXPECT_EQ(Long(field, u"Type"), 203);
  com::Call(copy, u"Execute", String(u"Insert Into t (body) Values ('y')"));
  EXPECT_EQ(vb::CLng(Scalar(copy, u"Select Max(id) From t")), 201);
}

TEST_F(JroTest, RefusesAnExistingDestinationAndAMissingSource) {
  site_.WriteFile("site/temp/temp.mdb", "old");
  EXPECT_EQ(ErrorOf([&] { Compact(kSource, kScratch); }), ado::kDbDatabaseExists);
  EXPECT_EQ(ErrorOf([&] { Compact(u"C:\\site\\data\\none.mdb", u"C:\\site\\temp\\other.mdb"); }), ado::kEFail);
  EXPECT_FALSE(std::filesystem::exists(site_.Host("site/temp/other.mdb")));
}

TEST_F(JroTest, TheDestinationTakesItsOwnPassword) {
  com::Call(Create(u"JRO.JetEngine"), u"CompactDatabase", Jet(kSource),
            Jet(kScratch) + u";Jet OLEDB:Database Password=pw");
  EXPECT_EQ(ErrorOf([&] { Open(Jet(kScratch)); }), ado::kDbBadPassword);
  EXPECT_NO_THROW(Open(Jet(kScratch) + u";Jet OLEDB:Database Password=pw"));
}

TEST_F(JroTest, ASwappedDatabaseServesTheConnectionsThatHadItOpen) {
  Variant reader = Open(Jet(kSource));
  Variant rs = Query(reader, u"Select * From t Order By id");
  Compact(kSource, kScratch);
  com::Call(reader, u"Execute", String(u"Insert Into t (body) Values ('before swap')"));
  // The swap carries the compacted content; the row written after compacting
  // is not in it, as with Jet, where the copy replaces the file.
  ado::ReplaceDatabase(site_.Host("site/data/qe.asp"), site_.Host("site/temp/temp.mdb"));
  EXPECT_FALSE(std::filesystem::exists(site_.Host("site/temp/temp.mdb")));
  EXPECT_EQ(vb::CLng(Scalar(reader, u"Select Count(*) From t")), 10);
  // The open connection writes into the file that is now in place.
  com::Call(reader, u"Execute", String(u"Insert Into t (body) Values ('after swap')"));
  Variant fresh = Open(Jet(kSource));
  EXPECT_EQ(vb::CLng(Scalar(fresh, u"Select Count(*) From t")), 11);
  EXPECT_EQ(vb::CStr(Scalar(fresh, u"Select body From t Where id=(Select Max(id) From t)")), u"after swap");
  EXPECT_EQ(vb::CLng(Field(rs, u"id")), 1);
}

}  // namespace
}  // namespace ado_test
