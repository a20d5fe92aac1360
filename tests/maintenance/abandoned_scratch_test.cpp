// What a mount does with what a killed maintenance run left: it deletes
// only partial files and copies whose twin exists, and publishes a whole
// backup that never got its name.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "access_site.h"
#include "maintenance/private_files.h"
#include "platform/ado/jro.h"

namespace access_test {
namespace {

namespace stdfs = std::filesystem;

class AbandonedScratchTest : public AccessSiteTest {
 protected:
  // The number of a process that has ended.
  static pid_t EndedProcess() {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
  }
  // A backup folder left unpublished by the ended process, named for `final_name`.
  stdfs::path LeftBackup(const std::string& final_name, bool cut_short = false) {
    const std::string name = ".qe-tmp-" + std::to_string(dead_) + "-backup-" + final_name + "-0123456789abcdef";
    site_.MakeFolder("site/AutoBackup/" + name);
    const stdfs::path folder = site_.Host("site/AutoBackup/" + name);
    MakeDatabase(u"C:\\site\\data\\x.mdb", {u"Create Table t (a Long)"});
    stdfs::copy_file(site_.Host("site/data/x.mdb"), folder / "x.mdb");
    stdfs::remove(site_.Host("site/data/x.mdb"));
    // As a copy killed halfway is.
    if (cut_short) stdfs::resize_file(folder / "x.mdb", stdfs::file_size(folder / "x.mdb") - 100);
    return folder;
  }
  std::vector<std::string> Names(const char* folder) const {
    std::vector<std::string> names;
    for (const auto& e : stdfs::directory_iterator(site_.Host(folder))) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  const pid_t dead_ = EndedProcess();
};

TEST_F(AbandonedScratchTest, AWholeBackupIsPublishedAndAPartialOneOrATwinRemoved) {
  LeftBackup("whole");
  LeftBackup("partial", true);
  const stdfs::path twin = LeftBackup("twin");
  site_.MakeFolder("site/AutoBackup/twin");
  stdfs::copy_file(twin / "x.mdb", site_.Host("site/AutoBackup/twin/x.mdb"));
  qe::RemoveAbandonedScratch(site_.Host("site/AutoBackup"));
  EXPECT_EQ(Names("site/AutoBackup"), (std::vector<std::string>{"twin", "whole"}));
  EXPECT_TRUE(stdfs::exists(site_.Host("site/AutoBackup/whole/x.mdb")));
}

TEST_F(AbandonedScratchTest, AZeroedJournalGoesUnlessItsDatabaseIsInUse) {
  MakeDatabase(u"C:\\site\\data\\qe.asp", {u"Create Table t (a Long)"});
  site_.WriteFile("site/data/qe.asp-journal", std::string(512, '\0'));
  MakeDatabase(u"C:\\site\\data\\hot.asp", {u"Create Table t (a Long)"});
  site_.WriteFile("site/data/hot.asp-journal", "\xd9\xd5\x05\xf9\x20\xa1\x63\xd7 a hot journal");
  {
    // A writer at work: its journal stays.
    ado::DatabaseWriteLock writer(site_.Host("site/data/qe.asp"));
    qe::RemoveAbandonedScratch(site_.Host("site/data"));
    EXPECT_TRUE(stdfs::exists(site_.Host("site/data/qe.asp-journal")));
  }
  qe::RemoveAbandonedScratch(site_.Host("site/data"));
  EXPECT_FALSE(stdfs::exists(site_.Host("site/data/qe.asp-journal")));
  EXPECT_TRUE(stdfs::exists(site_.Host("site/data/hot.asp-journal")));
}

}  // namespace
}  // namespace access_test
