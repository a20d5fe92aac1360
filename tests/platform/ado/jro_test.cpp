// Compaction into a new file, and putting the compacted file in place while
// other connections have the database open.
#include "platform/ado/jro.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "ado_fixture.h"
#include "platform/ado/database_file.h"
#include "platform/ado/database_properties.h"
#include "platform/ado/errors.h"
#include "platform/fs/scratch_names.h"
#include "platform/sys/stop_points.h"
#include "support/run_command.h"
#include "support/stopped_child.h"

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

TEST_F(JroTest, ACopyIsOneMomentOfTheDatabaseAndItsCounterMovesWithEveryCommit) {
  auto live = site_.Host("site/data/qe.asp");
  ado::ChangeCounter first = ado::CopyDatabase(live, site_.Host("site/temp/a.mdb"));
  EXPECT_EQ(vb::CLng(Scalar(Open(Jet(u"C:\\site\\temp\\a.mdb")), u"Select Count(*) From t")), 10);
  com::Call(Open(Jet(kSource)), u"Execute", String(u"Insert Into t (body) Values ('one more')"));
  ado::ChangeCounter second = ado::CopyDatabase(live, site_.Host("site/temp/b.mdb"));
  EXPECT_NE(second, first);
  EXPECT_EQ(vb::CLng(Scalar(Open(Jet(u"C:\\site\\temp\\b.mdb")), u"Select Count(*) From t")), 11);
  EXPECT_EQ(ErrorOf([&] { ado::CopyDatabase(live, site_.Host("site/temp/b.mdb")); }), ado::kDbDatabaseExists);
}

TEST_F(JroTest, AReplacementMadeBeforeAWriteIsNotPutInPlace) {
  auto live = site_.Host("site/data/qe.asp");
  auto scratch = site_.Host("site/temp/temp.mdb");
  ado::ChangeCounter counter = ado::CopyDatabase(live, site_.Host("site/temp/copy.mdb"));
  Compact(u"C:\\site\\temp\\copy.mdb", kScratch);
  Variant writer = Open(Jet(kSource));
  com::Call(writer, u"Execute", String(u"Insert Into t (body) Values ('written meanwhile')"));
  EXPECT_FALSE(ado::ReplaceDatabaseIfUnchanged(live, scratch, counter));
  EXPECT_TRUE(std::filesystem::exists(scratch));
  EXPECT_EQ(vb::CLng(Scalar(writer, u"Select Count(*) From t")), 11);
  // From a copy of the present state it goes in, and the writer sees it.
  std::filesystem::remove(scratch);
  counter = ado::CopyDatabase(live, site_.Host("site/temp/copy2.mdb"));
  Compact(u"C:\\site\\temp\\copy2.mdb", kScratch);
  auto before = std::filesystem::file_size(live);
  EXPECT_TRUE(ado::ReplaceDatabaseIfUnchanged(live, scratch, counter));
  EXPECT_FALSE(std::filesystem::exists(scratch));
  EXPECT_LT(std::filesystem::file_size(live), before);
  EXPECT_EQ(vb::CLng(Scalar(writer, u"Select Count(*) From t")), 11);
}

TEST_F(JroTest, AMissingTargetIsMadeFromTheReplacement) {
  Compact(kSource, kScratch);
  auto target = site_.Host("site/rebuilt/qe.asp");
  std::filesystem::create_directories(target.parent_path());
  ado::ReplaceDatabase(target, site_.Host("site/temp/temp.mdb"));
  EXPECT_EQ(vb::CLng(Scalar(Open(Jet(u"C:\\site\\rebuilt\\qe.asp")), u"Select Count(*) From t")), 10);
  EXPECT_FALSE(std::filesystem::exists(site_.Host("site/temp/temp.mdb")));
  // Only a replacement that checks the counter refuses a file that has gone.
  Compact(kSource, kScratch);
  EXPECT_FALSE(ado::ReplaceDatabaseIfUnchanged(site_.Host("site/none.mdb"), site_.Host("site/temp/temp.mdb"), 0));
}

