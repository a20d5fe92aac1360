// Maintenance run from a process of its own (`qe call`, as an administrator's
// shell or a timer runs it) while this process keeps committing rows to the
// site's main database, as a serving site does: no acknowledged row is lost
// and the database stays whole.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <signal.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>

#include "data_tables.h"
#include "maintenance/shipped_configuration.h"
#include "shell/qe_data_init.h"
#include "shell/qe_main_database.h"

namespace access_test {
namespace {

constexpr char16_t kMain[] = u"C:\\site\\data\\qe.asp";

// Commits one row after another into [Part], each on a connection of its
// own as a page does, and keeps the numbers of the rows whose commit was
// acknowledged.
class AcknowledgingWriter {
 public:
  AcknowledgingWriter() : thread_([this] { Run(); }) {
    while (Acknowledged().size() < 5 && failures_ == 0) std::this_thread::yield();
  }
  ~AcknowledgingWriter() { Stop(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  std::vector<int> Acknowledged() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return acknowledged_;
  }
  int Failures() const { return failures_; }
  std::string LastFailure() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return last_failure_;
  }

 private:
  void Run() {
    for (int n = 1; !stop_; ++n) {
      try {
        Variant conn(com::CreateObject(u"ADODB.Connection"));
        com::Call(conn, u"Open", Jet(kMain));
        com::Call(conn, u"Execute", u"Insert Into [Part] ([Part]) Values ('w" + vb::CStr(Variant(int32_t{n})) + u"')");
        com::Call(conn, u"Close");
        std::lock_guard<std::mutex> hold(mutex_);
        acknowledged_.push_back(n);
      } catch (const vb::Error& e) {
        ++failures_;
        std::lock_guard<std::mutex> hold(mutex_);
        last_failure_ = vb::ToUtf8(e.Description());
      }
    }
  }

  mutable std::mutex mutex_;
  std::vector<int> acknowledged_;
  std::string last_failure_;
  std::atomic<int> failures_{0};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

class MaintenanceBesideWritersTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    ASSERT_TRUE(qe::ProvideShippedConfiguration(u"C:\\site\\Comm\\Data_Mdb.mdb"));
    ASSERT_TRUE(qe::CreateMainDatabaseFromSchema(kMain));
    qe::QeDataInit(response_, request_, server_, application_);
    ASSERT_FALSE(Ended());
  }

  // One façade member through `qe call` on this site; its output.
  qe_test::CommandResult CallElsewhere(const std::string& member_and_arguments) {
    return qe_test::RunCommand(std::string(QE_PROGRAM_PATH) + " call --site " +
                               qe_test::ShellQuoted(site_.Host("site").string()) + " " + member_and_arguments +
                               " 2>&1");
  }

  // The first column of each row a query gives, read by the engine itself.
  static std::vector<std::string> Column(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    std::vector<std::string> values;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
      sqlite3_busy_timeout(db, 10000);
      sqlite3_stmt* stmt = nullptr;
      if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK)
        while (sqlite3_step(stmt) == SQLITE_ROW)
          values.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
      sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return values;
  }

  std::set<int> RowsWritten() const {
    std::set<int> rows;
    for (const std::string& part : Column(site_.Host("site/data/qe.asp"), "SELECT Part FROM Part WHERE Part LIKE 'w%'"))
      rows.insert(std::stoi(part.substr(1)));
    return rows;
  }

  // `qe call` on this site as a child process, killed after `delay` unless
  // it ended first; how long it ran.
  std::chrono::milliseconds CallKilledAfter(const std::vector<std::string>& member_and_arguments,
                                            std::chrono::milliseconds delay) {
    std::vector<std::string> args = {QE_PROGRAM_PATH, "call", "--site", site_.Host("site").string()};
    args.insert(args.end(), member_and_arguments.begin(), member_and_arguments.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = ::fork();
    if (pid == 0) {
      int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, STDOUT_FILENO);
      ::dup2(null, STDERR_FILENO);
      ::execv(QE_PROGRAM_PATH, argv.data());
      ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() - start >= delay) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  }

