// Saving upload items: the naming options, free names and generated names,
// the folders, and failures reported instead of raised.
#include "transfer/kesra_class_upload_file_ex.h"

#include <gtest/gtest.h>

#include <regex>

#include "platform/vb/convert.h"
#include "support/file_content.h"
#include "support/temp_site.h"
#include "transfer/kesra_class_upload_file.h"
#include "transfer/upload_names.h"
#include "transfer/upload_test_support.h"

namespace {

namespace stdfs = std::filesystem;
using qe::Kesra_Class_UploadFileEx;
using upload_test::MultipartBody;
using vb::Variant;

std::string Text(const Variant& v) { return vb::ToUtf8(vb::CStr(v)); }

class UploadItemTest : public testing::Test {
 protected:
  void SetUp() override {
    MultipartBody body;
    body.File("doc", "report.doc", "REPORT").File("photo", "C:\\pics\\my.photo.jpg", "PHOTO");
    body.File("plain", "README", "README DATA");
    request_ = upload_test::UploadRequest(body);
    upload_->GetData(request_->Request());
    ASSERT_EQ(upload_->ErrorID(), 0);
  }

  std::shared_ptr<Kesra_Class_UploadFileEx> Item(const char16_t* name) {
    return std::dynamic_pointer_cast<Kesra_Class_UploadFileEx>(upload_->Files(name).GetObject());
  }
  bool Save(const char16_t* name, const Variant& path, const Variant& option, bool overwrite) {
    return Item(name)->SavetoFile(request_->Server(), path, option, overwrite);
  }

  qe_test::TempSite site_;
  std::unique_ptr<asp::Context> request_;
  std::shared_ptr<qe::Kesra_Class_UploadFile> upload_ = std::make_shared<qe::Kesra_Class_UploadFile>();
};

TEST_F(UploadItemTest, ClientNameWithoutOverwriteTakesTheFirstFreeNumber) {
  site_.WriteFile("site/up/report.doc", "existing");
  site_.WriteFile("site/up/MY.PHOTO.JPG", "existing");
  auto doc = Item(u"doc");
  ASSERT_TRUE(Save(u"doc", u"/up", int16_t{1}, false));
  EXPECT_EQ(Text(doc->FileName), "report(0).doc");
  ASSERT_TRUE(Save(u"doc", u"/up", int16_t{1}, false));
  EXPECT_EQ(Text(doc->FileName), "report(1).doc");
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/up/report.doc")), "existing");
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/up/report(1).doc")), "REPORT");

  // The base stops at the first "."; names are compared without case.
  ASSERT_TRUE(Save(u"photo", u"/up", int16_t{1}, false));
  EXPECT_EQ(Text(Item(u"photo")->FileName), "my(0).jpg");

  // A name without "." numbers the whole name.
  ASSERT_TRUE(Save(u"plain", u"/up", int16_t{1}, false));
  EXPECT_EQ(Text(Item(u"plain")->FileName), "README");
  ASSERT_TRUE(Save(u"plain", u"/up", int16_t{1}, false));
  EXPECT_EQ(Text(Item(u"plain")->FileName), "README(0)");
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/up/README(0)")), "README DATA");
}

// A Chinese character takes 3 bytes on the host: 84 of them and ".txt" are
// 256 bytes, one more than a host name holds, while Windows takes them.
std::u16string Chinese(size_t n) { return std::u16string(n, u'中'); }
std::string Utf8(std::u16string_view text) { return vb::ToUtf8(text); }

TEST(UploadNames, LongNamesLoseCharactersOffTheEndOfTheirBaseOnly) {
  struct Case {
    std::u16string base, tail, want;
  } cases[] = {
      {Chinese(83), u".txt", Chinese(83) + u".txt"},        // 253 bytes: fits
      {Chinese(84), u".txt", Chinese(83) + u".txt"},        // 256: one character goes
      {Chinese(84), u"(0).txt", Chinese(82) + u"(0).txt"},  // room for the number
      {Chinese(100), u"", Chinese(85)},                     // no extension: 255 bytes
      {std::u16string(300, u'a'), u".jpeg", std::u16string(250, u'a') + u".jpeg"},
      // A character outside the BMP (4 bytes, two code units) goes whole.
      {Chinese(83) + u"😀", u".txt", Chinese(83) + u".txt"},
      // Without a tail, the dots and blanks a cut leaves go too.
      {Chinese(84) + u". " + Chinese(1), u"", Chinese(84)},
      // The tail alone is too long: it is kept, and the write will fail.
      {u"a", std::u16string(1, u'.') + std::u16string(260, u'e'), std::u16string(1, u'.') + std::u16string(260, u'e')},
  };
  for (const auto& c : cases) {
    std::u16string got = qe::FitHostName(c.base, c.tail);
    EXPECT_EQ(Utf8(got), Utf8(c.want)) << Utf8(c.base) << " + " << Utf8(c.tail);
  }
}

TEST_F(UploadItemTest, ClientNameTooLongForTheHostIsShortenedAndReported) {
  // Recreates the upload with a long Chinese client name, sent in the form's code page.
  MultipartBody body;
  body.File("long", upload_test::Ansi(Chinese(90) + u".txt"), "LONG");
  request_ = upload_test::UploadRequest(body);
  upload_ = std::make_shared<qe::Kesra_Class_UploadFile>();
  upload_->GetData(request_->Request());
  ASSERT_EQ(upload_->ErrorID(), 0);
  auto item = Item(u"long");
  EXPECT_EQ(vb::CStr(item->LocalName), Chinese(90) + u".txt");  // the client's name stays as sent

  ASSERT_TRUE(Save(u"long", u"/up", int16_t{1}, true)) << vb::ToUtf8(item->Exception());
  EXPECT_EQ(vb::CStr(item->FileName), Chinese(83) + u".txt");
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/up/" + Utf8(Chinese(83) + u".txt"))), "LONG");
  // Not replacing: the numbered name fits too.
  ASSERT_TRUE(Save(u"long", u"/up", int16_t{1}, false));
  EXPECT_EQ(vb::CStr(item->FileName), Chinese(82) + u"(0).txt");
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/up/" + Utf8(Chinese(82) + u"(0).txt"))), "LONG");
  // A name the page chose is shortened the same way.
  item->UserSetName = Variant(Chinese(100));
  ASSERT_TRUE(Save(u"long", u"/up", int16_t{-1}, true));
  EXPECT_EQ(vb::CStr(item->FileName), Chinese(83) + u".txt");
  // What was reported is what the folder holds.
  std::vector<std::string> names;
  for (const auto& entry : stdfs::directory_iterator(site_.Host("site/up"))) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{Utf8(Chinese(82) + u"(0).txt"), Utf8(Chinese(83) + u".txt")}));
}

