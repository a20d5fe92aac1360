// What a mount does with what a killed maintenance run left: it deletes
// only partial files and copies whose twin exists, and publishes a whole
// backup that never got its name.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "access_site.h"
#include "maintenance/private_files.h"
#include "platform/ado/jro.h"
#include "platform/fs/paths.h"
#include "platform/sys/process_start.h"
#include "support/killed_in_commit.h"

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
  // Its name taken by another backup: it is published under the next one.
  LeftBackup("taken");
  site_.WriteFile("site/AutoBackup/taken/other.mdb", "another backup");
  qe::RemoveAbandonedScratch(site_.Host("site/AutoBackup"));
  EXPECT_EQ(Names("site/AutoBackup"), (std::vector<std::string>{"taken", "taken_2", "twin", "whole"}));
  EXPECT_TRUE(stdfs::exists(site_.Host("site/AutoBackup/whole/x.mdb")));
  EXPECT_TRUE(stdfs::exists(site_.Host("site/AutoBackup/taken_2/x.mdb")));
}

// Whose scratch is abandoned: a process number alone is taken again once
// numbers wrap, so a name's start time must be its process's too.
TEST_F(AbandonedScratchTest, ScratchGoesWhenItsProcessIsGoneOrTheNumberIsAnothersNow) {
  const std::string me = std::to_string(::getpid());
  const uint64_t started = *sys::ProcessStartTime(::getpid());
  // Folders (a rebuild's) and files; a name without the start time was made
  // by an earlier version, and not by a process that started after it.
  const struct {
    std::string name;
    bool before_me;  // last changed before this process started
    bool kept;
  } cases[] = {
      {".qe-tmp-" + me + "." + std::to_string(started) + "-rebuild-0123456789abcdef/", false, true},
      {".qe-tmp-" + me + "-rebuild-0123456789abcdef/", false, true},
      {".qe-tmp-" + me + "-rebuild-fedcba9876543210/", true, false},
      {".qe-tmp-" + me + "." + std::to_string(started + 1) + "-rebuild-0123456789abcdef/", false, false},
      {".qe-tmp-" + std::to_string(dead_) + "-compact-0123456789abcdef.mdb", false, false},
      // Temporaries of earlier versions.
      {".qe-new-a1b2c3", false, false},
      {".qe-new-a1b2c", false, true},
      {"compact-0123456789abcdef.mdb", false, false},
      {".qe-zip-0123456789abcdef", false, false},
      {".qe-zip-0123456789abcdef.Ab12Cd", false, false},
      {".qe-extract-Ab12Cd/", false, false},
      {"qe.asp.qe-new", false, false},
      {"qe.asp.qe-newer", false, true},
  };
  for (const auto& c : cases) {
    site_.WriteFile("site/temp/" + c.name + (c.name.ends_with('/') ? "qe.asp" : ""), "scratch");
    if (c.before_me)
      stdfs::last_write_time(site_.Host("site/temp/" + c.name),
                             stdfs::file_time_type::clock::now() - std::chrono::hours(1));
  }
  qe::RemoveAbandonedScratch(site_.Host("site/temp"));
  for (const auto& c : cases) EXPECT_EQ(stdfs::exists(site_.Host("site/temp/" + c.name)), c.kept) << c.name;
}

// A journal goes when the engine would not play it back, as the engine
// decides from its first bytes and header; one it would play back, a dead
// writer's, is played back by the engine, which leaves the database as it
// was before the cut commit.
TEST_F(AbandonedScratchTest, ADeadJournalGoesAndAHotOneIsPlayedBack) {
  auto journal = [](std::string_view magic, uint32_t sector, uint32_t page, size_t size) {
    std::string bytes(size, '\0');
    bytes.replace(0, magic.size(), magic);
    auto put = [&](size_t at, uint32_t n) {
      for (int i = 3; i >= 0; --i, n >>= 8) bytes[at + static_cast<size_t>(i)] = static_cast<char>(n & 0xff);
    };
    put(8, 1);          // records
    put(12, 0x5eed);    // checksum seed
    put(16, 2);         // pages before
    put(20, sector);
    put(24, page);
    return bytes;
  };
  const std::string magic("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8), unsynced(8, '\0');
  const struct {
    const char* database;
    std::string journal;
  } dead[] = {
      {"zeroed", std::string(512, '\0')},
      {"unsynced", journal(unsynced, 512, 4096, 4608)},  // its magic is written when it is synced
      {"torn", journal(magic, 0, 4096, 4608)},
      {"short", journal(magic, 512, 4096, 100)},
      {"orphan", journal(magic, 512, 4096, 4608)},  // its database is gone
  };
  for (const auto& c : dead) {
    MakeDatabase(u"C:\\site\\data\\" + vb::FromUtf8(c.database) + u".asp", {u"Create Table t (a Long)"});
    site_.WriteFile(std::string("site/data/") + c.database + ".asp-journal", c.journal);
  }
  stdfs::remove(site_.Host("site/data/orphan.asp"));
  // Hot journals: a dead writer's, and the same with the page size an old
  // engine wrote (0: the database's own), which the engine plays back too.
  const char* const hot[] = {"hot", "hot_old"};
  for (const char* name : hot) {
    const vb::String database = u"C:\\site\\data\\" + vb::FromUtf8(name) + u".asp";
    MakeDatabase(database, {u"Create Table t (a Long)", u"Insert Into t Values (1)"});
    ASSERT_EQ(qe_test::CommitsBeforeKilled(fs::ToHostPath(database), [](int) { return "UPDATE t SET a = 2"; }, 1), 0);
  }
  {
    std::fstream old(site_.Host("site/data/hot_old.asp-journal"), std::ios::in | std::ios::out | std::ios::binary);
    old.seekp(24);
    old.write("\0\0\0\0", 4);
  }
  {
    // A writer at work: its journal stays, whatever it holds.
    ado::DatabaseWriteLock writer(site_.Host("site/data/zeroed.asp"));
    qe::RemoveAbandonedScratch(site_.Host("site/data"));
    EXPECT_TRUE(stdfs::exists(site_.Host("site/data/zeroed.asp-journal")));
  }
  qe::RemoveAbandonedScratch(site_.Host("site/data"));
  for (const auto& c : dead)
    EXPECT_FALSE(stdfs::exists(site_.Host(std::string("site/data/") + c.database + ".asp-journal"))) << c.database;
  for (const char* name : hot) {
    const vb::String database = u"C:\\site\\data\\" + vb::FromUtf8(name) + u".asp";
    EXPECT_FALSE(stdfs::exists(fs::ToHostPath(database + u"-journal"))) << name;
    EXPECT_EQ(vb::CLng(Scalar(Open(Jet(database)), u"Select a From t")), 1) << name;
  }
}

}  // namespace
}  // namespace access_test
