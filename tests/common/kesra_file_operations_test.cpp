// Existence tests, creation, deletion, rename, copy and move on a temporary
// site, and what each leaves on disk.
#include <gtest/gtest.h>


#include "common/kesra_file_operations.h"
#include "platform/asp/context.h"
#include "support/site_files_test.h"

namespace {

namespace stdfs = std::filesystem;
using namespace qe;

class KesraFileOperationsTest : public qe_test::SiteFilesTest {
 protected:
  void SetUp() override {
    site_.WriteFile("site/data/qe.asp", "12345");
    site_.WriteFile("site/a.txt", "A");
    site_.WriteFile("site/b.txt", "B");
    site_.WriteFile("site/tree/one.txt", "1");
    site_.WriteFile("site/other/two.txt", "2");
  }

};

TEST_F(KesraFileOperationsTest, TestsExistenceWithoutCaseAndLiterally) {
  EXPECT_TRUE(KesraFolderExist(u"C:\\site\\Data"));
  EXPECT_TRUE(KesraFolderExist(u"/SITE/data/"));
  EXPECT_TRUE(KesraFolderExist(u"C:\\site\\a.txt"));  // a plain file answers too
  EXPECT_FALSE(KesraFolderExist(u"C:\\site\\none"));
  EXPECT_TRUE(KesraFileExist(u"C:\\SITE\\DATA\\QE.ASP", 0));
  EXPECT_FALSE(KesraFileExist(u"C:\\site\\data", 0));
  EXPECT_TRUE(KesraFileExist(u"C:\\site\\data", 16));
  EXPECT_FALSE(KesraFileExist(u"C:\\site\\*.txt", 0));
  EXPECT_FALSE(KesraFolderExist(u"C:\\site\\dat?"));
  EXPECT_FALSE(KesraFolderExist(u"C:\\..\\"));
  EXPECT_FALSE(KesraFileExist(u"Z:\\a.txt", 0));  // an unmapped drive
}

TEST_F(KesraFileOperationsTest, MeasuresOnlyOrdinaryFiles) {
  EXPECT_EQ(KesraFileGetSize(u"C:\\site\\data\\qe.asp"), 5);
  EXPECT_EQ(KesraFileGetSize(u"C:\\site\\data"), 0);
  EXPECT_EQ(KesraFileGetSize(u"C:\\site\\missing.txt"), 0);
}

TEST_F(KesraFileOperationsTest, CreatesWholeFolderChains) {
  EXPECT_TRUE(KesraFolderCreate(u" C:\\site\\x\\y\\z "));
  EXPECT_TRUE(stdfs::is_directory(site_.Host("site/x/y/z")));
  EXPECT_TRUE(KesraFolderCreate(u"C:\\site\\X\\Y\\"));  // there already
  EXPECT_TRUE(KesraFolderCreate(u"/A/B"));               // rooted on drive C:
  EXPECT_TRUE(stdfs::is_directory(site_.Host("A/B")));
  EXPECT_FALSE(KesraFolderCreate(u"C:\\site\\a.txt\\sub"));  // a file is in the way
  EXPECT_FALSE(KesraFolderCreate(u"C:\\..\\outside"));
  EXPECT_FALSE(KesraFolderCreate(u"C:\\site\\bad:name"));
}

TEST_F(KesraFileOperationsTest, DeletesAndCountsMissingEntriesAsDeleted) {
  EXPECT_TRUE(KesraFileDelete(u"C:\\site\\missing.txt", true));
  EXPECT_TRUE(KesraFolderDelete(u"C:\\site\\missing"));
  EXPECT_TRUE(KesraFileDelete(u"C:\\site\\*.txt", true));  // no file has that name
  EXPECT_TRUE(Exists("site/a.txt"));
  EXPECT_TRUE(KesraFileDelete(u"C:\\site\\A.TXT", false));
  EXPECT_FALSE(Exists("site/a.txt"));
  EXPECT_TRUE(KesraFolderDelete(u"C:\\site\\Tree"));
  EXPECT_FALSE(Exists("site/tree"));
  EXPECT_TRUE(KesraFileDelete(u"C:\\site\\data", true));  // a folder is no file: kept
  EXPECT_TRUE(Exists("site/data/qe.asp"));
}

TEST_F(KesraFileOperationsTest, RenamesWithTheFourCodes) {
  EXPECT_EQ(KesraFolderRename(u"C:\\site\\tree", u"C:\\site\\other"), kFileTargetExists);
  EXPECT_TRUE(Exists("site/tree/one.txt"));
  EXPECT_EQ(KesraFolderRename(u"C:\\site\\none", u"C:\\site\\other"), kFileSourceMissing);
  EXPECT_EQ(KesraFolderRename(u"C:\\site\\tree", u"C:\\site\\data\\tree"), kFileOperationFailed);
  EXPECT_EQ(KesraFolderRename(u"C:\\site\\tree", u"C:\\site\\renamed"), kFileOperationDone);
  EXPECT_TRUE(Exists("site/renamed/one.txt"));

  EXPECT_EQ(KesraFileRename(u"C:\\site\\a.txt", u"C:\\site\\b.txt"), kFileTargetExists);
  EXPECT_EQ(KesraFileRename(u"C:\\site\\none.txt", u"C:\\site\\b.txt"), kFileSourceMissing);
  EXPECT_EQ(KesraFileRename(u"C:\\site\\a.txt", u"C:\\site\\other"), kFileOperationFailed);  // a folder is there
  EXPECT_EQ(KesraFileRename(u"C:\\site\\a.txt", u"C:\\site\\c.txt"), kFileOperationDone);
  EXPECT_EQ(Content("site/c.txt"), "A");
  EXPECT_EQ(Content("site/b.txt"), "B");
}

TEST_F(KesraFileOperationsTest, CopiesOrMovesFoldersAsTheModesSay) {
  EXPECT_EQ(KesraFolderCopyMove(u"C:\\site\\none", u"C:\\site\\x", u"copy", u""), kFileSourceMissing);
  EXPECT_EQ(KesraFolderCopyMove(u"C:\\site\\tree", u"C:\\site\\other", u"copy", u"no"), kFileTargetExists);
  EXPECT_EQ(KesraFolderCopyMove(u"C:\\site\\tree", u"C:\\site\\other", u"COPY", u"OverWrite"), kFileOperationDone);
  EXPECT_EQ(Content("site/other/one.txt"), "1");  // merged
  EXPECT_EQ(Content("site/other/two.txt"), "2");
  EXPECT_TRUE(Exists("site/tree/one.txt"));
  EXPECT_EQ(KesraFolderCopyMove(u"C:\\site\\tree", u"C:\\site\\tree\\inside", u"copy", u"overwrite"),
            kFileOperationFailed);
  EXPECT_EQ(KesraFolderCopyMove(u"C:\\site\\tree", u"C:\\site\\moved", u"cut", u""), kFileOperationDone);
  EXPECT_FALSE(Exists("site/tree"));  // any mode but "copy" moves
  EXPECT_EQ(Content("site/moved/one.txt"), "1");
  EXPECT_EQ(KesraFolderCopyMove(u"C:\\site\\moved", u"C:\\site\\x", u" copy", u""), kFileOperationDone);
  EXPECT_FALSE(Exists("site/moved"));  // modes are not trimmed: " copy" moves
}

TEST_F(KesraFileOperationsTest, CopiesOrMovesFiles) {
  EXPECT_EQ(KesraFileCopyMove(u"C:\\site\\a.txt", u"C:\\site\\b.txt", u"copy", u""), kFileTargetExists);
  EXPECT_EQ(KesraFileCopyMove(u"C:\\site\\a.txt", u"C:\\site\\b.txt", u"copy", u"overwrite"), kFileOperationDone);
  EXPECT_EQ(Content("site/b.txt"), "A");
  EXPECT_EQ(KesraFileCopyMove(u"C:\\site\\a.txt", u"C:\\site\\new\\a.txt", u"move", u""), kFileOperationDone);
  EXPECT_FALSE(Exists("site/a.txt"));
  EXPECT_EQ(Content("site/new/a.txt"), "A");
  EXPECT_EQ(KesraFileCopyMove(u"C:\\site\\data", u"C:\\site\\x", u"copy", u""), kFileSourceMissing);
  EXPECT_EQ(KesraFileCopyMove(u"C:\\site\\b.txt", u"C:\\..\\b.txt", u"copy", u""), kFileOperationFailed);
  EXPECT_FALSE(stdfs::exists(site_.Drive().parent_path() / "b.txt"));
}

TEST_F(KesraFileOperationsTest, ShellOperationTakesListsAndTheAnsiForm) {
  EXPECT_TRUE(KesraShellFileOperation(u"C:\\site\\a.txt|C:\\site\\b.txt", u"C:\\site\\c\\a.txt|C:\\site\\c\\b.txt", 2));
  EXPECT_EQ(Content("site/c/b.txt"), "B");
  EXPECT_TRUE(KesraShellFileOperation(u"C:\\site\\c\\a.txt|C:\\site\\c\\b.txt", u"", 3));
  EXPECT_FALSE(Exists("site/c/a.txt"));
  EXPECT_FALSE(KesraShellFileOperation(u"", u"", 3));
  site_.WriteFile("site/ĉ.txt", "x");  // a name code page 936 cannot write
  EXPECT_FALSE(KesraShellFileOperation(u"C:\\site\\ĉ.txt", u"", 3));
  EXPECT_TRUE(Exists("site/ĉ.txt"));
}

class KesraFileDeleteImageTest : public KesraFileOperationsTest {
 protected:
  void SetUp() override {
    KesraFileOperationsTest::SetUp();
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) site_.WriteFile(std::string("site/Data_UploadFiles/") + name);
  }
  bool DeleteImages(const vb::String& html) {
    asp::Context context{asp::RequestSpec{}};
    vb::Variant server = context.Server();
    return KesraFileDeleteImage(server, html);
  }
};

