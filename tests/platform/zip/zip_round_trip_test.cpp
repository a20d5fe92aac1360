// The zip class: packing and unpacking folders, names as Windows clients read
// them, encryption, what replaces what.
#include <gtest/gtest.h>
#include <zip.h>

#include <set>
#include <thread>

#include "platform/com/object.h"
#include "platform/vb/raises.h"
#include "platform/zip/xceed_zip.h"
#include "support/archive_bytes.h"
#include "support/file_content.h"
#include "support/temp_site.h"
#include "support/zip_unpack.h"

namespace {

namespace stdfs = std::filesystem;
using namespace ziparc;

std::map<std::string, std::string> Tree(const stdfs::path& root) { return qe_test::FolderTree(root); }

class ZipClassTest : public testing::Test {
 protected:
  void SetUp() override {
    site_.WriteFile("site/up/Photos/照片一.jpg", std::string(5000, 'x') + "end");
    site_.WriteFile("site/up/Photos/说.txt", "说明");  // code page bytes that also read as UTF-8
    site_.WriteFile("site/up/Photos/한글.txt", "outside the code page");
    site_.WriteFile("site/up/Photos/子目录/空.txt", "");
    site_.MakeFolder("site/up/Photos/empty folder");
  }
  ZipResult PackPhotos(vb::StringView archive, vb::StringView password = u"") {
    XceedZip zip;
    zip.preserve_paths = true;
    zip.process_subfolders = true;
    zip.base_path = u"C:\\site\\up\\Photos";
    zip.CompressionLevel(9);
    zip.zip_filename = vb::String(archive);
    zip.encryption_password = vb::String(password);
    zip.AddFilesToProcess(u"*.*");
    return zip.Zip();
  }
  ZipResult Unpack(vb::StringView archive, vb::StringView folder, vb::StringView password = u"") {
    return qe_test::UnpackArchive(archive, folder, password);
  }

