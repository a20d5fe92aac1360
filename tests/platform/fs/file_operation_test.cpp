// The shell's file operation on a temporary drive: what is left on disk.
#include <gtest/gtest.h>


#include "platform/fs/file_operation.h"
#include "support/site_files_test.h"

namespace {

namespace stdfs = std::filesystem;
using vb::String;

// "a|b" as the operation's list: each name followed by a NUL, then one more.
String List(std::u16string_view names) {
  String list;
  for (char16_t c : names) list += c == u'|' ? u'\0' : c;
  return list + String(2, u'\0');
}

class FileOperationTest : public qe_test::SiteFilesTest {
 protected:
  void SetUp() override {
    site_.WriteFile("site/a.txt", "A");
    site_.WriteFile("site/c.txt", "C");
    site_.WriteFile("site/tree/one.txt", "1");
    site_.WriteFile("site/tree/deep/two.txt", "2");
    site_.WriteFile("site/target/one.txt", "old");
    site_.WriteFile("site/target/keep.txt", "k");
  }

  int32_t Run(uint16_t function, std::u16string_view from, std::u16string_view to = {}) {
    return fs::SHFileOperation({function, List(from), to.empty() ? String() : List(to), 0x415});
  }

};

TEST_F(FileOperationTest, DeletesFilesAndWholeTreesForGood) {
  EXPECT_EQ(Run(fs::kFoDelete, u"C:\\site\\A.TXT|C:\\site\\tree"), 0);
  EXPECT_FALSE(Exists("site/a.txt"));
  EXPECT_FALSE(Exists("site/tree"));
  EXPECT_TRUE(Exists("site/c.txt"));
}

TEST_F(FileOperationTest, DoesNothingWhenASourceIsMissing) {
  EXPECT_EQ(Run(fs::kFoDelete, u"C:\\site\\a.txt|C:\\site\\missing.txt"), fs::kErrorFileNotFound);
  EXPECT_TRUE(Exists("site/a.txt"));
  EXPECT_EQ(Run(fs::kFoDelete, u""), fs::kDeInvalidFiles);
}

TEST_F(FileOperationTest, CopiesPairedSourcesOntoTheirDestinations) {
  EXPECT_EQ(Run(fs::kFoCopy, u"C:\\site\\a.txt|C:\\site\\c.txt", u"C:\\site\\new\\x.txt|C:\\site\\target"), 0);
  EXPECT_EQ(Content("site/new/x.txt"), "A");      // the missing folder is made
  EXPECT_EQ(Content("site/target/c.txt"), "C");   // a folder receives the file
  EXPECT_TRUE(Exists("site/a.txt"));
  EXPECT_EQ(Run(fs::kFoCopy, u"C:\\site\\a.txt", u"C:\\site\\c.txt"), 0);
  EXPECT_EQ(Content("site/c.txt"), "A");          // replaced without asking
}

TEST_F(FileOperationTest, MergesAFolderIntoAnExistingOne) {
  EXPECT_EQ(Run(fs::kFoCopy, u"C:\\site\\tree", u"C:\\site\\Target"), 0);
  EXPECT_EQ(Content("site/target/one.txt"), "1");
  EXPECT_EQ(Content("site/target/keep.txt"), "k");
  EXPECT_EQ(Content("site/target/deep/two.txt"), "2");
  EXPECT_TRUE(Exists("site/tree/deep/two.txt"));
}

TEST_F(FileOperationTest, MovesByRenamingOrByMerging) {
  EXPECT_EQ(Run(fs::kFoMove, u"C:\\site\\a.txt", u"C:\\site\\moved\\a2.txt"), 0);
  EXPECT_FALSE(Exists("site/a.txt"));
  EXPECT_EQ(Content("site/moved/a2.txt"), "A");
  EXPECT_EQ(Run(fs::kFoMove, u"C:\\site\\tree", u"C:\\site\\target"), 0);
  EXPECT_FALSE(Exists("site/tree"));
  EXPECT_EQ(Content("site/target/one.txt"), "1");
  EXPECT_EQ(Content("site/target/deep/two.txt"), "2");
  EXPECT_EQ(Content("site/target/keep.txt"), "k");
}

TEST_F(FileOperationTest, RenamesOnlyWithinTheFolderAndNeverOntoAnotherEntry) {
  EXPECT_EQ(Run(fs::kFoRename, u"C:\\site\\a.txt", u"C:\\site\\b.txt"), 0);
  EXPECT_EQ(Content("site/b.txt"), "A");
  EXPECT_EQ(Run(fs::kFoRename, u"C:\\site\\b.txt", u"C:\\site\\c.txt"), fs::kErrorAlreadyExists);
  EXPECT_EQ(Run(fs::kFoRename, u"C:\\site\\b.txt", u"C:\\site\\tree\\b.txt"), fs::kDeDiffDir);
  EXPECT_EQ(Run(fs::kFoRename, u"C:\\site\\tree", u"C:\\site\\TREE"), 0);  // case only
  EXPECT_TRUE(Exists("site/TREE/one.txt"));
  EXPECT_EQ(Content("site/b.txt"), "A");
}

TEST_F(FileOperationTest, RefusesAFolderIntoItsOwnTree) {
  EXPECT_EQ(Run(fs::kFoCopy, u"C:\\site\\tree", u"C:\\site\\tree\\deep\\copy"), fs::kDeDestSubtree);
  EXPECT_FALSE(Exists("site/tree/deep/copy"));
  EXPECT_EQ(Run(fs::kFoCopy, u"C:\\site\\a.txt", u"C:\\site\\A.txt"), fs::kDeSameFile);
  EXPECT_EQ(Content("site/a.txt"), "A");
}

TEST_F(FileOperationTest, StopsAtAFailureAndKeepsWhatWasDone) {
  site_.WriteFile("site/blocker", "a file where a folder should be");
  EXPECT_NE(Run(fs::kFoCopy, u"C:\\site\\a.txt|C:\\site\\tree|C:\\site\\c.txt",
                u"C:\\site\\out\\a.txt|C:\\site\\blocker\\tree|C:\\site\\out\\c.txt"),
            0);
  EXPECT_EQ(Content("site/out/a.txt"), "A");
  EXPECT_FALSE(Exists("site/out/c.txt"));
  EXPECT_EQ(Content("site/blocker"), "a file where a folder should be");
}

TEST_F(FileOperationTest, PairsEveryDestinationWithASource) {
  EXPECT_EQ(Run(fs::kFoCopy, u"C:\\site\\a.txt|C:\\site\\c.txt", u"C:\\site\\out"), fs::kDeManySrc1Dest);
  EXPECT_FALSE(Exists("site/out"));
}

TEST_F(FileOperationTest, ReadsTheListsUpToTheirDoubleNul) {
  String from = String(u"C:\\site\\a.txt") + u'\0' + u'\0' + u"C:\\site\\c.txt" + u'\0' + u'\0';
  EXPECT_EQ(fs::SHFileOperation({fs::kFoDelete, from, {}, 0x415}), 0);
  EXPECT_FALSE(Exists("site/a.txt"));
  EXPECT_TRUE(Exists("site/c.txt"));
}

TEST_F(FileOperationTest, SendsEverySourceIntoOneFolderWithoutPairing) {
  EXPECT_EQ(fs::SHFileOperation({fs::kFoCopy, List(u"C:\\site\\a.txt|C:\\site\\tree"), List(u"C:\\site\\all"), 0x414}), 0);
  EXPECT_EQ(Content("site/all/a.txt"), "A");
  EXPECT_EQ(Content("site/all/tree/deep/two.txt"), "2");
}

TEST_F(FileOperationTest, FailsOnPathsThatLeaveTheDrive) {
  EXPECT_NE(Run(fs::kFoCopy, u"C:\\site\\a.txt", u"C:\\..\\escaped.txt"), 0);
  EXPECT_FALSE(stdfs::exists(site_.Drive().parent_path() / "escaped.txt"));
  EXPECT_NE(Run(fs::kFoDelete, u"C:\\site\\..\\..\\"), 0);
  EXPECT_TRUE(Exists("site/a.txt"));
}

}  // namespace
