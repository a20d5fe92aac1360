// "Scripting.FileSystemObject" through late binding, as pages use it.
#include <gtest/gtest.h>

#include "platform/com/registry.h"
#include "platform/fs/file_system_object.h"
#include "platform/vb/raises.h"
#include "support/site_files_test.h"

namespace {

namespace stdfs = std::filesystem;
using com::Call;
using vb::String;
using vb::Variant;

class FileSystemObjectTest : public qe_test::SiteFilesTest {
 protected:
  void SetUp() override {
    site_.WriteFile("site/data/qe.asp", "12345");
    site_.WriteFile("site/up/a.jpg", "aa");
    site_.WriteFile("site/up/b.jpg", "bbb");
    site_.WriteFile("site/up/c.gif", "c");
    site_.WriteFile("site/up/sub/d.jpg", "dddd");
  }

  Variant fso_ = Variant(com::CreateObject(u"Scripting.FileSystemObject"));
};

TEST_F(FileSystemObjectTest, NamesAndMakesTheSpecialFolders) {
  Variant system = Call(fso_, u"GetSpecialFolder", int32_t{1});
  EXPECT_EQ(vb::CStr(com::ValueOf(system)), u"C:\\Windows\\System32");
  EXPECT_TRUE(stdfs::is_directory(site_.Host("Windows/System32")));
  EXPECT_EQ(vb::CStr(Call(Call(fso_, u"GetSpecialFolder", int32_t{2}), u"Path")), u"C:\\Windows\\Temp");
  EXPECT_RAISES(vb::kInvalidProcedureCall, Call(fso_, u"GetSpecialFolder", int32_t{3}));
  fs::UnmapDrive(u'C');  // no drive: the folder is still named
  EXPECT_EQ(vb::CStr(com::ValueOf(Call(fso_, u"GetSpecialFolder", int32_t{0}))), u"C:\\Windows");
}

TEST_F(FileSystemObjectTest, TestsExistenceLiterallyAndWithoutCase) {
  EXPECT_TRUE(vb::CBool(Call(fso_, u"FileExists", u"C:\\Site\\DATA\\qe.asp")));
  EXPECT_FALSE(vb::CBool(Call(fso_, u"FileExists", u"C:\\site\\data")));
  EXPECT_TRUE(vb::CBool(Call(fso_, u"FolderExists", u"C:\\site\\data")));
  EXPECT_FALSE(vb::CBool(Call(fso_, u"FolderExists", u"C:\\site\\data\\qe.asp")));
  EXPECT_FALSE(vb::CBool(Call(fso_, u"FileExists", u"C:\\site\\up\\*.jpg")));
  EXPECT_FALSE(vb::CBool(Call(fso_, u"FileExists", u"C:\\..\\etc\\passwd")));
}

TEST_F(FileSystemObjectTest, GivesFilesAndFoldersWithNameAndSize) {
  Variant file = Call(fso_, u"GetFile", u"c:\\site\\DATA\\QE.asp");
  EXPECT_EQ(vb::CStr(Call(file, u"Name")), u"qe.asp");
  EXPECT_EQ(vb::CDbl(Call(file, u"Size")), 5);
  EXPECT_EQ(vb::CStr(Call(file, u"Path")), u"c:\\site\\DATA\\QE.asp");
  Variant folder = Call(fso_, u"GetFolder", u"C:\\site\\up\\");
  EXPECT_EQ(vb::CStr(Call(folder, u"Name")), u"up");
  EXPECT_EQ(vb::CDbl(Call(folder, u"Size")), 10);  // the sub-folder's files count too
  EXPECT_EQ(vb::CLng(Call(Call(folder, u"Files"), u"Count")), 3);
  Variant subfolders = Call(folder, u"SubFolders");
  EXPECT_EQ(vb::CLng(Call(subfolders, u"Count")), 1);
  EXPECT_EQ(vb::CStr(Call(Call(subfolders, u"Item", u"SUB"), u"Path")), u"C:\\site\\up\\sub");
  EXPECT_RAISES(vb::kFileNotFound, Call(fso_, u"GetFile", u"C:\\site\\nothing.txt"));
  EXPECT_RAISES(vb::kPathNotFound, Call(fso_, u"GetFolder", u"C:\\site\\nothing"));
}

TEST_F(FileSystemObjectTest, CreatesOneFolderAtATime) {
  Call(fso_, u"CreateFolder", u"C:\\site\\new");
  EXPECT_TRUE(Exists("site/new"));
  EXPECT_RAISES(vb::kFileAlreadyExists, Call(fso_, u"CreateFolder", u"C:\\site\\NEW"));
  EXPECT_RAISES(vb::kPathNotFound, Call(fso_, u"CreateFolder", u"C:\\site\\a\\b"));
}

TEST_F(FileSystemObjectTest, DeletesByMaskAndRespectsReadOnlyUnlessForced) {
  Call(fso_, u"DeleteFile", u"C:\\site\\up\\*.jpg");
  EXPECT_FALSE(Exists("site/up/a.jpg"));
  EXPECT_FALSE(Exists("site/up/b.jpg"));
  EXPECT_TRUE(Exists("site/up/c.gif"));
  EXPECT_TRUE(Exists("site/up/sub/d.jpg"));
  EXPECT_RAISES(vb::kFileNotFound, Call(fso_, u"DeleteFile", u"C:\\site\\up\\*.jpg"));

  stdfs::permissions(site_.Host("site/up/c.gif"), stdfs::perms::owner_write, stdfs::perm_options::remove);
  EXPECT_RAISES(vb::kPermissionDenied, Call(fso_, u"DeleteFile", u"C:\\site\\up\\c.gif"));
  EXPECT_TRUE(Exists("site/up/c.gif"));
  EXPECT_RAISES(vb::kPermissionDenied, Call(fso_, u"DeleteFolder", u"C:\\site\\up"));
  Call(fso_, u"DeleteFolder", u"C:\\site\\up", true);
  EXPECT_FALSE(Exists("site/up"));
  EXPECT_RAISES(vb::kPathNotFound, Call(fso_, u"DeleteFolder", u"C:\\site\\up"));
}

TEST_F(FileSystemObjectTest, CopiesOntoANameOrIntoAFolder) {
  Call(fso_, u"CopyFile", u"C:\\site\\up\\a.jpg", u"C:\\site\\data\\");
  EXPECT_TRUE(Exists("site/data/a.jpg"));
  Call(fso_, u"CopyFile", u"C:\\site\\up\\b.jpg", u"C:\\site\\data\\a.jpg");
  EXPECT_EQ(stdfs::file_size(site_.Host("site/data/a.jpg")), 3u);
  EXPECT_RAISES(vb::kFileAlreadyExists, Call(fso_, u"CopyFile", u"C:\\site\\up\\a.jpg", u"C:\\site\\data\\a.jpg", false));
  EXPECT_RAISES(vb::kPathNotFound, Call(fso_, u"CopyFile", u"C:\\site\\up\\*.jpg", u"C:\\site\\none\\"));
  Call(fso_, u"MoveFile", u"C:\\site\\up\\c.gif", u"C:\\site\\data");
  EXPECT_TRUE(Exists("site/data/c.gif"));
  EXPECT_FALSE(Exists("site/up/c.gif"));
}

}  // namespace
