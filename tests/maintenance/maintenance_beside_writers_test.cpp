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

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <set>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "data_tables.h"
#include "maintenance/maintenance_lock.h"
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

  // One façade member through `qe call` on this site (or the site in the
  // folder `site` of the drive); its output.
  qe_test::CommandResult CallElsewhere(const std::string& member_and_arguments, const char* site = "site") {
    return qe_test::RunCommand(std::string(QE_PROGRAM_PATH) + " call --site " +
                               qe_test::ShellQuoted(site_.Host(site).string()) + " " + member_and_arguments +
                               " 2>&1");
  }

  // The first column of each row a query gives, read by the engine itself.
  // It waits for the writer's commits in short steps: one that waits in
  // the engine's growing steps can miss every moment between commits that
  // come one after another on a loaded machine.
  static std::vector<std::string> Column(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    std::vector<std::string> values;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
      sqlite3_busy_handler(
          db,
          [](void*, int tries) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            return tries < 50000 ? 1 : 0;  // 10 s
          },
          nullptr);
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

  // `qe call` on this site as a child process; with `stop_at`, the child
  // stops itself at that step and is left stopped there. Its number when it
  // stopped there, 0 when it ended first.
  pid_t CallStoppedAt(const std::vector<std::string>& member_and_arguments, const std::string& stop_at = "",
                      const char* site = "site") {
    std::vector<std::string> args = {QE_PROGRAM_PATH, "call", "--site", site_.Host(site).string()};
    args.insert(args.end(), member_and_arguments.begin(), member_and_arguments.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = ::fork();
    if (pid < 0) return 0;  // as -1 it would wait for any child, and Kill(-1) would kill every process
    if (pid == 0) {
      int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, STDOUT_FILENO);
      ::dup2(null, STDERR_FILENO);
      if (!stop_at.empty()) ::setenv("QE_STOP_AT", stop_at.c_str(), 1);
      ::execv(QE_PROGRAM_PATH, argv.data());
      ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, WUNTRACED);
    return WIFSTOPPED(status) ? pid : 0;
  }
  static void Kill(pid_t stopped) {
    ::kill(stopped, SIGKILL);
    ::waitpid(stopped, nullptr, 0);
  }
  // A run left stopped is still there. A stopped process runs nothing: only
  // a signal from outside the test (a kill, or one that lets it go on) ends
  // it, and with it what it held. Left unreaped, so that its number stays
  // its own until Kill.
  static testing::AssertionResult StillStopped(pid_t stopped) {
    siginfo_t ended{};
    if (::waitid(P_PID, static_cast<id_t>(stopped), &ended, WEXITED | WNOHANG | WNOWAIT) != 0)
      return testing::AssertionFailure() << "cannot look at the stopped run: " << std::strerror(errno);
    if (ended.si_pid == 0) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the stopped run was ended from outside the test ("
                                       << (ended.si_code == CLD_EXITED ? "exit status " : "signal ") << ended.si_status
                                       << ")";
  }
  // The same, killed where it stopped. True when it stopped there.
  bool CallKilledAt(const std::vector<std::string>& member_and_arguments, const std::string& stop_at = "") {
    const pid_t stopped = CallStoppedAt(member_and_arguments, stop_at);
    if (stopped) Kill(stopped);
    return stopped != 0;
  }

  // The counts of [Part] in the whole databases of the published backups
  // that maintenance makes.
  std::multiset<int64_t> PublishedBackups() const {
    std::multiset<int64_t> found;
    for (const char* parent : {"site/AutoBackup"}) {
      if (!std::filesystem::exists(site_.Host(parent))) continue;
      for (const auto& entry : std::filesystem::recursive_directory_iterator(site_.Host(parent))) {
        const std::string path = entry.path().string();
        if (entry.is_regular_file() && path.find(".qe-tmp-") == std::string::npos &&
            IntegrityCheck(entry.path()) == "ok") {
          std::vector<std::string> count = Column(entry.path(), "SELECT count(*) FROM Part");
          if (!count.empty()) found.insert(std::stoll(count[0]));
        }
      }
    }
    return found;
  }

  // Files and folders that only an unfinished run makes: scratch names,
  // staged databases, journals, anything in "temp", hidden names in "data".
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> found;
    const std::string temp = site_.Host("site/temp").string() + "/";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(site_.Host("site"))) {
      std::string name = entry.path().filename().string(), path = entry.path().string();
      if (name == ".qe-maintenance.lock") continue;  // the site's, for good
      if (name.starts_with(".qe-") || name.ends_with(".new") || name.ends_with("-journal") ||
          path.starts_with(temp) || (entry.path().parent_path() == site_.Host("site/data") && name.starts_with(".")))
        found.push_back(path);
    }
    return found;
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

