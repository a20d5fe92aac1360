// Connections kept between a Close and the next Open of the same file: what
// the next user gets is the file as it is now, with nothing of the last
// user's left in it (no transaction, no cursor, no lock), and a file that
// cannot be opened fails as it always did.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <thread>

#include "ado_fixture.h"
#include "platform/ado/database_pool.h"
#include "platform/ado/errors.h"
#include "platform/ado/jro.h"

namespace ado_test {
namespace {

constexpr char16_t kPath[] = u"C:\\data\\test.mdb";

// A connection of our own beside the provider's, that never waits for a lock.
class RawConnection {
 public:
  explicit RawConnection(const std::filesystem::path& file) {
    sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
  }
  ~RawConnection() { sqlite3_close_v2(db_); }
  int Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }

 private:
  sqlite3* db_ = nullptr;
};

class DatabasePoolTest : public AdoTest {
 protected:
  void SetUp() override {
    AdoTest::SetUp();
    NewDatabase();
    file_ = ado::HostFileOf(kPath, u"");
    Variant conn = Open(Jet(kPath));
    com::Call(conn, u"Execute", String(u"Create Table t (id Counter Primary Key, a Text(20))"));
    for (const char16_t* a : {u"one", u"two", u"three"})
      com::Call(conn, u"Execute", u"Insert Into t (a) Values ('" + String(a) + u"')");
    com::Call(conn, u"Close");
  }

  size_t Kept() const { return ado::PooledCount(file_); }
  String Values(const Variant& conn) {
    Variant rs = com::Call(conn, u"Execute", String(u"Select a From t Order By id"));
    return vb::CStr(com::Call(rs, u"GetString", int32_t{2}, int32_t{-1}, String(u","), String(u";"), String(u"")));
  }
  // True when another writer gets the file at once: nothing holds a lock on it.
  bool FileIsFree() {
    RawConnection other(file_);
    bool free = other.Exec("BEGIN EXCLUSIVE") == SQLITE_OK;
    other.Exec("ROLLBACK");
    return free;
  }
  // A database at `relative` with one row in t, made apart from the provider.
  std::filesystem::path OtherDatabase(std::string_view relative, const char* value) {
    std::filesystem::path other = site_.Host(relative);
    sqlite3* db = nullptr;
    sqlite3_open(other.c_str(), &db);
    std::string sql = std::string("CREATE TABLE t (id INTEGER PRIMARY KEY, a VARCHAR(20)); INSERT INTO t (a) VALUES ('") +
                      value + "');";
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return other;
  }

