// The database file layer's locks between connections of one process, as the
// engine asks for them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "platform/ado/replaceable_files.h"
#include "support/temp_site.h"

namespace {

// A connection that never waits for a lock: busy is answered at once.
class Connection {
 public:
  explicit Connection(const std::filesystem::path& file) {
    ado::UseReplaceableDatabaseFiles();
    sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  }
  ~Connection() { sqlite3_close_v2(db_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  int Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }

 private:
  sqlite3* db_ = nullptr;
};

// A writer whose commit waits for a reader to finish is not kept waiting by
// readers that come after it: they are told busy until it has written.
TEST(DatabaseFileLocks, AWaitingCommitKeepsNewReadersOut) {
  qe_test::TempSite site;
  const std::filesystem::path file = site.Host("data.db");
  Connection reader(file), writer(file), newcomer(file);
  ASSERT_EQ(writer.Exec("CREATE TABLE t (a); INSERT INTO t VALUES (1)"), SQLITE_OK);

  ASSERT_EQ(reader.Exec("BEGIN; SELECT * FROM t"), SQLITE_OK);
  ASSERT_EQ(writer.Exec("BEGIN; INSERT INTO t VALUES (2)"), SQLITE_OK);
  EXPECT_EQ(writer.Exec("COMMIT"), SQLITE_BUSY);
  EXPECT_EQ(newcomer.Exec("SELECT * FROM t"), SQLITE_BUSY);

  ASSERT_EQ(reader.Exec("COMMIT"), SQLITE_OK);
  EXPECT_EQ(writer.Exec("COMMIT"), SQLITE_OK);
  EXPECT_EQ(newcomer.Exec("SELECT * FROM t"), SQLITE_OK);
}

}  // namespace