// Each operation that replaces the live data, killed right after its swap:
// the live data is the old or the finished one, a published backup holds
// the old rows, and the next mount clears the scratch without losing it.
TEST_F(MaintenanceBesideWritersTest, AKilledRunLeavesTheOldDataOrTheResultAndTheNextMountClearsItsScratch) {
  for (int n = 1; n <= 40; ++n)
    com::Call(Open(Jet(kMain)), u"Execute", u"Insert Into [Part] ([Part]) Values ('w" + vb::CStr(Variant(int32_t{n})) + u"')");
  ASSERT_EQ(CallElsewhere("CommDataBackup Access '$source$qe.asp'").output, "True\n");
  com::Call(Open(Jet(kMain)), u"Execute", u"Insert Into [Part] ([Part]) Values ('w41')");
  struct Run {
    std::vector<std::string> call;
    const char* swap;  // the step right after the live file is replaced
    int64_t finished;  // [Part] rows of the result; -1: the old ones
  };
  // The rebuilds last: they start the data over.
  const std::vector<Run> runs = {
      {{"CommAccessCompact", "$"}, "compacted", -1},
      {{"CommAccessRepair", "", "", "", "1"}, "compacted", -1},
      {{"CommAccessRepair", "", "", "", "2"}, "swapped", -1},
      {{"CommDataRestore", "Access", "/data$source$qe.asp"}, "swapped", 41},
      {{"CommAccessRepair", "", "", "", "3"}, "swapped", 1},
      {{"CommDataCreateInit", "Access", "qe.asp", "True"}, "swapped", 1},
  };
  for (const Run& run : runs) {
    SCOPED_TRACE(run.call[0] + " " + run.call.back());
    std::filesystem::remove_all(site_.Host("site/AutoBackup"));
    const int64_t old = Count(kMain, u"Part");
    ASSERT_TRUE(CallKilledAt(run.call, run.swap));
    for (const char* moment : {"killed", "mounted"}) {
      SCOPED_TRACE(moment);
      ASSERT_EQ(IntegrityCheck(), "ok");
      const int64_t parts = Count(kMain, u"Part");
      EXPECT_TRUE(parts == old || parts == run.finished) << parts;
      EXPECT_EQ(Count(kMain, u"User"), 1);
      EXPECT_GE(PublishedBackups().count(old), 1u) << "of the " << old << " rows before";
      // The next mount takes away what the killed run left.
      CallKilledAt({"CommGetDataFullName"});
    }
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
  }
}