  std::filesystem::path file_;
};

TEST_F(DatabasePoolTest, CloseKeepsTheConnectionAndTheNextOpenTakesIt) {
  EXPECT_EQ(Kept(), 1u);
  Variant first = Open(Jet(kPath));
  EXPECT_EQ(Kept(), 0u);
  Variant second = Open(Jet(kPath));  // none kept: a connection of its own
  EXPECT_EQ(Values(first), u"one;two;three;");
  EXPECT_EQ(Values(second), u"one;two;three;");
  com::Call(first, u"Close");
  com::Call(second, u"Close");
  EXPECT_EQ(Kept(), 2u);
  // A read-only open is not served by a connection that writes.
  Variant read_only = Open(Jet(kPath) + u";Mode=Read");
  EXPECT_EQ(Kept(), 2u);
  EXPECT_NE(ErrorOf([&] { com::Call(read_only, u"Execute", String(u"Delete From t")); }), 0);
}

TEST_F(DatabasePoolTest, AFileReplacedUnderItsNameIsOpenedAnew) {
  // Compacted or restored beside its place, then moved over it.
  std::filesystem::rename(OtherDatabase("data/restored.mdb", "restored"), file_);
  ASSERT_EQ(Kept(), 1u);
  EXPECT_EQ(Values(Open(Jet(kPath))), u"restored;");
  // Copied into the file in place.
  ado::ReplaceDatabase(file_, OtherDatabase("data/copy.mdb", "copied"));
  EXPECT_EQ(Values(Open(Jet(kPath))), u"copied;");
}

TEST_F(DatabasePoolTest, AFileThatCannotBeOpenedAnyMoreFailsAsItAlwaysDid) {
  ASSERT_EQ(Kept(), 1u);
  auto failure = [&](StringView path) {
    try {
      Open(Jet(path));
    } catch (const vb::Error& e) {
      return std::make_pair(e.Number(), e.Description());
    }
    return std::make_pair(0, String(u"opened"));
  };
  std::filesystem::remove(file_);
  EXPECT_EQ(failure(kPath), std::make_pair(ado::kEFail, String(u"Could not find file 'C:\\data\\test.mdb'.")));
  // Text written over the database: the same file, no database any more.
  Open(Jet(NewDatabase("data/text.mdb"))).GetObject();
  ASSERT_EQ(ado::PooledCount(site_.Host("data/text.mdb")), 1u);
  site_.WriteFile("data/text.mdb", "not a database at all, just text that is long enough to have a header");
  EXPECT_EQ(failure(u"C:\\data\\text.mdb"),
            std::make_pair(ado::kEFail, String(u"Unrecognized database format 'C:\\data\\text.mdb'.")));
}

TEST_F(DatabasePoolTest, AFileLockedByAnotherWriterFailsWhetherKeptOrNot) {
  // The provider waits for the lock as long as a statement would (seconds):
  // both opens wait at once.
  Variant kept_open = Open(Jet(kPath));
  Variant another = Open(Jet(kPath));
  com::Call(kept_open, u"Close");
  ASSERT_EQ(Kept(), 1u);
  RawConnection writer(file_);
  ASSERT_EQ(writer.Exec("BEGIN EXCLUSIVE"), SQLITE_OK);
  const String in_use = u"Could not use 'C:\\data\\test.mdb'; file already in use.";
  String kept_error, new_error;
  std::thread kept_thread([&] {
    try {
      Open(Jet(kPath));
    } catch (const vb::Error& e) {
      kept_error = e.Description();
    }
  });
  std::thread new_thread([&] {
    try {
      Open(Jet(kPath));
    } catch (const vb::Error& e) {
      new_error = e.Description();
    }
  });
  kept_thread.join();
  new_thread.join();
  writer.Exec("ROLLBACK");
  EXPECT_EQ(kept_error, in_use);
  EXPECT_EQ(new_error, in_use);
}

TEST_F(DatabasePoolTest, APasswordChangedAfterwardsHoldsForTheNextOpen) {
  // Through the connection that is kept, then through another one.
  Variant conn = Open(Jet(kPath));
  com::Call(conn, u"Execute", String(u"Insert Into MSysQeDatabase (Name, [Value]) Values ('Password', 'first')"));
  com::Call(conn, u"Close");
  ASSERT_EQ(Kept(), 1u);
  EXPECT_EQ(ErrorOf([&] { Open(Jet(kPath)); }), ado::kDbBadPassword);
  Variant with_it = Open(Jet(kPath) + u";Jet OLEDB:Database Password=first");
  Variant other = Open(Jet(kPath) + u";Jet OLEDB:Database Password=first");
  com::Call(other, u"Execute", String(u"Update MSysQeDatabase Set [Value]='second' Where Name='Password'"));
  com::Call(other, u"Close");
  com::Call(with_it, u"Close");
  ASSERT_EQ(Kept(), 2u);
  EXPECT_EQ(ErrorOf([&] { Open(Jet(kPath) + u";Jet OLEDB:Database Password=first"); }), ado::kDbBadPassword);
  EXPECT_EQ(ErrorOf([&] { Open(Jet(kPath) + u";Jet OLEDB:Database Password=first"); }), ado::kDbBadPassword);
  EXPECT_EQ(ErrorOf([&] { Open(Jet(kPath) + u";Jet OLEDB:Database Password=second"); }), 0);
}

TEST_F(DatabasePoolTest, AConnectionLeftInATransactionIsRolledBackBeforeItIsKept) {
  {
    Variant conn = Open(Jet(kPath));
    com::Call(conn, u"BeginTrans");
    com::Call(conn, u"BeginTrans");
    com::Call(conn, u"Execute", String(u"Delete From t"));
    // The page ends without committing or closing.
  }
  ASSERT_EQ(Kept(), 1u);
  EXPECT_TRUE(FileIsFree());
  Variant next = Open(Jet(kPath));
  EXPECT_EQ(Kept(), 0u);
  EXPECT_EQ(Values(next), u"one;two;three;");
  EXPECT_EQ(Long(next, u"BeginTrans"), 1);  // its own first level
  com::Call(next, u"Execute", String(u"Delete From t Where a='one'"));
  com::Call(next, u"CommitTrans");
  EXPECT_EQ(Values(next), u"two;three;");
}

TEST_F(DatabasePoolTest, AnOpenCursorStaysWithItsRecordsetAndNeverReachesTheNextUser) {
  Variant conn = Open(Jet(kPath));
  Variant rs = com::Call(conn, u"Execute", String(u"Select a From t Order By id"));
  EXPECT_EQ(vb::CStr(Field(rs, u"a")), u"one");
  conn = Variant();  // dropped without Close: the recordset still reads through it
  EXPECT_EQ(Kept(), 0u);
  Variant other = Open(Jet(kPath));
  com::Call(other, u"Execute", String(u"Select a From t Where id=2"));
  com::Call(rs, u"MoveNext");
  EXPECT_EQ(vb::CStr(Field(rs, u"a")), u"two");
  com::Call(other, u"Close");
  rs = Variant();
  EXPECT_EQ(Kept(), 2u);
  EXPECT_TRUE(FileIsFree());
  // Closing the connection under a recordset that is half read.
  Variant closing = Open(Jet(kPath));
  Variant half = com::Call(closing, u"Execute", String(u"Select a From t Order By id"));
  com::Call(closing, u"Close");
  EXPECT_TRUE(FileIsFree());
  EXPECT_EQ(Values(Open(Jet(kPath))), u"one;two;three;");
}

TEST_F(DatabasePoolTest, StatementsOfOneTextServeOneUserEachAndManyTextsComeAndGo) {
  Variant conn = Open(Jet(kPath));
  // Two keyset recordsets of one text at once, moved in turns.
  Variant a = Query(conn, u"Select a From t Order By id");
  Variant b = Query(conn, u"Select a From t Order By id");
  com::Call(b, u"MoveLast");
  com::Call(a, u"MoveNext");
  EXPECT_EQ(vb::CStr(Field(a, u"a")), u"two");
  EXPECT_EQ(vb::CStr(Field(b, u"a")), u"three");
  // More texts than a connection keeps, twice over.
  for (int round = 0; round < 2; ++round)
    for (int id = 0; id < 80; ++id) {
      String sql = u"Select Count(*) From t Where id<=" + vb::CStr(Variant(id % 4)) + u" And " +
                   vb::CStr(Variant(id)) + u"=" + vb::CStr(Variant(id));
      ASSERT_EQ(vb::CLng(Scalar(conn, sql)), id % 4) << vb::ToUtf8(sql);
    }
}

TEST_F(DatabasePoolTest, AQueryThatWritesWaitsForAnotherWriterAsAnyWriteDoes) {
  // A writer holds the file for a moment; a query that returns rows but
  // writes too waits for it instead of failing as locked.
  RawConnection writer(file_);
  ASSERT_EQ(writer.Exec("BEGIN IMMEDIATE"), SQLITE_OK);
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    writer.Exec("COMMIT");
  });
  Variant conn = Open(Jet(kPath));
  int32_t error = ErrorOf([&] {
    com::Call(conn, u"Execute", String(u"With x As (Select 'four' As v) Insert Into t (a) Select v From x"));
  });
  release.join();
  EXPECT_EQ(error, 0);
  EXPECT_EQ(Values(conn), u"one;two;three;four;");
}