// Made on another file system (a drive of its own in memory), a missing
// target is first copied onto its file system: a kill there leaves scratch
// only where a mount clears it, the root of the target's drive.
TEST_F(JroTest, AMissingTargetMadeAcrossFileSystemsLeavesScratchOnlyWhereAMountClearsIt) {
  char pattern[] = "/dev/shm/qe-drive-XXXXXX";
  struct stat site {}, memory {};
  if (!::mkdtemp(pattern)) GTEST_SKIP() << "no /dev/shm";
  const std::filesystem::path drive = pattern;
  struct Unmap {
    std::filesystem::path folder;
    ~Unmap() {
      fs::UnmapDrive(u'D');
      std::filesystem::remove_all(folder);
    }
  } unmap{drive};
  if (::stat(drive.c_str(), &memory) != 0 || ::stat(site_.Host("").c_str(), &site) != 0 || memory.st_dev == site.st_dev)
    GTEST_SKIP() << "/dev/shm is on the site's file system";
  fs::MapDrive(u'D', drive);
  std::filesystem::create_directories(drive / "rebuilt");
  Compact(kSource, kScratch);
  ASSERT_NE(qe_test::KilledAtStep("crossed",
                                   [&] { ado::ReplaceDatabase(drive / "rebuilt" / "qe.asp", site_.Host("site/temp/temp.mdb")); }),
            0);
  for (const auto& left : fs::AbandonedScratchIn(drive)) std::filesystem::remove_all(left);
  std::vector<std::string> kept;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(drive))
    kept.push_back(entry.path().lexically_relative(drive).string());
  EXPECT_EQ(kept, std::vector<std::string>{"rebuilt"});
}