// Clearing the backups, killed halfway: no folder is left under a backup's
// name with part of its files gone.
TEST_F(MaintenanceBesideWritersTest, AKilledClearLeavesNoBackupHalfDeleted) {
  ASSERT_EQ(CallElsewhere("CommAccessCompact '$'").output, "True\n");
  ASSERT_EQ(PublishedBackups().size(), 1u);
  ASSERT_TRUE(CallKilledAt({"CommDataClear", "AutoBackup|Temp"}, "renamed"));
  CallKilledAt({"CommGetDataFullName"});
  const auto backups = site_.Host("site/AutoBackup");
  if (std::filesystem::exists(backups))
    for (const auto& folder : std::filesystem::directory_iterator(backups))
      EXPECT_FALSE(std::filesystem::is_empty(folder.path())) << folder.path();
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

// A clear while a run that replaces the data holds its backup (stopped
// between publishing it and the swap): the clear waits for the run, and is
// refused when the run keeps it past the wait; the backup, the only copy of
// the old data, stays. Once the run has ended, the clear goes through. (A
// run ended from outside the test while the clear waits holds nothing any
// more, and the clear rightly goes through: the test says which happened.)
TEST_F(MaintenanceBesideWritersTest, AClearWaitsForTheRunWhoseBackupItWouldRemove) {
  ASSERT_EQ(CallElsewhere("CommDataBackup Access '$source$qe.asp'").output, "True\n");
  com::Call(Open(Jet(kMain)), u"Execute", String(u"Insert Into [Part] ([Part]) Values ('since')"));
  const int64_t old = Count(kMain, u"Part");
  for (const std::vector<std::string>& run :
       {std::vector<std::string>{"CommDataRestore", "Access", "/data$source$qe.asp"},
        std::vector<std::string>{"CommAccessRepair", "", "", "", "3"}}) {
    SCOPED_TRACE(run[0]);
    const pid_t stopped = CallStoppedAt(run, "published");
    ASSERT_NE(stopped, 0);
    ASSERT_GE(PublishedBackups().count(old), 1u);
    const auto asked = std::chrono::steady_clock::now();
    const std::string refused = CallElsewhere("--response CommDataClear 'AutoBackup|Temp'").output;
    ASSERT_TRUE(StillStopped(stopped)) << "while the clear waited";
    EXPECT_EQ(refused.substr(0, 6), "False\n");
    EXPECT_NE(refused.find("Could not update; currently locked."), std::string::npos) << refused;
    EXPECT_GE(std::chrono::steady_clock::now() - asked, qe::kMaintenanceWait);
    EXPECT_GE(PublishedBackups().count(old), 1u) << "of the " << old << " rows before";
    Kill(stopped);
    EXPECT_EQ(Count(kMain, u"Part"), old);
    EXPECT_EQ(CallElsewhere("CommDataClear 'AutoBackup|Temp'").output, "True\n");
    EXPECT_EQ(PublishedBackups().size(), 0u);
  }
}

// Runs killed where they leave scratch outside the folders a mount always
// clears, or a journal the engine would not play back: the next mount
// leaves nothing of them.
TEST_F(MaintenanceBesideWritersTest, WhatAKilledRunLeavesGoesAtTheNextMount) {
  ASSERT_EQ(CallElsewhere("CommDataBackup Access '$source$qe.asp'").output, "True\n");
  site_.WriteFile("site/Comm/s.ini", "");
  site_.WriteFile("site/Data_UploadFiles/s.ini", "");
  // A folder of the drive, where no mount looks, packed and unpacked there.
  site_.WriteFile("site/Data_UploadFiles/docs/a.txt", "text");
  CallElsewhere("CommUnZipWithXceedZip /Data_UploadFiles docs zipfolder");
  ASSERT_TRUE(std::filesystem::exists(site_.Host("site/Data_UploadFiles/docs.RAR")));
  const struct {
    std::vector<std::string> call;
    const char* stop;
  } runs[] = {
      // A database staged beside its place in the new folder.
      {{"CommAccessCreateFromConfig", "/Comm/Data_Mdb.mdb", "/rebuilt", "mdb"}, "staged"},
      // The text written aside before it takes the file's name.
      {{"CommAccessCreateConfig", "/Comm/s.ini", "", "ini"}, "written"},
      // ... and in a folder of the drive.
      {{"CommAccessCreateConfig", "/Data_UploadFiles/s.ini", "", "ini"}, "written"},
      // A journal whose header was never synced.
      {{"CommAccessImport", "C:\\data_backup\\source\\qe.asp", "C:\\data\\qe.asp", "Part|", "True"}, "imported"},
      // An archive written whole before it takes its name.
      {{"CommUnZipWithXceedZip", "/Data_UploadFiles", "docs", "zipfolder"}, "packed"},
      // Files unpacked whole before they take their places.
      {{"CommUnZipWithXceedZip", "/Data_UploadFiles", "docs.RAR", "unzip"}, "extracted"},
  };
  for (const auto& run : runs) {
    SCOPED_TRACE(run.call[0] + " " + run.stop);
    ASSERT_TRUE(CallKilledAt(run.call, run.stop));
    EXPECT_NE(Leftovers(), std::vector<std::string>{}) << "the kill left nothing to clear";
    CallKilledAt({"CommGetDataFullName"});
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
    EXPECT_EQ(IntegrityCheck(), "ok");
  }
}

// Runs killed in the middle of a commit, their journal synced and the
// database written, as a crash leaves them: the next mount lets the engine
// play the journal back at once, the data is as before the run, and the
// run goes through when it is asked again.
TEST_F(MaintenanceBesideWritersTest, ARunKilledInACommitHoldsUpNoMountAndGoesThroughAgain) {
  ASSERT_EQ(CallElsewhere("CommDataBackup Access '$source$qe.asp'").output, "True\n");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(site_.Host("site/data_backup/source/qe.asp").c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, "INSERT INTO Part (Part) VALUES ('new')", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  const std::vector<std::string> source =
      Column(site_.Host("site/data_backup/source/qe.asp"), "SELECT Part FROM Part ORDER BY ID");
  const struct {
    std::vector<std::string> call;
    const char* journal;  // where the kill leaves it
    std::string answer;   // when it goes through
  } runs[] = {
      // Its commit into the live database.
      {{"CommAccessImport", "C:\\data_backup\\source\\qe.asp", "C:\\data\\qe.asp", "Part|", "True"},
       "site/data",
       std::to_string(source.size())},
      // Its commit into the compacted copy.
      {{"CommAccessCompact", "$"}, "site/temp", "True"},
  };
  for (const auto& run : runs) {
    SCOPED_TRACE(run.call[0]);
    const std::vector<std::string> old = Column(site_.Host("site/data/qe.asp"), "SELECT Part FROM Part ORDER BY ID");
    ASSERT_TRUE(CallKilledAt(run.call, "committing#1"));
    bool journal_left = false;
    for (const std::string& left : Leftovers())
      journal_left |= left.starts_with(site_.Host(run.journal).string()) && left.ends_with("-journal");
    ASSERT_TRUE(journal_left);
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(CallElsewhere("CommGetDataFullName").output, "C:\\data\\qe.asp\n");
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
    EXPECT_EQ(Column(site_.Host("site/data/qe.asp"), "SELECT Part FROM Part ORDER BY ID"), old);
    EXPECT_EQ(IntegrityCheck(), "ok");
    std::string again;
    for (const std::string& word : run.call) again += qe_test::ShellQuoted(word) + " ";
    EXPECT_EQ(CallElsewhere(again).output, run.answer + "\n");
  }
  EXPECT_EQ(Column(site_.Host("site/data/qe.asp"), "SELECT Part FROM Part ORDER BY ID"), source);
}

// The maintenance lock under load: runs of several kinds are each held at a
// step, on a site of their own, and every kind of run is started against
// each of them at once: every one of those waits the whole wait and is
// refused, and none of them changes anything.
TEST_F(MaintenanceBesideWritersTest, EveryRunStartedAgainstAHeldOneWaitsAndIsRefused) {
  ASSERT_EQ(CallElsewhere("CommDataBackup Access '$before$qe.asp'").output, "True\n");
  const struct {
    const char* site;
    std::vector<std::string> held;
    const char* step;
  } holds[] = {
      {"site", {"CommAccessCompact", "$"}, "compacted"},
      {"site-2", {"CommDataRestore", "Access", "/data$before$qe.asp"}, "published"},
      {"site-3", {"CommAccessImport", "C:\\data_backup\\before\\qe.asp", "C:\\data\\qe.asp", "Part|", "True"},
       "imported"},
  };
  const std::vector<std::string> kinds = {
      "CommAccessCompact '$'",
      "CommAccessRepair '' '' '' 1",
      "CommAccessRepair '' '' '' 2",
      "CommAccessRepair '' '' '' 3",
      "CommDataBackup Access '$b1$qe.asp'",
      "CommDataRestore Access '/data$before$qe.asp'",
      "CommDataClear 'AutoBackup|Temp'",
      "CommDataCreateInit Access qe.asp True",
      "CommAccessImport 'C:\\data_backup\\before\\qe.asp' 'C:\\data\\qe.asp' 'Part|' True",
      "CommAccessCreateFromConfig /Comm/Data_Mdb.mdb /rebuilt mdb",
      "CommCreateMdfFromSql x /mdf 127.0.0.1 sa pw /Comm/x.sql True",
  };
  // Every file of a site, with its size and when it last changed.
  auto files = [&](const char* site) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(site_.Host(site)))
      found.push_back(entry.path().string() + " " +
                      (entry.is_regular_file() ? std::to_string(entry.file_size()) + " " +
                                                     std::to_string(entry.last_write_time().time_since_epoch().count())
                                               : std::string("folder")));
    std::sort(found.begin(), found.end());
    return found;
  };
  for (const auto& hold : holds)
    if (std::string(hold.site) != "site")
      std::filesystem::copy(site_.Host("site"), site_.Host(hold.site), std::filesystem::copy_options::recursive);
  std::vector<pid_t> holders;
  std::vector<std::vector<std::string>> before;
  for (const auto& hold : holds) {
    holders.push_back(CallStoppedAt(hold.held, hold.step, hold.site));
    ASSERT_NE(holders.back(), 0) << hold.held[0];
    before.push_back(files(hold.site));
  }
  struct Refused {
    std::string output;
    std::chrono::steady_clock::duration waited;
  };
  std::vector<Refused> runs(std::size(holds) * kinds.size());
  std::vector<std::thread> started;
  for (size_t h = 0; h < std::size(holds); ++h)
    for (size_t k = 0; k < kinds.size(); ++k)
      started.emplace_back([&, h, k] {
        const auto asked = std::chrono::steady_clock::now();
        runs[h * kinds.size() + k].output = CallElsewhere("--response " + kinds[k], holds[h].site).output;
        runs[h * kinds.size() + k].waited = std::chrono::steady_clock::now() - asked;
      });
  for (std::thread& run : started) run.join();
  for (size_t h = 0; h < std::size(holds); ++h) {
    SCOPED_TRACE(holds[h].held[0] + " held");
    for (size_t k = 0; k < kinds.size(); ++k) {
      const Refused& run = runs[h * kinds.size() + k];
      const bool refused = kinds[k].starts_with("CommAccessImport")
                               ? run.output.starts_with("-1\n")
                               : run.output.find(vb::ToUtf8(qe::kMaintenanceBusy)) != std::string::npos;
      EXPECT_TRUE(refused) << kinds[k] << ": " << run.output.substr(0, 200);
      EXPECT_GE(run.waited, qe::kMaintenanceWait) << kinds[k];
    }
    EXPECT_EQ(files(holds[h].site), before[h]);
    Kill(holders[h]);
  }
}

