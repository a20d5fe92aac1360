// A writer of the site's databases that dies in the middle of a commit, its
// journal synced and the database written but the journal not yet gone, as a
// crash, the out-of-memory killer or `kill -9` leaves it: the next `qe call`
// and `qe serve` let the engine play the journal back and are ready at once,
// with every save acknowledged before the cut one and nothing of that one.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <utility>

#include "common/kesra_class_md5.h"
#include "host/serve_process.h"
#include "host/site_visitor.h"
#include "support/http_client.h"
#include "support/killed_in_commit.h"
#include "support/run_command.h"
#include "support/scoped_variable.h"
#include "support/temp_site.h"

namespace {

using namespace std::chrono_literals;

// How long a start may take, when a start held up by the journal waits 10 s.
constexpr auto kReady = 1s;

// A database of the site and the table its writer saves one row at a time to.
struct Saved {
  const char* file;   // below the site
  const char* table;  // with a text column `column`
  const char* column;
};
constexpr char kPasswordPage[] = "/qe/main/password.asp";
constexpr Saved kMain{"data/qe.asp", "Part", "Part"}, kConfig{"data/Config.htm", "Config", "ConfigClass"};

// The first column of a query's rows.
std::set<std::string> Column(const std::filesystem::path& file, const std::string& sql) {
  std::set<std::string> values;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK)
      while (sqlite3_step(stmt) == SQLITE_ROW) values.emplace(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  return values;
}

class CrashRestartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Call("CommDataCreateInit Access qe.asp True").output, "True\n");
  }

  qe_test::CommandResult Call(const std::string& member_and_arguments) const {
    return qe_test::RunCommand(std::string(QE_PROGRAM_PATH) + " call --site " +
                               qe_test::ShellQuoted(site_.SiteFolder().string()) + " " + member_and_arguments + " 2>&1");
  }
  std::filesystem::path Host(const Saved& db) const { return site_.SiteFolder() / db.file; }
  std::filesystem::path Journal(const Saved& db) const { return Host(db).string() + "-journal"; }

  // A process of its own saves rows "w1", "w2" … into the table, each in a
  // commit of its own, and dies in the middle of its `cut`-th commit. The
  // rows whose save it saw acknowledged.
  std::set<std::string> SavedUntilKilledInCommit(const Saved& db, int cut) const {
    const int acknowledged = qe_test::CommitsBeforeKilled(
        Host(db),
        [&](int n) {
          return std::string("INSERT INTO ") + db.table + " (" + db.column + ") VALUES ('w" + std::to_string(n) + "')";
        },
        cut);
    EXPECT_EQ(acknowledged, cut - 1) << "the writer did not die in that commit";
    EXPECT_TRUE(std::filesystem::exists(Journal(db))) << "the kill left no journal";
    std::set<std::string> rows;
    for (int n = 1; n <= acknowledged; ++n) rows.insert("w" + std::to_string(n));
    return rows;
  }

  std::set<std::string> RowsWritten(const Saved& db) const {
    return Column(Host(db), std::string("SELECT ") + db.column + " FROM " + db.table + " WHERE " + db.column +
                                " LIKE 'w%'");
  }
  std::set<std::string> IntegrityCheck(const Saved& db) const { return Column(Host(db), "PRAGMA integrity_check"); }

  qe_test::TempSite site_;
};

TEST_F(CrashRestartTest, TheNextStartRollsTheCutSaveBackAtOnce) {
  const struct {
    const char* how;
    std::function<void()> start;  // returns once it is ready
  } starts[] = {
      {"qe call", [&] { EXPECT_EQ(Call("CommGetDataFullName").output, "C:\\data\\qe.asp\n"); }},
      {"qe serve",
       [&] {
         host_test::ServeProcess server(site_.SiteFolder());
         const auto page = qe_test::HttpClient(server.Port()).Get("/qe/index.asp");
         EXPECT_TRUE(page && page->status == 200);
       }},
  };
  int cut = 2;
  for (const auto& start : starts)
    for (const Saved& db : {kMain, kConfig}) {
      SCOPED_TRACE(std::string(start.how) + " after a crash in " + db.file);
      const std::set<std::string> acknowledged = SavedUntilKilledInCommit(db, ++cut);
      const auto started = std::chrono::steady_clock::now();
      start.start();
      EXPECT_LT(std::chrono::steady_clock::now() - started, kReady);
      EXPECT_FALSE(std::filesystem::exists(Journal(db)));
      EXPECT_EQ(RowsWritten(db), acknowledged);
      EXPECT_EQ(IntegrityCheck(db), std::set<std::string>{"ok"});
    }
}

// The server itself dies in a page's save (a password changed, the third
// time): the next server is ready at once, and the password is the last one
// a page acknowledged.
TEST_F(CrashRestartTest, AServerKilledInAPageSaveStartsAgainWithTheAcknowledgedSaves) {
  std::unique_ptr<host_test::ServeProcess> server;
  {
    qe_test::ScopedVariable stop("QE_STOP_AT", "committing#3");
    server = std::make_unique<host_test::ServeProcess>(site_.SiteFolder());
  }
  host_test::Visitor admin(server->Port());
  ASSERT_EQ(admin.Get("/qe/login.asp").status, 200);
  ASSERT_EQ(admin.Post("/qe/login.asp", "UserName=tolva&PassWord=").status, 302);
  auto change = [&](const std::string& from, const std::string& to) {
    return admin.Post(kPasswordPage, "OldPassWord=" + from + "&NewPassWord=" + to + "&NewPassWord2=" + to,
                      kPasswordPage);
  };
  for (const auto& [from, to] : {std::pair{"", "p1"}, std::pair{"p1", "p2"}})
    ASSERT_NE(change(from, to).body.find("id=\"changed\""), std::string::npos) << to;
  std::thread cut([&] { change("p2", "p3"); });
  int status = 0;
  ::waitpid(server->Pid(), &status, WUNTRACED);
  EXPECT_TRUE(WIFSTOPPED(status)) << "the server did not stop in the save";
  ::kill(server->Pid(), SIGKILL);
  server->WaitExit(10s);
  cut.join();
  ASSERT_TRUE(std::filesystem::exists(Journal(kMain)));

  const auto started = std::chrono::steady_clock::now();
  server = std::make_unique<host_test::ServeProcess>(site_.SiteFolder());
  EXPECT_LT(std::chrono::steady_clock::now() - started, kReady);
  EXPECT_FALSE(std::filesystem::exists(Journal(kMain)));
  EXPECT_EQ(Column(Host(kMain), "SELECT PassWord FROM User WHERE UserName = 'tolva'"),
            std::set<std::string>{vb::ToUtf8(qe::Kesra_Class_Md5().KesraMd5(u"p2"))});
  EXPECT_EQ(host_test::Visitor(server->Port()).Post("/qe/login.asp", "UserName=tolva&PassWord=p2").status, 302);
  EXPECT_EQ(IntegrityCheck(kMain), std::set<std::string>{"ok"});
}

}  // namespace