TEST_F(JroTest, WritersWaitForTheWriteLockAndReadersDoNot) {
  Variant reader = Open(Jet(kSource));
  std::chrono::steady_clock::time_point written;
  std::thread writer;
  {
    ado::DatabaseWriteLock lock(site_.Host("site/data/qe.asp"));
    writer = std::thread([&] {
      Variant conn = Open(Jet(kSource));
      com::Call(conn, u"Execute", String(u"Insert Into t (body) Values ('waited')"));
      written = std::chrono::steady_clock::now();
    });
    EXPECT_EQ(vb::CLng(Scalar(reader, u"Select Count(*) From t")), 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  auto released = std::chrono::steady_clock::now();
  writer.join();
  EXPECT_GE(written, released);
  EXPECT_EQ(vb::CLng(Scalar(reader, u"Select Count(*) From t")), 11);
}

// Another process (the engine's own shell here) must find the write lock
// held whatever this process opens and closes meanwhile: the engine's usual
// locks belong to the process and go with the first descriptor it closes.
TEST_F(JroTest, TheWriteLockHoldsAgainstOtherProcessesWhenAnotherDescriptorCloses) {
  const auto file = site_.Host("site/data/qe.asp");
  auto write_elsewhere = [&] {
    return qe_test::RunCommand("sqlite3 -cmd '.timeout 0' " + qe_test::ShellQuoted(file.string()) +
                               " 'BEGIN IMMEDIATE; COMMIT;' 2>&1");
  };
  {
    ado::DatabaseWriteLock lock(file);
    EXPECT_TRUE(ado::IsDatabaseFile(file));  // opens and closes a descriptor of its own
    ado::CopyDatabase(file, site_.Host("site/temp/copy.mdb"));
    qe_test::CommandResult refused = write_elsewhere();
    EXPECT_NE(refused.output.find("locked"), std::string::npos) << refused.output;
  }
  EXPECT_EQ(write_elsewhere().status, 0);
}

// What a file is, for one who would put another in its place without the
// engine: only its own bytes make it no database. One that a writer of
// another process holds, an empty one being made included, is undecided.
TEST_F(JroTest, OnlyAFilesOwnBytesMakeItNoDatabase) {
  using Format = ado::DatabaseFileFormat;
  site_.WriteFile("site/temp/text.mdb", "not a database at all");
  site_.WriteFile("site/temp/empty.mdb", "");
  EXPECT_EQ(ado::FormatOfDatabaseFile(site_.Host("site/data/qe.asp")), Format::kDatabase);
  EXPECT_EQ(ado::FormatOfDatabaseFile(site_.Host("site/temp/text.mdb")), Format::kNotADatabase);
  EXPECT_EQ(ado::FormatOfDatabaseFile(site_.Host("site/temp/empty.mdb")), Format::kDatabase);
  EXPECT_EQ(ado::FormatOfDatabaseFile(site_.Host("site/temp/missing.mdb")), Format::kUndecided);
  for (const char* held : {"site/data/qe.asp", "site/temp/empty.mdb"}) {
    SCOPED_TRACE(held);
    const auto file = site_.Host(held);
    qe_test::StoppedAtStep writer("held", [&] {
      sqlite3* db = nullptr;
      sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
      if (sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK) sys::StopPoint("held");
    });
    ASSERT_TRUE(writer.Stopped());
    EXPECT_EQ(ado::FormatOfDatabaseFile(file), Format::kUndecided);
  }
}

TEST_F(JroTest, ADatabaseKeepsPropertiesOfItsOwnBesideItsTables) {
  auto file = site_.Host("site/data/qe.asp");
  EXPECT_EQ(ado::DatabaseProperty(file, u"Stamp"), u"");
  ado::SetDatabaseProperty(file, u"Stamp", u"1");
  EXPECT_EQ(ado::DatabaseProperty(file, u"stamp"), u"1");
  EXPECT_EQ(vb::CLng(Scalar(Open(Jet(kSource)), u"Select Count(*) From t")), 10);
}

// A replacement waits for a transaction on the old file; when that commits,
// a replacement made before it is refused and the committed row stays.
TEST_F(JroTest, AReplacementWaitsForATransactionOnTheOldFile) {
  auto live = site_.Host("site/data/qe.asp");
  ado::ChangeCounter counter = ado::CopyDatabase(live, site_.Host("site/temp/copy.mdb"));
  Compact(u"C:\\site\\temp\\copy.mdb", kScratch);
  Variant writer = Open(Jet(kSource));
  com::Call(writer, u"BeginTrans");
  com::Call(writer, u"Execute", String(u"Insert Into t (body) Values ('in a transaction')"));
  std::atomic<bool> done{false};
  bool swapped = true;
  std::thread swap([&] {
    swapped = ado::ReplaceDatabaseIfUnchanged(live, site_.Host("site/temp/temp.mdb"), counter);
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(done);
  com::Call(writer, u"CommitTrans");
  swap.join();
  EXPECT_FALSE(swapped);
  EXPECT_EQ(vb::CLng(Scalar(Open(Jet(kSource)), u"Select Count(*) From t")), 11);
}

// A file put in place by renaming reaches a connection at its next
// transaction, with the new file's tables, not what it cached of the old.
TEST_F(JroTest, AConnectionGoesOnWithTheFileThatTookTheNameOfItsOwn) {
  Variant held = Open(Jet(kSource));
  ASSERT_EQ(vb::CLng(Scalar(held, u"Select Count(*) From t")), 10);
  NewDatabase("site/temp/other.mdb");
  com::Call(Open(Jet(u"C:\\site\\temp\\other.mdb")), u"Execute",
            String(u"Create Table t (id Counter Primary Key, body Memo, extra Long)"));
  ado::ReplaceDatabase(site_.Host("site/data/qe.asp"), site_.Host("site/temp/other.mdb"));
  EXPECT_EQ(vb::CLng(Scalar(held, u"Select Count(*) From t")), 0);
  com::Call(held, u"Execute", String(u"Insert Into t (body, extra) Values ('new', 5)"));
  EXPECT_EQ(vb::CLng(Scalar(Open(Jet(kSource)), u"Select extra From t")), 5);
}

}  // namespace
}  // namespace ado_test
