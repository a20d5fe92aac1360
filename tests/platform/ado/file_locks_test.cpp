// The database file layer's locks between connections of one process, as the
// engine asks for them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "platform/ado/replaceable_files.h"
#include "support/killed_in_commit.h"
#include "support/run_command.h"
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
  // The first column of the first row; "" when the query fails.
  std::string Value(const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    std::string value;
    if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
      value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    sqlite3_finalize(stmt);
    return value;
  }

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

constexpr std::chrono::seconds kTurnWait{10};

// The turn keeps a commit out while it lasts, and lets it in after.
TEST(DatabaseFileLocks, AReadersTurnKeepsCommitsOutWhileItLasts) {
  qe_test::TempSite site;
  const std::filesystem::path file = site.Host("data.db");
  Connection reader(file), writer(file);
  ASSERT_EQ(writer.Exec("CREATE TABLE t (a); INSERT INTO t VALUES (1)"), SQLITE_OK);
  {
    ado::ReadersTurn turn(file, kTurnWait);
    ASSERT_TRUE(turn.Held());
    EXPECT_EQ(writer.Exec("INSERT INTO t VALUES (2)"), SQLITE_BUSY);
    EXPECT_EQ(reader.Value("SELECT count(*) FROM t"), "1");
  }
  EXPECT_EQ(writer.Exec("INSERT INTO t VALUES (2)"), SQLITE_OK);
}

// A writer that died in a commit left its journal hot: the engine plays it
// back at the next read, of this process or another, without waiting for a
// turn, whether the writer died before the turn was taken or while it was
// held.
TEST(DatabaseFileLocks, AReadersTurnNeverKeepsTheEngineFromPlayingADeadWritersJournalBack) {
  qe_test::TempSite site;
  const std::filesystem::path file = site.Host("data.db"), journal = site.Host("data.db-journal");
  {
    Connection writer(file);
    ASSERT_EQ(writer.Exec("CREATE TABLE t (a); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                          "WHERE i < 2000) INSERT INTO t SELECT zeroblob(500) FROM n"),
              SQLITE_OK);
  }
  {
    SCOPED_TRACE("died before the turn");
    ASSERT_EQ(qe_test::CommitsBeforeKilled(file, [](int) { return "UPDATE t SET a = 1"; }, 1), 0);
    ado::ReadersTurn turn(file, kTurnWait);
    // Another process, which never waits.
    EXPECT_EQ(qe_test::RunCommand("sqlite3 " + qe_test::ShellQuoted(file.string()) +
                                  " 'SELECT count(*) FROM t WHERE a = 1' 2>&1")
                  .output,
              "0\n");
    EXPECT_FALSE(std::filesystem::exists(journal));
  }
  {
    SCOPED_TRACE("died while the turn was held");
    // A writer that does not sync (a tool run so) marks its journal hot
    // from its start; the engine's own writers only while they hold the
    // exclusive lock, which a turn keeps out.
    const pid_t writer = ::fork();
    if (writer == 0) {
      Connection connection(file);
      connection.Exec("PRAGMA synchronous = OFF; BEGIN; UPDATE t SET a = 2");
      ::raise(SIGSTOP);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(writer, &status, WUNTRACED);
    ASSERT_TRUE(WIFSTOPPED(status));
    ado::ReadersTurn turn(file, kTurnWait);
    EXPECT_TRUE(turn.Held());
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    ASSERT_TRUE(std::filesystem::exists(journal));
    Connection reader(file);
    EXPECT_EQ(reader.Value("SELECT count(*) FROM t WHERE a = 2"), "0");
    EXPECT_FALSE(std::filesystem::exists(journal));
  }
}

}  // namespace