  // Files and folders that only an unfinished run makes: scratch names,
  // staged databases, anything in "temp", hidden names in "data".
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> found;
    const std::string temp = site_.Host("site/temp").string() + "/";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(site_.Host("site"))) {
      std::string name = entry.path().filename().string(), path = entry.path().string();
      if (name.starts_with(".qe-tmp-") || name.ends_with(".new") || name.ends_with(".new-journal") ||
          path.starts_with(temp) || (entry.path().parent_path() == site_.Host("site/data") && name.starts_with(".")))
        found.push_back(path);
    }
    return found;
  }

  // Rows enough that copying and compacting take a while to be killed in.
  void AddFiller() const {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(site_.Host("site/data/qe.asp").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db,
                           "CREATE TABLE Filler (x BLOB);"
                           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                           "INSERT INTO Filler SELECT randomblob(4000) FROM n;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }

  static std::string IntegrityCheck(const std::filesystem::path& file) {
    std::vector<std::string> result = Column(file, "PRAGMA integrity_check");
    return result.empty() ? "cannot read" : result[0];
  }
  std::string IntegrityCheck() const { return IntegrityCheck(site_.Host("site/data/qe.asp")); }
};

TEST_F(MaintenanceBesideWritersTest, EveryAcknowledgedRowOutlivesMaintenanceInAnotherProcess) {
  AcknowledgingWriter writer;
  // Restoring and rebuilding at level 3 replace the data on purpose: only
  // rows acknowledged after the last of them are owed.
  const std::vector<std::string> replacing = {
      "CommDataBackup Access '$before$qe.asp'",
      "CommDataRestore Access '/data$before$qe.asp'",
      "CommAccessRepair '' '' '' 3",
  };
  for (const std::string& call : replacing) {
    qe_test::CommandResult result = CallElsewhere(call);
    EXPECT_EQ(result.output, "True\n") << call;
  }
  const size_t owed_from = writer.Acknowledged().size();
  const std::vector<std::string> keeping = {
      "CommAccessCompact '$'",          "CommAccessRepair '' '' '' 1",      "CommAccessRepair '' '' '' 2",
      "CommDataBackup Access '$b1$qe.asp'", "CommAccessCompact '$'",      "CommAccessRepair '' '' '' 2",
  };
  for (const std::string& call : keeping) {
    qe_test::CommandResult result = CallElsewhere(call);
    EXPECT_EQ(result.output, "True\n") << call;
    EXPECT_EQ(IntegrityCheck(), "ok") << "after " << call;
  }
  writer.Stop();
  std::vector<int> acknowledged = writer.Acknowledged();
  ASSERT_GT(acknowledged.size(), owed_from);
  std::set<int> present = RowsWritten();
  int lost = 0;
  for (size_t i = owed_from; i < acknowledged.size(); ++i) lost += present.count(acknowledged[i]) == 0;
  EXPECT_EQ(lost, 0) << "of " << acknowledged.size() - owed_from << " acknowledged rows";
  EXPECT_EQ(writer.Failures(), 0) << writer.LastFailure();
  EXPECT_EQ(IntegrityCheck(), "ok");
}

TEST_F(MaintenanceBesideWritersTest, AKilledRunLeavesTheOldDataOrTheResultAndTheNextMountClearsItsScratch) {
  for (int n = 1; n <= 40; ++n)
    com::Call(Open(Jet(kMain)), u"Execute", u"Insert Into [Part] ([Part]) Values ('w" + vb::CStr(Variant(int32_t{n})) + u"')");
  AddFiller();
  // Level 3 last: it rebuilds without the filler and the rows.
  const std::vector<std::vector<std::string>> runs = {
      {"CommAccessCompact", "$"},
      {"CommAccessRepair", "", "", "", "1"},
      {"CommDataBackup", "Access", "$nightly$qe.asp"},
      {"CommAccessRepair", "", "", "", "3"},
  };
  // Kills spread from the moment a call has started up to its end.
  const auto started = CallKilledAfter({"CommGetDataFullName"}, std::chrono::minutes(1));
  constexpr int kKillsPerRun = 4;
  for (const auto& run : runs) {
    std::filesystem::remove_all(site_.Host("site/data_backup"));
    const auto whole = CallKilledAfter(run, std::chrono::minutes(5));
    for (int k = 1; k <= kKillsPerRun; ++k) {
      std::filesystem::remove_all(site_.Host("site/data_backup"));
      CallKilledAfter(run, started + (whole - started) * k / (kKillsPerRun + 1));
      SCOPED_TRACE(run[0] + " " + run.back() + " killed at " + std::to_string(k) + "/" + std::to_string(kKillsPerRun + 1));
      ASSERT_EQ(IntegrityCheck(), "ok");
      // The old rows, or the seeded database that a level-3 repair makes.
      int64_t parts = Count(kMain, u"Part"), users = Count(kMain, u"User");
      EXPECT_TRUE(parts == 41 || (run.back() == "3" && parts == 1)) << parts;
      EXPECT_EQ(users, 1);
      // Every folder that looks like a backup holds whole databases.
      for (const char* parent : {"site/AutoBackup", "site/data_backup"}) {
        if (!std::filesystem::exists(site_.Host(parent))) continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(site_.Host(parent)))
          if (entry.is_regular_file() && entry.path().string().find(".qe-tmp-") == std::string::npos)
            EXPECT_EQ(IntegrityCheck(entry.path()), "ok") << entry.path();
      }
      // The next mount takes away what the killed run left.
      CallKilledAfter({"CommGetDataFullName"}, std::chrono::minutes(1));
      EXPECT_EQ(Leftovers(), std::vector<std::string>{});
    }
  }
}

}  // namespace
}  // namespace access_test
