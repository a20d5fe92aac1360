// Compaction of the site's database files: parameters and messages, the
// backup it makes, and what it keeps of the data while pages use the files.
#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <thread>

#include "access_site.h"
#include "background_writer.h"
#include "facade/qecls.h"
#include "support/file_content.h"

namespace access_test {
namespace {

namespace stdfs = std::filesystem;

constexpr char16_t kMain[] = u"C:\\site\\data\\qe.asp";

class CompactionTest : public AccessSiteTest {
 protected:
  void SetUp() override {
    AccessSiteTest::SetUp();
    MakeFilled(kMain, 10);
  }
  // A database with `rows` rows left of many more, so that it has room to give back.
  void MakeFilled(StringView file, int rows) {
    Variant conn = MakeDatabase(file, {u"Create Table t (id Counter Primary Key, body Memo)"});
    com::Call(conn, u"BeginTrans");
    for (int i = 0; i < 200; ++i)
      com::Call(conn, u"Execute", u"Insert Into t (body) Values ('" + String(400, u'x') + u"')");
    com::Call(conn, u"CommitTrans");
    com::Call(conn, u"Execute", u"Delete From t Where id > " + vb::CStr(Variant(int32_t{rows})));
  }
  // The published ones: a scratch folder left behind is no backup.
  std::vector<stdfs::path> BackupFolders() const {
    std::vector<stdfs::path> out;
    if (stdfs::exists(site_.Host("site/AutoBackup")))
      for (const auto& e : stdfs::directory_iterator(site_.Host("site/AutoBackup")))
        if (!e.path().filename().string().starts_with(".qe-tmp-")) out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
  }
  bool ScratchIsEmpty() const { return !stdfs::exists(site_.Host("site/temp")) || stdfs::is_empty(site_.Host("site/temp")); }
  bool PageSays(StringView message) const { return Ended() && Body().find(u"对不起，" + String(message)) != String::npos; }
};

TEST_F(CompactionTest, TheDefaultsCompactTheMainFileAfterBackingItUp) {
  auto before = stdfs::file_size(site_.Host("site/data/qe.asp"));
  EXPECT_TRUE(Compact(u"$"));
  EXPECT_FALSE(Ended());
  EXPECT_LT(stdfs::file_size(site_.Host("site/data/qe.asp")), before);
  EXPECT_EQ(Count(kMain, u"t"), 10);
  auto backups = BackupFolders();
  ASSERT_EQ(backups.size(), 1u);
  std::string name = backups[0].filename().string();
  EXPECT_TRUE(std::regex_match(name, std::regex("【数据压缩维护自动备份】[0-9]{14}"))) << name;
  EXPECT_EQ(stdfs::file_size(backups[0] / "qe.asp"), before);  // the file as it was
  EXPECT_TRUE(ScratchIsEmpty());
}

TEST_F(CompactionTest, BadParametersAndFoldersEndTheRequestWithTheirMessages) {
  const std::vector<std::pair<String, String>> cases = {
      {u"", u"参数错误，压缩失败！"},
      {u"  ", u"参数错误，压缩失败！"},
      {u"/data", u"参数错误，压缩失败！"},
      {u"C:\\site\\nowhere$qe.asp", u"数据库路径错误，压缩失败！"},
  };
  for (const auto& [list, message] : cases) {
    SCOPED_TRACE(vb::ToUtf8(list));
    NewRequest();
    EXPECT_FALSE(Compact(list));
    EXPECT_TRUE(PageSays(message));
  }
  EXPECT_TRUE(BackupFolders().empty());
}

TEST_F(CompactionTest, AFileThatFailsFailsTheCallWhetherOrNotThePageSaysSo) {
  MakeFilled(u"C:\\site\\data\\b.mdb", 3);
  auto before = stdfs::file_size(site_.Host("site/data/b.mdb"));
  EXPECT_FALSE(Compact(u"/data$none.mdb|b.mdb|gone.mdb"));
  EXPECT_TRUE(PageSays(u"【none.mdb】【gone.mdb】文件没有压缩！"));
  EXPECT_LT(stdfs::file_size(site_.Host("site/data/b.mdb")), before);
  NewRequest();
  EXPECT_FALSE(Compact(u"$none.mdb", false));
  EXPECT_FALSE(Ended());
}

TEST_F(CompactionTest, BacksUpTheFilesItCompactsIntoAFolderOfItsOwn) {
  site_.MakeFolder("site/other");
  MakeFilled(u"C:\\site\\other\\x.mdb", 5);
  EXPECT_TRUE(Compact(u"C:\\site\\other$x.mdb|missing.mdb", false) == false);
  EXPECT_TRUE(Compact(u"/other$x.mdb"));
  EXPECT_TRUE(Compact(u"/other$x.mdb"));
  // Three in the same second do not share a folder: a taken name gets "_2", "_3".
  auto backups = BackupFolders();
  ASSERT_EQ(backups.size(), 3u);
  for (const auto& folder : backups) {
    EXPECT_TRUE(stdfs::exists(folder / "x.mdb"));
    EXPECT_FALSE(stdfs::exists(folder / "qe.asp"));  // not /data's files
  }
}

TEST_F(CompactionTest, AFileThatIsNoDatabaseFailsTheCallAndLeavesNoScratchFile) {
  site_.WriteFile("site/data/bad.mdb", "not a database");
  EXPECT_NE(ErrorOf([&] { Compact(u"$bad.mdb"); }), 0);
  EXPECT_TRUE(ScratchIsEmpty());
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/data/bad.mdb")), "not a database");
}

// A page that writes while the file is compacted: every row it committed is
// in the compacted file, and its connection goes on with that file.
TEST_F(CompactionTest, AWriterCommittingRowsMeanwhileLosesNothing) {
  Variant reader = Open(Jet(kMain));
  BackgroundWriter writer(kMain, u"Insert Into t (body) Values ('during')");
  bool all = true;
  for (int i = 0; i < 3; ++i) all &= Compact(u"$");
  writer.Stop();
  EXPECT_TRUE(all);
  EXPECT_EQ(writer.Failed(), 0);
  EXPECT_EQ(Count(kMain, u"t"), 10 + writer.Committed());
  EXPECT_EQ(vb::CLng(Scalar(reader, u"Select Count(*) From t")), 10 + writer.Committed());
  EXPECT_TRUE(ScratchIsEmpty());
}

// Each compaction has its own scratch file: two at once keep their databases apart.
TEST_F(CompactionTest, TwoCompactionsAtOnceKeepTheirDatabasesApart) {
  MakeFilled(u"C:\\site\\data\\b.mdb", 3);
  auto other = std::make_shared<qe::Kesra_Class_Access>();
  asp::Context context{asp::RequestSpec{}};
  Variant request = context.Request(), response = context.Response(), server = context.Server();
  bool first = false, second = false;
  for (int round = 0; round < 5; ++round) {
    std::thread a([&] { first = Compact(u"$qe.asp"); });
    std::thread b([&] { second = other->KesraAccessCompact(response, request, server, u"$b.mdb", true, false, u""); });
    a.join();
    b.join();
    ASSERT_TRUE(first && second);
  }
  EXPECT_EQ(Count(kMain, u"t"), 10);
  EXPECT_EQ(Count(u"C:\\site\\data\\b.mdb", u"t"), 3);
}

TEST_F(CompactionTest, TheFacadeForwardsWithItsDefaults) {
  Variant facade(std::make_shared<qe::QeCls>());
  EXPECT_TRUE(vb::CBool(com::Call(facade, u"CommAccessCompact", response_, request_, server_, String(u"$"))));
  EXPECT_EQ(Count(kMain, u"t"), 10);
}

}  // namespace
}  // namespace access_test