  qe_test::TempSite site_;
};

TEST_F(ZipClassTest, FoldersComeBackWholeWithChineseNamesSubfoldersAndEmptyFiles) {
  ASSERT_EQ(PackPhotos(u"C:\\site\\up\\photos.RAR"), kZipSuccess);
  ASSERT_EQ(Unpack(u"C:\\site\\up\\photos.RAR", u"C:\\site\\out"), kZipSuccess);
  EXPECT_EQ(Tree(site_.Host("site/out")), Tree(site_.Host("site/up/Photos")));
  EXPECT_EQ(Tree(site_.Host("site/out")).count("empty folder/"), 1u);
}

TEST_F(ZipClassTest, NamesAreCodePage936WithoutTheFlagWhenTheyFitElseFlaggedUtf8) {
  ASSERT_EQ(PackPhotos(u"C:\\site\\up\\photos.RAR"), kZipSuccess);
  std::map<std::string, uint16_t> flags;
  for (const auto& entry : qe_test::CentralNames(qe_test::FileContent(site_.Host("site/up/photos.RAR"))))
    flags[entry.name] = entry.flags & 0x0800;
  std::map<std::string, uint16_t> expected = {
      {"\xD5\xD5\xC6\xAC\xD2\xBB.jpg", 0},              // 照片一
      {"\xCB\xB5.txt", 0},                              // 说: valid UTF-8 too, yet not flagged
      {"\xED\x95\x9C\xEA\xB8\x80.txt", 0x0800},         // 한글 has no code-page form
      {"\xD7\xD3\xC4\xBF\xC2\xBC/", 0},                 // 子目录/
      {"\xD7\xD3\xC4\xBF\xC2\xBC/\xBF\xD5.txt", 0},     // 子目录/空.txt
      {"empty folder/", 0},
  };
  EXPECT_EQ(flags, expected);
}

// A name without the UTF-8 flag is UTF-8 only when a system that writes
// UTF-8 (Unix, macOS) made it and it reads as UTF-8; else code page 936.
TEST_F(ZipClassTest, ReadsUnflaggedNamesAsUtf8OnlyFromSystemsThatWriteIt) {
  using qe_test::StoredEntry;
  auto from_unix = [](qe_test::RawZipEntry entry) {
    entry.system = 3;
    return entry;
  };
  struct Case {
    const char* kind;
    std::vector<qe_test::RawZipEntry> entries;
    std::map<std::string, std::string> tree;
  };
  const Case cases[] = {
      // Info-ZIP's zip on Linux, Macs and phones: UTF-8 without the flag,
      // even names that code page 936 cannot hold.
      {"UTF-8 unflagged",
       {from_unix(StoredEntry("\xE4\xB8\xAD\xE6\x96\x87.txt", "1")),  // 中文
        from_unix(StoredEntry("\xE6\xA0\xA1\xE5\x9B\xAD\xE9\x80\x9A\xE7\x9F\xA5\xEF\xBC\x88\xE4\xBA\x8C\xEF\xBC\x89.txt", "2")),
        from_unix(StoredEntry("\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4.txt", "3")),  // 한국어
        from_unix(StoredEntry("sub\\inner.txt", "4"))},
       {{"中文.txt", "1"}, {"校园通知（二）.txt", "2"}, {"한국어.txt", "3"}, {"sub/", ""}, {"sub/inner.txt", "4"}}},
      // Windows' own zipper: code page 936, also where it happens to read as
      // UTF-8 (小学 as "Сѧ").
      {"code page 936",
       {StoredEntry("\xD6\xD0\xCE\xC4.txt", "1"), StoredEntry("\xCB\xB5.txt", "2")},  // 中文, 说
       {{"中文.txt", "1"}, {"说.txt", "2"}}},
      {"code page 936 alone", {StoredEntry("\xD0\xA1\xD1\xA7.doc", "1")}, {{"小学.doc", "1"}}},
      // Flagged names are UTF-8 whatever the others are; a Unix name that is
      // no UTF-8 is code page 936.
      {"mixed",
       {StoredEntry("\xCB\xB5.txt", "1"), from_unix(StoredEntry("\xD6\xD0\xCE\xC4.txt", "2")),
        StoredEntry("\xE6\x96\x87\xE4\xBB\xB6.txt", "3", 0x0800)},  // 文件
       {{"说.txt", "1"}, {"中文.txt", "2"}, {"文件.txt", "3"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    stdfs::remove_all(site_.Host("site/out"));
    site_.WriteFile("site/in.zip", qe_test::ZipBytes(c.entries));
    ASSERT_EQ(Unpack(u"C:\\site\\in.zip", u"C:\\site\\out"), kZipSuccess);
    EXPECT_EQ(Tree(site_.Host("site/out")), c.tree);
  }

  // A packed folder whose only name is such a code page name comes back as
  // it was: the archive carries its UTF-8 form too.
  site_.WriteFile("site/one/说.txt", "说明");
  XceedZip zip;
  zip.base_path = u"C:\\site\\one";
  zip.zip_filename = u"C:\\site\\one.zip";
  zip.AddFilesToProcess(u"*.*");
  ASSERT_EQ(zip.Zip(), kZipSuccess);
  ASSERT_EQ(Unpack(u"C:\\site\\one.zip", u"C:\\site\\one-out"), kZipSuccess);
  EXPECT_EQ(Tree(site_.Host("site/one-out")), (std::map<std::string, std::string>{{"说.txt", "说明"}}));
}

TEST_F(ZipClassTest, EncryptsWithTheTraditionalMethodAndNeedsTheRightPassword) {
  ASSERT_EQ(PackPhotos(u"C:\\site\\up\\secret.zip", u"密码 pw"), kZipSuccess);
  int code = 0;
  zip_t* archive = zip_open(site_.Host("site/up/secret.zip").c_str(), ZIP_RDONLY, &code);
  ASSERT_NE(archive, nullptr);
  zip_stat_t stat;
  ASSERT_EQ(zip_stat(archive, "说.txt", 0, &stat), 0);  // libzip reads the name's UTF-8 form
  EXPECT_EQ(stat.encryption_method, ZIP_EM_TRAD_PKWARE);
  zip_discard(archive);

  EXPECT_EQ(Unpack(u"C:\\site\\up\\secret.zip", u"C:\\site\\none"), kZipPassword);
  EXPECT_EQ(Unpack(u"C:\\site\\up\\secret.zip", u"C:\\site\\wrong", u"密码"), kZipPassword);
  EXPECT_FALSE(stdfs::exists(site_.Host("site/none")));
  EXPECT_FALSE(stdfs::exists(site_.Host("site/wrong")));
  ASSERT_EQ(Unpack(u"C:\\site\\up\\secret.zip", u"C:\\site\\right", u"密码 pw"), kZipSuccess);
  EXPECT_EQ(Tree(site_.Host("site/right")), Tree(site_.Host("site/up/Photos")));
}

TEST_F(ZipClassTest, ReadsAesEncryptedArchives) {
  int code = 0;
  zip_t* archive = zip_open(site_.Host("site/aes.zip").c_str(), ZIP_CREATE, &code);
  zip_int64_t index = zip_file_add(archive, "a.txt", zip_source_buffer(archive, "aes text", 8, 0), 0);
  zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, "pw");
  ASSERT_EQ(zip_close(archive), 0);
  EXPECT_EQ(Unpack(u"C:\\site\\aes.zip", u"C:\\site\\bad", u"px"), kZipPassword);
  ASSERT_EQ(Unpack(u"C:\\site\\aes.zip", u"C:\\site\\out", u"pw"), kZipSuccess);
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/out/a.txt")), "aes text");
}

TEST_F(ZipClassTest, UnzipReplacesFilesButNeverAFolderOrALink) {
  ASSERT_EQ(PackPhotos(u"C:\\site\\up\\photos.zip"), kZipSuccess);
  site_.WriteFile("site/out/说.txt", "old");
  site_.WriteFile("site/out/keep.txt", "kept");
  ASSERT_EQ(Unpack(u"C:\\site\\up\\photos.zip", u"C:\\site\\out"), kZipSuccess);
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/out/说.txt")), "说明");
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/out/keep.txt")), "kept");

  // The same name in another case is the same file, as on Windows.
  site_.WriteFile("site/case/SUB/A.TXT", "old");
  site_.WriteFile("site/case.zip", qe_test::ZipBytes({qe_test::StoredEntry("sub/a.txt", "new")}));
  ASSERT_EQ(Unpack(u"C:\\site\\case.zip", u"C:\\site\\case"), kZipSuccess);
  EXPECT_EQ((Tree(site_.Host("site/case"))), (std::map<std::string, std::string>{{"SUB/", ""}, {"SUB/A.TXT", "new"}}));

  site_.MakeFolder("site/folder/说.txt");
  EXPECT_EQ(Unpack(u"C:\\site\\up\\photos.zip", u"C:\\site\\folder"), kZipUnsafeEntry);
  EXPECT_EQ(Tree(site_.Host("site/folder")), (std::map<std::string, std::string>{{"说.txt/", ""}}));

  site_.WriteFile("site/elsewhere.txt", "target");
  site_.MakeFolder("site/linked");
  stdfs::create_symlink(site_.Host("site/elsewhere.txt"), site_.Host("site/linked/说.txt"));
  EXPECT_EQ(Unpack(u"C:\\site\\up\\photos.zip", u"C:\\site\\linked"), kZipUnsafeEntry);
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/elsewhere.txt")), "target");
  EXPECT_TRUE(stdfs::is_symlink(site_.Host("site/linked/说.txt")));
}

TEST_F(ZipClassTest, ZipReplacesAZipArchiveOnlyWithACompleteOneAndNoOtherFile) {
  site_.WriteFile("site/up/photos.RAR", "Rar!\x1a\x07\x00 a real rar archive");
  EXPECT_EQ(PackPhotos(u"C:\\site\\up\\photos.RAR"), kZipNotAnArchive);
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/up/photos.RAR")), "Rar!\x1a\x07\x00 a real rar archive");

  site_.WriteFile("site/up/old.zip", qe_test::ZipBytes({qe_test::StoredEntry("old.txt", "old")}));
  ASSERT_EQ(PackPhotos(u"C:\\site\\up\\OLD.ZIP"), kZipSuccess);
  ASSERT_EQ(Unpack(u"C:\\site\\up\\old.zip", u"C:\\site\\out"), kZipSuccess);
  EXPECT_EQ(Tree(site_.Host("site/out")), Tree(site_.Host("site/up/Photos")));  // old.txt is gone
  for (const auto& entry : stdfs::directory_iterator(site_.Host("site/up")))
    EXPECT_EQ(entry.path().filename().string().rfind(".qe-", 0), std::string::npos);  // no temporary left
}

TEST_F(ZipClassTest, TwoWritersOfOneArchiveLeaveOneWholeArchive) {
  site_.WriteFile("site/other/only.txt", std::string(100000, 'o'));
  for (int round = 0; round < 3; ++round) {
    std::thread first([&] { EXPECT_EQ(PackPhotos(u"C:\\site\\same.zip"), kZipSuccess); });
    std::thread second([&] {
      XceedZip zip;
      zip.base_path = u"C:\\site\\other";
      zip.zip_filename = u"C:\\site\\same.zip";
      zip.AddFilesToProcess(u"only.txt");
      EXPECT_EQ(zip.Zip(), kZipSuccess);
    });
    first.join();
    second.join();
    ASSERT_EQ(Unpack(u"C:\\site\\same.zip", u"C:\\site\\check"), kZipSuccess);
    auto tree = Tree(site_.Host("site/check"));
    EXPECT_TRUE(tree == Tree(site_.Host("site/up/Photos")) || tree == Tree(site_.Host("site/other")));
    stdfs::remove_all(site_.Host("site/check"));
  }
}

TEST_F(ZipClassTest, ItemsAreNamesOrMasksUnderTheBaseFolder) {
  XceedZip zip;
  zip.base_path = u"C:\\site\\up";
  zip.zip_filename = u"C:\\site\\up\\a.zip";
  zip.process_subfolders = true;
  zip.AddFilesToProcess(u"photos\\*.TXT");  // names in any case
  ASSERT_EQ(zip.Zip(), kZipSuccess);
  std::set<std::string> names;
  for (const auto& entry : qe_test::CentralNames(qe_test::FileContent(site_.Host("site/up/a.zip")))) names.insert(entry.name);
  EXPECT_EQ(names, (std::set<std::string>{"Photos/\xCB\xB5.txt", "Photos/\xED\x95\x9C\xEA\xB8\x80.txt",
                                          "Photos/\xD7\xD3\xC4\xBF\xC2\xBC/\xBF\xD5.txt"}));

  zip.zip_filename = u"C:\\site\\up\\b.zip";
  zip.AddFilesToProcess(u"..\\site\\x.txt");
  EXPECT_EQ(zip.Zip(), kZipUnsafeEntry);
  for (vb::StringView item : {u"C:\\x.txt", u"\\x.txt", u"a\\..\\..\\x"}) {
    zip.AddFilesToProcess(item);
    EXPECT_EQ(zip.Zip(), kZipUnsafeEntry) << vb::ToUtf8(item);
  }
  zip.AddFilesToProcess(u"*.none");
  EXPECT_EQ(zip.Zip(), kZipNothingToDo);
  EXPECT_FALSE(stdfs::exists(site_.Host("site/up/b.zip")));

  // The archive is never packed into itself.
  zip.base_path = u"C:\\site\\up\\Photos";
  zip.zip_filename = u"C:\\site\\up\\Photos\\self.zip";
  zip.AddFilesToProcess(u"*.*");
  ASSERT_EQ(zip.Zip(), kZipSuccess);
  zip.AddFilesToProcess(u"*.*");
  ASSERT_EQ(zip.Zip(), kZipSuccess);
  for (const auto& entry : qe_test::CentralNames(qe_test::FileContent(site_.Host("site/up/Photos/self.zip"))))
    EXPECT_NE(entry.name, "self.zip");
}

TEST_F(ZipClassTest, UnzipFailsOnWhatIsNoArchive) {
  site_.WriteFile("site/text.zip", "just text");
  EXPECT_EQ(Unpack(u"C:\\site\\missing.zip", u"C:\\site\\out"), kZipNotAnArchive);
  EXPECT_EQ(Unpack(u"C:\\site\\text.zip", u"C:\\site\\out"), kZipNotAnArchive);
  EXPECT_FALSE(stdfs::exists(site_.Host("site/out")));
}

TEST_F(ZipClassTest, LateBoundMembers) {
  vb::Variant zip(CreateXceedZip());
  EXPECT_RAISES(380, com::Let(zip, u"CompressionLevel", 10));
  com::Let(zip, u"CompressionLevel", 0);
  EXPECT_EQ(vb::CLng(com::Call(zip, u"CompressionLevel")), 0);
  com::Let(zip, u"BasePath", u"C:\\site\\up\\Photos");
  com::Let(zip, u"ZipFilename", u"C:\\site\\stored.zip");
  com::Call(zip, u"AddFilesToProcess", u"照片一.jpg");
  EXPECT_EQ(vb::CLng(com::Call(zip, u"Zip")), 0);
  EXPECT_EQ(vb::CLng(com::Call(zip, u"Zip")), kZipNothingToDo);  // the list was used up
  int code = 0;
  zip_t* archive = zip_open(site_.Host("site/stored.zip").c_str(), ZIP_RDONLY, &code);
  ASSERT_NE(archive, nullptr);
  zip_stat_t stat;
  ASSERT_EQ(zip_stat_index(archive, 0, 0, &stat), 0);
  EXPECT_EQ(stat.comp_method, ZIP_CM_STORE);
  zip_discard(archive);
}

}  // namespace