TEST_F(UploadItemTest, ClientNameWithOverwriteReplaces) {
  site_.WriteFile("site/up/report.doc", "existing");
  ASSERT_TRUE(Save(u"doc", u"/up/", int16_t{1}, true));
  EXPECT_EQ(Text(Item(u"doc")->FileName), "report.doc");
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/up/report.doc")), "REPORT");
}

TEST_F(UploadItemTest, PageChosenAndGeneratedNames) {
  auto photo = Item(u"photo");
  photo->UserSetName = u"cover";
  ASSERT_TRUE(Save(u"photo", u"/up", int16_t{-1}, false));
  EXPECT_EQ(Text(photo->FileName), "cover.jpg");
  ASSERT_TRUE(Save(u"photo", u"/up", u"-1", false));  // the option may come as text
  EXPECT_EQ(Text(photo->FileName), "cover(0).jpg");

  // -1 without a chosen name, and any other option: the generated name.
  auto doc = Item(u"doc");
  for (Variant option : {Variant(int16_t{-1}), Variant(int16_t{0}), Variant(int16_t{7}), Variant()}) {
    ASSERT_TRUE(Save(u"doc", u"/gen", option, true));
    EXPECT_TRUE(std::regex_match(Text(doc->FileName), std::regex(R"(\d{18}\.doc)"))) << Text(doc->FileName);
  }
  EXPECT_TRUE(stdfs::exists(site_.Host("site/gen/" + Text(doc->FileName))));
}

TEST_F(UploadItemTest, AGeneratedNameNeverReplacesAFile) {
  auto doc = Item(u"doc");
  std::string generated = Text(doc->NewName);
  site_.WriteFile("site/up/" + generated, "someone else's upload");
  for (bool overwrite : {true, false}) {
    ASSERT_TRUE(Save(u"doc", u"/up", int16_t{0}, overwrite));
    std::string used = Text(doc->FileName);
    EXPECT_NE(used, generated);
    EXPECT_TRUE(std::regex_match(used, std::regex(R"(\d{18}\.doc)"))) << used;
    EXPECT_EQ(qe_test::FileContent(site_.Host("site/up/" + used)), "REPORT");
  }
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/up/" + generated)), "someone else's upload");
  EXPECT_EQ(Text(doc->NewName), generated);
}

