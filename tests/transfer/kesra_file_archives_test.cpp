// Packing and unpacking in a site folder: the rar tool's command lines, the
// zip class, and names from the page that must stay inside the folder.
#include <gtest/gtest.h>

#include <set>

#include "common/kesra_file_resources.h"
#include "page/kesra_opener_refresh.h"
#include "platform/asp/context.h"
#include "platform/com/registry.h"
#include "platform/fs/paths.h"
#include "platform/sys/environ.h"
#include "platform/sys/programs.h"
#include "platform/vb/raises.h"
#include "facade/qecls.h"
#include "support/archive_bytes.h"
#include "support/file_content.h"
#include "support/temp_site.h"
#include "transfer/kesra_class_zip.h"
#include "transfer/kesra_file_archives.h"

namespace {

namespace stdfs = std::filesystem;
using namespace qe;
using vb::String;

// A second drive on its own temporary folder.
class MappedDrive {
 public:
  explicit MappedDrive(char16_t letter) : letter_(letter) {
    std::string pattern = (stdfs::temp_directory_path() / "qe-drive-XXXXXX").string();
    if (::mkdtemp(pattern.data())) folder_ = pattern;
    fs::MapDrive(letter_, folder_);
  }
  ~MappedDrive() {
    fs::UnmapDrive(letter_);
    std::error_code ignored;
    stdfs::remove_all(folder_, ignored);
  }

 private:
  char16_t letter_;
  stdfs::path folder_;
};

const String& Done() {
  static const String script = KesraOpenerEditRefresh(u"操作成功", 1);
  return script;
}
const String& Failed() {
  static const String script = KesraOpenerEditRefresh(u"操作失败", 1);
  return script;
}

class ArchivesTest : public testing::Test {
 protected:
  void SetUp() override {
    com::SetRegistryFile(site_.Host("registry"));
    RegisterComponentClasses();
    KesraInstallResourceDll(u"XceedZip.dll");
    sys::ClearCommandLinesRun();
    site_.WriteFile("site/Data_UploadFiles/x/report.TXT", "report");
    site_.WriteFile("site/Data_UploadFiles/x/Photos/照片.jpg", "jpeg");
    site_.WriteFile("site/Data_UploadFiles/x/Photos/子目录/空.txt", "");
  }
  void TearDown() override {
    com::SetRegistryFile({});
    sys::SetSystemDrive(u"C:");
  }
  String Rar(const String& file, const String& act) {
    return KesraUnZipWithRar(server_, u"/Data_UploadFiles/x", file, act);
  }
  String Zip(const String& file, const String& act) {
    return KesraUnZipWithXceedZip(server_, u"/Data_UploadFiles/x", file, act);
  }
  std::set<std::string> ArchiveNames(std::string_view relative) {
    std::set<std::string> names;
    for (const auto& entry : qe_test::CentralNames(qe_test::FileContent(site_.Host(relative)))) names.insert(entry.name);
    return names;
  }

