// The upload entry: one call parses, saves and reports.
#include "transfer/kesra_file_upload.h"

#include <gtest/gtest.h>

#include <regex>

#include "platform/vb/strings.h"
#include "facade/qecls.h"
#include "support/file_content.h"
#include "support/temp_site.h"
#include "transfer/upload_test_support.h"

namespace {

namespace stdfs = std::filesystem;
using upload_test::MultipartBody;
using vb::Variant;

struct Options {
  const char16_t* ext = u"*";
  double max_mb = 0;
  double single_mb = 0;
  const char16_t* path = u"/Data_UploadFiles/up";
  int16_t rename = 0;
  bool overwrite = true;
  const char16_t* info = u"";
  const char16_t* charset = u"GB2312";
};

class FileUploadTest : public testing::Test {
 protected:
  std::string Upload(const MultipartBody& body, Options o) {
    return Upload(body.Bytes(), body.ContentType(), o);
  }
  std::string Upload(std::string bytes, std::string content_type, Options o) {
    auto request = upload_test::UploadRequest(std::move(bytes), {.content_type = content_type});
    Variant server = request->Server(), req = request->Request();
    return vb::ToUtf8(qe::KesraFileUpload(server, req, o.ext, o.max_mb, o.single_mb, o.path, o.rename, o.overwrite,
                                          o.info, o.charset));
  }
  stdfs::path Saved(const std::string& name) const { return site_.Host("site/Data_UploadFiles/up/" + name); }