// An export killed with its copy made, into a folder the mount does not
// look in: the copy is scratch in the site's scratch folder, and goes.
TEST_F(MaintenanceBesideWritersTest, AKilledExportLeavesNoScratchBesideItsTarget) {
  site_.MakeFolder("site/Data_UploadFiles");
  ASSERT_TRUE(CallKilledAt({"CommAccessExport", "C:\\data\\qe.asp", "C:\\Data_UploadFiles\\out.mdb", ""}, "copied"));
  CallKilledAt({"CommGetDataFullName"});
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

// An import killed after any of its tables: every table as it was.
TEST_F(MaintenanceBesideWritersTest, AKilledImportLeavesEveryTableAsItWas) {
  ASSERT_EQ(CallElsewhere("CommDataBackup Access '$source$qe.asp'").output, "True\n");
  const auto source = site_.Host("site/data_backup/source/qe.asp");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(source.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db,
                         "INSERT INTO Part (Part) VALUES ('new'); INSERT INTO Sjzd (序号) VALUES (900);"
                         "INSERT INTO Xtsz (Class) VALUES ('new');",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  auto counts = [&] {
    return std::vector<int64_t>{Count(kMain, u"Part"), Count(kMain, u"Sjzd"), Count(kMain, u"Xtsz")};
  };
  const std::vector<int64_t> old = counts();
  const std::vector<std::string> import = {"CommAccessImport", "C:\\data_backup\\source\\qe.asp", "C:\\data\\qe.asp",
                                           "Part|Sjzd|Xtsz|", "True"};
  for (const char* moment : {"imported#1", "imported#2", "imported#3"}) {
    SCOPED_TRACE(moment);
    ASSERT_TRUE(CallKilledAt(import, moment));
    EXPECT_EQ(counts(), old);
  }
  EXPECT_FALSE(CallKilledAt(import));
  EXPECT_EQ(counts(), (std::vector<int64_t>{old[0] + 1, old[1] + 1, old[2] + 1}));
}

}  // namespace
}  // namespace access_test