// The fields a query describes, as "name:type:size;".
String Described(const Variant& conn, StringView sql) {
  Variant rs = com::Call(conn, u"Execute", String(sql));
  Variant fields = com::Call(rs, u"Fields");
  String out;
  for (int32_t i = 0; i < vb::CLng(com::Call(fields, u"Count")); ++i) {
    Variant f = com::Call(fields, u"Item", i);
    out += vb::CStr(com::Call(f, u"Name")) + u":" + vb::CStr(com::Call(f, u"Type")) + u":" +
           vb::CStr(com::Call(f, u"DefinedSize")) + u";";
  }
  return out;
}

TEST_F(DatabasePoolTest, DescriptionsFollowChangesOfTheTablesFromAnyConnection) {
  Variant reader = Open(Jet(kPath));
  EXPECT_EQ(Described(reader, u"Select * From t"), u"id:3:4;a:202:20;");
  Variant other = Open(Jet(kPath));
  com::Call(other, u"Execute", String(u"Alter Table t Add Column b Currency"));
  EXPECT_EQ(Described(reader, u"Select * From t"), u"id:3:4;a:202:20;b:6:8;");
  com::Call(other, u"Execute", String(u"Drop Table t"));
  com::Call(other, u"Execute", String(u"Create Table t (id Counter Primary Key, a Memo)"));
  EXPECT_EQ(Described(reader, u"Select * From t"), u"id:3:4;a:203:2147483647;");
  // Another process, through SQLite alone.
  RawConnection raw(file_);
  ASSERT_EQ(raw.Exec("CREATE TABLE u (n SMALLINT)"), SQLITE_OK);
  EXPECT_EQ(Described(reader, u"Select * From u"), u"n:2:2;");
  ASSERT_EQ(raw.Exec("DROP TABLE u; CREATE TABLE u (n DOUBLE)"), SQLITE_OK);
  EXPECT_EQ(Described(reader, u"Select * From u"), u"n:5:8;");
  // A change of the reader's own, rolled back.
  com::Call(reader, u"BeginTrans");
  com::Call(reader, u"Execute", String(u"Drop Table u"));
  com::Call(reader, u"Execute", String(u"Create Table u (n Text(5))"));
  EXPECT_EQ(Described(reader, u"Select * From u"), u"n:202:5;");
  com::Call(reader, u"RollbackTrans");
  EXPECT_EQ(Described(reader, u"Select * From u"), u"n:5:8;");
}

}  // namespace
}  // namespace ado_test