  qe_test::TempSite site_;
};

TEST_F(FileUploadTest, ReportsEachSavedFileThenTheAskedValues) {
  MultipartBody body;
  body.Field("title", "Sports day").File("f1", "a.jpg", "abc", "image/jpeg").File("f2", "b.png", "defg", "image/png");
  std::string report = Upload(body, {.ext = u"pic", .info = u"title"});
  std::smatch m;
  ASSERT_TRUE(std::regex_match(report, m, std::regex(R"(Success\|a\.jpg\|(\d{18}\.jpg)\|3\$)"
                                                     R"(Success\|b\.png\|(\d{18}\.png)\|4\$#Sports day)")))
      << report;
  EXPECT_EQ(qe_test::FileContent(Saved(m[1])), "abc");
  EXPECT_EQ(qe_test::FileContent(Saved(m[2])), "defg");
}

TEST_F(FileUploadTest, RefusedUploadsAreOneErrorItemAndNothingIsSaved) {
  MultipartBody body;
  body.Field("title", "t").File("f", "a.exe", "MZ");
  EXPECT_EQ(Upload(body, {.ext = u"pic", .info = u"title"}),
            "Error|不允许上传该类文件(容许上传文件类型为:jpg,jpeg,gif,bmp,png)$#t");
  EXPECT_FALSE(stdfs::exists(site_.Host("site/Data_UploadFiles")));

  MultipartBody big;
  big.File("f", "big.bin", std::string(1024 * 1024 + 1, 'x'));
  EXPECT_EQ(Upload(big, {.single_mb = 1}), "Error|超出了单文件最大容量(容许值为1M)$#");
  EXPECT_EQ(Upload(big, {.max_mb = 1}), "Error|超出了最大容量(容许值为1M)$#");
  EXPECT_EQ(Upload("a=1", "application/x-www-form-urlencoded", {.info = u"a"}),
            "Error|Form中方式不对:Form一定要加上enctype=\"multipart/form-data\"属性,method属性值必须是post$#");
  EXPECT_EQ(Upload("", "", {}), "Error|未选择上传文件或上传文件不存在$#");
  // Sizes of 0 are no limits.
  EXPECT_TRUE(Upload(big, {.max_mb = 0, .single_mb = 0}).starts_with("Success|big.bin|"));
}

TEST_F(FileUploadTest, FieldValuesInTheOrderAsked) {
  MultipartBody body;
  body.Field("b", "2").Field("a", "1").Field("a", "one").File("empty", "", "");
  EXPECT_EQ(Upload(body, {.info = u"  a|missing|B  "}), "#1,one||2");
  EXPECT_EQ(Upload(body, {.info = u"   "}), "#");
  EXPECT_EQ(Upload(body, {}), "#");
}

TEST_F(FileUploadTest, KeepsClientNamesAndNumbersThemWhenAsked) {
  site_.WriteFile("site/Data_UploadFiles/up/report.doc", "old");
  MultipartBody body;
  body.File("f", "report.doc", "new").File("g", "report.doc", "newer");
  EXPECT_EQ(Upload(body, {.rename = 1, .overwrite = false}),
            "Success|report.doc|report(0).doc|3$Success|report.doc|report(1).doc|5$#");
  EXPECT_EQ(qe_test::FileContent(Saved("report.doc")), "old");
  EXPECT_EQ(Upload(body, {.rename = 1, .overwrite = true}),
            "Success|report.doc|report.doc|3$Success|report.doc|report.doc|5$#");
  EXPECT_EQ(qe_test::FileContent(Saved("report.doc")), "newer");
}

TEST_F(FileUploadTest, AClientNameTooLongForTheHostIsSavedShortenedAndReportedSo) {
  const std::u16string sent = std::u16string(84, u'中') + u".txt";  // 256 bytes in UTF-8
  const std::u16string saved = std::u16string(83, u'中') + u".txt";
  MultipartBody body;
  body.File("f", upload_test::Ansi(sent), "data");
  EXPECT_EQ(Upload(body, {.rename = 1}), "Success|" + vb::ToUtf8(sent) + "|" + vb::ToUtf8(saved) + "|4$#");
  EXPECT_EQ(qe_test::FileContent(Saved(vb::ToUtf8(saved))), "data");
  // Generated names are short: the client's name plays no part.
  EXPECT_TRUE(std::regex_match(Upload(body, {}), std::regex("Success\\|" + vb::ToUtf8(sent) + R"(\|\d{18}\.txt\|4\$#)")));
}

TEST_F(FileUploadTest, AFormWithEveryInputLeftEmptyIsAnEmptyReport) {
  // What browsers send for such a form: the closing delimiter alone.
  for (const std::string& bytes : {"--" + std::string(upload_test::kChromeBoundary) + "--\r\n",
                                   "--" + std::string(upload_test::kChromeBoundary) + "--"}) {
    EXPECT_EQ(Upload(bytes, "multipart/form-data; boundary=" + std::string(upload_test::kChromeBoundary),
                     {.info = u"title|other"}),
              "#|");
  }
  EXPECT_TRUE(stdfs::is_empty(Saved("")));
}

TEST_F(FileUploadTest, SeparatorsInClientNamesDoNotBreakTheReport) {
  MultipartBody body;
  body.Field("t", "v").File("f", "a|b$c#d.txt", "x");
  std::string report = Upload(body, {.rename = 1, .info = u"t"});
  EXPECT_EQ(report, "Success|a,b_c_d.txt|a,b_c_d.txt|1$#v");
  EXPECT_EQ(qe_test::FileContent(Saved("a,b_c_d.txt")), "x");
}

TEST_F(FileUploadTest, AFileThatCannotBeSavedIsAnErrorItem) {
  MultipartBody body;
  body.File("f", "nul.txt", "x").File("g", "ok.txt", "y");
  std::string report = Upload(body, {.rename = 1});
  EXPECT_TRUE(std::regex_match(report, std::regex(R"(Error\|[^|$#]+\$Success\|ok\.txt\|ok\.txt\|1\$#)"))) << report;
}

TEST_F(FileUploadTest, FolderPathsThatMapPathRefusesRaise) {
  MultipartBody body;
  body.File("f", "a.txt", "x");
  EXPECT_THROW(Upload(body, {.path = u"C:\\up"}), vb::Error);
  EXPECT_THROW(Upload(body, {.path = u"/../../up"}), vb::Error);
}

TEST_F(FileUploadTest, TheFacadeMemberForwardsItsArguments) {
  MultipartBody body;
  body.Field("title", "x").File("f", "a.gif", "GIF89a");
  auto request = upload_test::UploadRequest(body);
  Variant server = request->Server(), req = request->Request();
  qe::QeCls facade;
  std::string report = vb::ToUtf8(facade.CommFileUpload(server, req, u"gif", 1, 1, u"/Data_UploadFiles/up", 1,
                                                        false, u"title", u"gbk"));
  EXPECT_EQ(report, "Success|a.gif|a.gif|6$#x");
}

}  // namespace