TEST_F(KesraFileDeleteImageTest, DeletesTheUploadedImagesThatTheTextNames) {
  EXPECT_TRUE(DeleteImages(u"<p><img src='/Data_UploadFiles/a.jpg'> and <img src='/data_uploadfiles/B.JPG'></p>"));
  EXPECT_FALSE(Exists("site/Data_UploadFiles/a.jpg"));
  EXPECT_FALSE(Exists("site/Data_UploadFiles/b.jpg"));
  EXPECT_TRUE(DeleteImages(u"<img src='C:\\site\\Data_UploadFiles\\c.jpg'>"));
  EXPECT_FALSE(Exists("site/Data_UploadFiles/c.jpg"));
}

TEST_F(KesraFileDeleteImageTest, LeavesEverythingOutsideTheUploadFolder) {
  EXPECT_TRUE(DeleteImages(u"<img src='/data/qe.asp'><img src='C:\\site\\a.txt'>"
                           u"<img src='/Data_UploadFiles/../data/qe.asp'><img src='http://x/a.jpg'>"));
  EXPECT_TRUE(Exists("site/data/qe.asp"));
  EXPECT_TRUE(Exists("site/a.txt"));
}

TEST_F(KesraFileDeleteImageTest, ReadsOnlyTagsWrittenTheOneWay) {
  EXPECT_TRUE(DeleteImages(u"<img src=\"/Data_UploadFiles/a.jpg\">"));
  EXPECT_TRUE(DeleteImages(u"<img src='/Data_UploadFiles/b.jpg' border='0'>"));
  EXPECT_TRUE(Exists("site/Data_UploadFiles/a.jpg"));
  EXPECT_TRUE(Exists("site/Data_UploadFiles/b.jpg"));
}

TEST_F(KesraFileDeleteImageTest, ReportsUnreadableTagsAndGoesOn) {
  EXPECT_FALSE(DeleteImages(u"<img src='/../x.jpg'><img src='/Data_UploadFiles/a.jpg'>"));
  EXPECT_FALSE(Exists("site/Data_UploadFiles/a.jpg"));
  EXPECT_FALSE(DeleteImages(u"<img src='<img src='/Data_UploadFiles/b.jpg'>"));
  EXPECT_FALSE(Exists("site/Data_UploadFiles/b.jpg"));
  EXPECT_FALSE(DeleteImages(u"text ending in <img src='"));
  EXPECT_TRUE(DeleteImages(u"no images at all"));
}

}  // namespace