  qe_test::TempSite site_;
  asp::Context context_{asp::RequestSpec{}};
  vb::Variant server_ = context_.Server();
};

// The lines keep the doubled "\\" where a folder that ends in "\\" meets another.
TEST_F(ArchivesTest, RarCommandLinesWithTheToolInTheWebRootOrOnTheSystemDrive) {
  MappedDrive system_drive(u'D');
  sys::SetSystemDrive(u"D:");
  struct Case {
    bool tool_in_web_root;
    vb::StringView act;
    String line;
  } cases[] = {
      {true, u"Unzip",
       u"C:\\Windows\\system32\\\\cmd.exe /c  C:\\site\\rar.exe x  -r -o+ -p- "
       u"\"C:\\site\\Data_UploadFiles\\x\\report.TXT\" \"C:\\site\\Data_UploadFiles\\x\""},
      {true, u"zip",
       u"C:\\Windows\\system32\\\\cmd.exe /c  C:\\site\\rar.exe a -ep1 -r -t -o+ "
       u"\"C:\\site\\Data_UploadFiles\\x\\report.rar\" \"C:\\site\\Data_UploadFiles\\x\\report.TXT\""},
      {false, u"UNZIP",
       u"C:\\Windows\\system32\\\\cmd.exe /c  D:\\\\rar.exe x  -r -o+ -p- "
       u"\"C:\\site\\Data_UploadFiles\\x\\report.TXT\" \"C:\\site\\Data_UploadFiles\\x\""},
      {false, u"",
       u"C:\\Windows\\system32\\\\cmd.exe /c  D:\\\\rar.exe a -ep1 -r -t -o+ "
       u"\"C:\\site\\Data_UploadFiles\\x\\report.rar\" \"C:\\site\\Data_UploadFiles\\x\\report.TXT\""},
  };
  for (const Case& c : cases) {
    if (c.tool_in_web_root) site_.WriteFile("site/rar.exe", "");
    else stdfs::remove(site_.Host("site/rar.exe"));
    sys::ClearCommandLinesRun();
    Rar(u"report.TXT", String(c.act));
    EXPECT_EQ(sys::CommandLinesRun(), std::vector<String>{c.line}) << vb::ToUtf8(c.act);
  }
}

TEST_F(ArchivesTest, RarExtractsIntoTheFolderAndCannotPack) {
  site_.WriteFile("site/Data_UploadFiles/x/a.rar",
                  qe_test::Rar4Bytes({qe_test::RarFile("\xD6\xD0\xCE\xC4.txt", "from rar")}));  // 中文.txt
  site_.WriteFile("site/Data_UploadFiles/x/中文.txt", "old");
  EXPECT_EQ(Rar(u"a.rar", u"unzip"), Done());
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/Data_UploadFiles/x/中文.txt")), "from rar");
  EXPECT_EQ(Rar(u"report.TXT", u"zip"), Failed());
  EXPECT_FALSE(stdfs::exists(site_.Host("site/Data_UploadFiles/x/report.rar")));
  EXPECT_EQ(Rar(u"missing.rar", u"unzip"), Failed());
}

TEST_F(ArchivesTest, NamesFromThePageMustStayInsideTheFolder) {
  site_.WriteFile("site/Data_UploadFiles/otheruser/secret.txt", "secret");
  for (vb::StringView name : {u"a.rar\" & del C:\\site\\x & \"", u"a\".rar", u"..\\otheruser", u"../otheruser",
                              u"Photos\\..\\..\\otheruser", u"C:\\site", u"C:x", u"\\Data_UploadFiles", u"/x",
                              u"a\x01.rar", u"a\n.rar", u"", u"  ", u"...", u"Photos\\. .\\x"}) {
    for (vb::StringView act : {u"unzip", u"zip"}) EXPECT_EQ(Rar(String(name), String(act)), Failed()) << vb::ToUtf8(name);
    for (vb::StringView act : {u"zipfile", u"zipfolder", u"unzip"})
      EXPECT_EQ(Zip(String(name), String(act)), Failed()) << vb::ToUtf8(name);
  }
  EXPECT_TRUE(sys::CommandLinesRun().empty());  // nothing ran
  std::vector<std::string> files;
  for (const auto& entry : stdfs::recursive_directory_iterator(site_.Host("site/Data_UploadFiles")))
    files.push_back(stdfs::relative(entry.path(), site_.Host("site/Data_UploadFiles")).generic_string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"otheruser", "otheruser/secret.txt", "x", "x/Photos", "x/Photos/子目录",
                                             "x/Photos/子目录/空.txt", "x/Photos/照片.jpg", "x/report.TXT"}));
}

TEST_F(ArchivesTest, ZipFileAndZipFolderNameTheArchiveWithRarInCapitals) {
  EXPECT_EQ(Zip(u"report.TXT", u"ZipFile"), Done());
  EXPECT_EQ(ArchiveNames("site/Data_UploadFiles/x/report.RAR"), (std::set<std::string>{"report.TXT"}));
  EXPECT_EQ(Zip(u"Photos", u"zipfolder"), Done());
  EXPECT_EQ(ArchiveNames("site/Data_UploadFiles/x/photos.RAR"),
            (std::set<std::string>{"\xD5\xD5\xC6\xAC.jpg", "\xD7\xD3\xC4\xBF\xC2\xBC/",
                                   "\xD7\xD3\xC4\xBF\xC2\xBC/\xBF\xD5.txt"}));  // 照片.jpg 子目录/ 子目录/空.txt
  EXPECT_EQ(Zip(u"Photos", u"pack"), Failed());
}

TEST_F(ArchivesTest, UnzipNeverEmptiesTheFolderFirst) {
  ASSERT_EQ(Zip(u"Photos", u"zipfolder"), Done());
  EXPECT_EQ(Zip(u"photos.RAR", u"Unzip"), Done());
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/Data_UploadFiles/x/照片.jpg")), "jpeg");
  EXPECT_TRUE(stdfs::exists(site_.Host("site/Data_UploadFiles/x/子目录/空.txt")));
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/Data_UploadFiles/x/report.TXT")), "report");
  EXPECT_EQ(Zip(u"report.TXT", u"unzip"), Failed());
}