TEST_F(UploadItemTest, FoldersRealAndMapped) {
  qe_test::TempSite d_drive;  // maps C: again; put it back on the site
  fs::MapDrive(u'D', d_drive.Drive());
  fs::MapDrive(u'C', site_.Drive());
  auto doc = Item(u"doc");
  ASSERT_TRUE(Save(u"doc", u"D:\\up", int16_t{1}, true));
  EXPECT_EQ(Text(doc->Path), "D:\\up\\");
  EXPECT_EQ(qe_test::FileContent(d_drive.Host("up/report.doc")), "REPORT");
  ASSERT_TRUE(Save(u"doc", u"D:/up/deeper/", int16_t{1}, true));
  EXPECT_EQ(Text(doc->Path), "D:\\up\\deeper\\");

  ASSERT_TRUE(Save(u"doc", u"/Data_UploadFiles/", int16_t{1}, true));
  EXPECT_EQ(Text(doc->Path), "C:\\site\\Data_UploadFiles\\");
  ASSERT_TRUE(Save(u"doc", u"files", int16_t{1}, true));  // from the page's folder
  EXPECT_EQ(Text(doc->Path), "C:\\site\\qe\\files\\");
  EXPECT_TRUE(stdfs::exists(site_.Host("site/qe/files/report.doc")));
  fs::UnmapDrive(u'D');
}

TEST_F(UploadItemTest, FailuresAreReportedNotRaised) {
  auto doc = Item(u"doc");
  EXPECT_EQ(Text(doc->Exception()), "");
  // A path the site cannot map: nothing is written, the mapping error is the reason.
  EXPECT_FALSE(Save(u"doc", u"/../../outside", int16_t{1}, true));
  EXPECT_NE(doc->Exception(), u"");
  EXPECT_TRUE(doc->Path.IsEmpty());

  // A folder that cannot be made: Path is set before the write fails.
  site_.WriteFile("site/blocked", "a file, not a folder");
  EXPECT_FALSE(Save(u"doc", u"/blocked/sub", int16_t{1}, true));
  EXPECT_EQ(Text(doc->Path), "C:\\site\\blocked\\sub\\");
  vb::String reason = doc->Exception();
  EXPECT_NE(reason, u"");

  // A later success keeps the last failure's reason.
  ASSERT_TRUE(Save(u"doc", u"/up", int16_t{1}, true));
  EXPECT_EQ(doc->Exception(), reason);

  // A name the file system refuses.
  doc->LocalName = u"con.doc";
  EXPECT_FALSE(Save(u"doc", u"/up", int16_t{1}, true));
  EXPECT_FALSE(stdfs::exists(site_.Host("site/up/con.doc")));
}

TEST_F(UploadItemTest, PositionAndSizeSayWhatIsSaved) {
  auto doc = Item(u"doc");
  Variant item(doc);
  double position = vb::CDbl(com::Call(item, u"Position"));
  EXPECT_EQ(vb::CDbl(com::Call(item, u"Position")), position);  // reading changes nothing
  com::Let(item, u"Position", position + 2);
  com::Let(item, u"Size", 3);
  ASSERT_TRUE(Save(u"doc", u"/up", int16_t{1}, true));
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/up/report.doc")), "POR");
  com::Let(item, u"Size", 1e9);  // past the body: what there is
  EXPECT_EQ(com::Call(item, u"GetBytes").As<vb::Array>().Count(), request_->RequestObject().TotalBytes() - position - 2);
  com::Let(item, u"Position", -1);
  EXPECT_FALSE(Save(u"doc", u"/up", int16_t{1}, true));
  EXPECT_THROW(com::Call(item, u"GetBytes"), vb::Error);
}

TEST_F(UploadItemTest, LateBoundMembers) {
  Variant item = upload_->Files(u"doc");
  EXPECT_EQ(com::Call(item, u"IsFile"), Variant(true));
  com::Let(item, u"UserSetName", u"chosen");
  Variant server = request_->Server();
  EXPECT_EQ(com::Call(item, u"SavetoFile", server, u"/up", -1, false), Variant(true));
  EXPECT_EQ(Text(com::Call(item, u"FileName")), "chosen.doc");
  EXPECT_EQ(com::Call(item, u"SavetoFile", server, u"/up"), Variant(true));  // generated name, overwrite
  EXPECT_EQ(Text(com::Call(item, u"Exception")), "");
  com::Let(item, u"Value", 42);
  EXPECT_EQ(com::Call(item, u"Value"), Variant(42));
}

TEST_F(UploadItemTest, QuickSaveSavesTheFilesOfAName) {
  MultipartBody body;
  body.File("pics", "a.png", "A").File("pics", "b.png", "B").File("other", "c.png", "C");
  auto request = upload_test::UploadRequest(body);
  qe::Kesra_Class_UploadFile upload;
  upload.GetData(request->Request());
  asp::ContextScope scope(*request);  // site paths need the request being served
  EXPECT_EQ(upload.QuickSave(u"PICS", u"/quick"), 2);
  EXPECT_EQ(std::distance(stdfs::directory_iterator(site_.Host("site/quick")), {}), 2);
  Variant key = upload.Files_Muti(u"other", 0);
  EXPECT_EQ(upload.QuickSave(com::Call(key, u"FormName"), u"C:\\site\\quick"), 1);
  EXPECT_EQ(upload.QuickSave(u"nothing", u"/quick"), 0);
}

}  // namespace