TEST_F(ArchivesTest, TheCapitalRarNameNeverCostsTheUsersRarArchive) {
  // On a file system that ignores case, photos.RAR is the user's photos.rar.
  site_.WriteFile("site/Data_UploadFiles/x/photos.rar", qe_test::Rar4Bytes({qe_test::RarFile("a.txt", "mine")}));
  EXPECT_EQ(Zip(u"Photos", u"zipfolder"), Failed());
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/Data_UploadFiles/x/photos.rar")),
            qe_test::Rar4Bytes({qe_test::RarFile("a.txt", "mine")}));

  // An earlier zip archive of that name is replaced by the new one.
  stdfs::remove(site_.Host("site/Data_UploadFiles/x/photos.rar"));
  site_.WriteFile("site/Data_UploadFiles/x/photos.RAR", qe_test::ZipBytes({qe_test::StoredEntry("old.txt", "old")}));
  EXPECT_EQ(Zip(u"Photos", u"zipfolder"), Done());
  EXPECT_EQ(ArchiveNames("site/Data_UploadFiles/x/photos.RAR").count("old.txt"), 0u);
  EXPECT_EQ(ArchiveNames("site/Data_UploadFiles/x/photos.RAR").count("\xD5\xD5\xC6\xAC.jpg"), 1u);
}

TEST_F(ArchivesTest, TheFacadeForwardsBothMembers) {
  vb::Variant facade(std::make_shared<QeCls>());
  vb::Variant server = server_;
  EXPECT_EQ(vb::CStr(com::Call(facade, u"CommUnZipWithXceedZip", server, u"/Data_UploadFiles/x", u"report.TXT",
                               u"zipfile")),
            Done());
  EXPECT_EQ(vb::CStr(com::Call(facade, u"CommUnZipWithRar", server, u"/Data_UploadFiles/x", u"report.TXT", u"a")),
            Failed());
  EXPECT_RAISES(5, com::Call(facade, u"CommUnZipWithXceedZip", server, u"/../outside", u"a.zip", u"unzip"));
}

TEST_F(ArchivesTest, WithoutTheZipLibraryTheCallFailsWith429) {
  com::WriteRegistry({}, {kZipProgId});
  EXPECT_RAISES(429, Zip(u"report.TXT", u"zipfile"));
  Kesra_Class_Zip zip;
  EXPECT_RAISES(429, zip.CompressFile(u"C:\\site", u"*.*", u"C:\\site\\a.zip", u""));
}

TEST_F(ArchivesTest, CompressAndUncompressWithPasswordListsAndClearing) {
  Kesra_Class_Zip zip;
  ASSERT_TRUE(zip.CompressFile(u"C:\\site\\Data_UploadFiles\\x", u"report.TXT|Photos\\*.jpg",
                               u"C:\\site\\pack.zip", u"口令"));
  site_.WriteFile("site/dest/stale.txt", "stale");
  site_.WriteFile("site/dest/stale folder/inner.txt", "stale");
  // The control keeps the password it was given; a new object has none.
  Kesra_Class_Zip reader;
  EXPECT_FALSE(reader.UnCompressFile(u"C:\\site\\pack.zip", u"C:\\site\\dest", false, u"", u""));
  EXPECT_TRUE(stdfs::exists(site_.Host("site/dest/stale.txt")));
  ASSERT_TRUE(reader.UnCompressFile(u"C:\\site\\pack.zip", u"C:\\site\\dest", true, u"  ", u"口令"));
  std::vector<std::string> files;
  for (const auto& entry : stdfs::recursive_directory_iterator(site_.Host("site/dest")))
    files.push_back(stdfs::relative(entry.path(), site_.Host("site/dest")).generic_string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"Photos", "Photos/照片.jpg", "report.TXT"}));

  // A list picks entries; a missing destination is made when clearing.
  ASSERT_TRUE(reader.UnCompressFile(u"C:\\site\\pack.zip", u"C:\\site\\picked", true, u"*.jpg", u"口令"));
  EXPECT_TRUE(stdfs::exists(site_.Host("site/picked/Photos/照片.jpg")));
  EXPECT_FALSE(stdfs::exists(site_.Host("site/picked/report.TXT")));
}

}  // namespace
