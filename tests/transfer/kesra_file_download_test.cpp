// Sending stored files: which files go (and which never do, however the path
// reaches them), the head that names them, their bytes in blocks that stop
// when the client leaves; and the view's addresses, read back by the viewer.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <functional>

#include "common/kesra_error_page.h"
#include "platform/asp/context.h"
#include "platform/fs/paths.h"
#include "platform/text/ansi.h"
#include "support/printable.h"
#include "support/temp_site.h"
#include "transfer/download_headers.h"
#include "transfer/kesra_file_download.h"

namespace {

namespace stdfs = std::filesystem;
using qe_test::Printable;
using vb::String;
using vb::Variant;

constexpr size_t kMiB = 1024 * 1024;

std::string Bytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 257) & 0xFF);
  return bytes;
}

// A sink that counts what reaches the client and can act at each block.
class WatchedSink : public asp::ResponseSink {
 public:
  std::function<void(WatchedSink&)> on_body;
  void SendHead(const asp::ResponseHead& head) override { head_ = head; }
  void SendBody(std::string_view bytes) override {
    if (!connected_) return;
    body_.append(bytes);
    ++blocks_;
    if (on_body) on_body(*this);
  }
  bool IsClientConnected() const override { return connected_; }

  bool connected_ = true;
  std::optional<asp::ResponseHead> head_;
  std::string body_;
  int blocks_ = 0;
};

struct Sent {
  String status;
  std::optional<String> disposition, length, type, location;
  std::string body;
  bool ended = false;
};

class FileDownloadTest : public testing::Test {
 protected:
  Sent Run(const std::function<void(Variant& response, Variant& server, Variant& request)>& call,
           std::shared_ptr<WatchedSink> sink = nullptr) {
    asp::Connection connection;
    connection.request.target = "/comm/kesra_Download.asp";
    connection.sink = sink;
    asp::Context context(std::move(connection));
    Variant response = context.Response(), server = context.Server(), request = context.Request();
    call(response, server, request);
    asp::Response& r = context.ResponseObject();
    Sent sent{r.Status(), r.Header(u"Content-Disposition"), r.Header(u"Content-Length"), r.Header(u"Content-Type"),
              r.Header(u"Location"), {}, r.Ended()};
    context.Finish();
    sent.body = sink ? sink->body_ : context.ResponseBody();
    return sent;
  }
  Sent Download(const String& path, std::shared_ptr<WatchedSink> sink = nullptr) {
    return Run([&](Variant& response, Variant& server, Variant&) { qe::KesraFileDownload(response, server, path, false, u""); },
               sink);
  }
  Sent View(const String& file, const String& act, const String& title = u"") {
    return Run([&](Variant& response, Variant& server, Variant& request) {
      qe::KesraFileView(server, response, request, file, act, title);
    });
  }
  // The response body is in the server's code page.
  static std::string Ansi(const String& text) { return text::EncodeAnsi(text); }
  static std::string Utf8(const String& text) { return vb::ToUtf8(text); }

  qe_test::TempSite site_;
};

TEST_F(FileDownloadTest, ContentTypeFollowsTheExtensionOfTheNameOnDisk) {
  const std::pair<const char*, const char16_t*> cases[] = {
      {"Report.DOC", u"application/vnd.ms-word"}, {"clip.asf", u"video/x-ms-asf"},
      {"clip.AVI", u"video/avi"},                 {"clip.rm", u"application/vnd.rn-realmedia"},
      {"a.zip", u"application/zip"},              {"a.xls", u"application/vnd.ms-excel"},
      {"a.gif", u"image/gif"},                    {"a.jpg", u"image/jpeg"},
      {"a.JPEG", u"image/jpeg"},                  {"a.wav", u"audio/wav"},
      {"a.mp3", u"audio/mpeg3"},                  {"a.mp4", u"video/mp4"},
      {"a.mpg", u"video/mpeg"},                   {"a.mpeg", u"video/mpeg"},
      {"a.rtf", u"application/rtf"},              {"a.htm", u"text/html"},
      {"a.html", u"text/html"},                   {"a.txt", u"text/plain"},
      {"README", u"application/octet-stream"},    {"a.tar.gz", u"application/octet-stream"},
      {"a.rmvb", u"application/octet-stream"},    {"a.docx", u"application/octet-stream"},
  };
  for (const auto& [name, type] : cases) {
    SCOPED_TRACE(name);
    site_.WriteFile(std::string("site/Data_UploadFiles/") + name, "x");
    Sent sent = Download(u"/Data_UploadFiles/" + vb::FromUtf8(name));
    EXPECT_EQ(sent.type, String(type) + u"; charset=GB2312");
    EXPECT_EQ(sent.body, "x");
  }
}

TEST_F(FileDownloadTest, HeadNamesTheFileAsTheFileSystemSpellsIt) {
  site_.WriteFile("site/Data_UploadFiles/Report.DOC", "report");
  Sent sent = Download(u"/data_uploadfiles/report.doc");
  EXPECT_EQ(sent.disposition, String(u"attachment;  FileName=Report.DOC"));
  EXPECT_EQ(sent.length, String(u"6"));
  EXPECT_EQ(sent.status, u"200 OK");
  EXPECT_TRUE(sent.ended);
  EXPECT_EQ(sent.body, "report");
}

TEST_F(FileDownloadTest, DiskPathsOnAnyMappedDriveAreUsedAsTheyStand) {
  std::string pattern = (stdfs::temp_directory_path() / "qe-drive-XXXXXX").string();
  ASSERT_TRUE(::mkdtemp(pattern.data()));
  stdfs::create_directories(stdfs::path(pattern) / "files");
  std::ofstream(stdfs::path(pattern) / "files" / "a.txt") << "on D";
  fs::MapDrive(u'D', pattern);
  Sent sent = Download(u"D:\\files\\a.txt");
  fs::UnmapDrive(u'D');
  stdfs::remove_all(pattern);
  EXPECT_EQ(sent.body, "on D");
  EXPECT_EQ(sent.disposition, String(u"attachment;  FileName=a.txt"));
}

TEST_F(FileDownloadTest, RefusesScriptsDatabasesAndThePrivateFoldersHoweverNamed) {
  for (const char* file : {"site/Data_UploadFiles/x.ASP", "site/Data_UploadFiles/x.aspx", "site/Data_UploadFiles/x.asa",
                           "site/Data_UploadFiles/x.asax", "site/Data_UploadFiles/x.php", "site/Data_UploadFiles/b.mdb",
                           "site/Data_UploadFiles/b.ACCDB", "site/Data_UploadFiles/b.ldb", "site/Data_UploadFiles/c.inc",
                           "site/Data_UploadFiles/web.config", "site/Data_UploadFiles/s.ini", "site/data/qe.asp",
                           "site/data/Config.htm", "site/data_backup/2024.zip", "site/Temp/t.txt",
                           "site/Data_UploadFiles/AutoBackup/a.zip", "site/Data_UploadFiles/NetDriver/张三/a.doc",
                           "site/Data_UploadFiles/qe.asp"})
    site_.WriteFile(file, "secret");
  stdfs::create_symlink(site_.Host("site/data/qe.asp"), site_.Host("site/Data_UploadFiles/link.txt"));
  stdfs::create_directory_symlink(site_.Host("site/data"), site_.Host("site/Data_UploadFiles/folder"));
  const String refused = u"不允许该类文件下载！", missing = u"文件不存在！";
  const std::pair<const char16_t*, String> cases[] = {
      {u"/Data_UploadFiles/x.ASP", refused},
      {u"/Data_UploadFiles/x.aspx", refused},
      {u"/Data_UploadFiles/x.asa", refused},
      {u"/Data_UploadFiles/x.asax", refused},
      {u"/Data_UploadFiles/x.php", refused},
      {u"/Data_UploadFiles/b.mdb", refused},
      {u"/Data_UploadFiles/b.accdb", refused},
      {u"/Data_UploadFiles/b.ldb", refused},
      {u"/Data_UploadFiles/c.inc", refused},
      {u"/Data_UploadFiles/web.config", refused},
      {u"/Data_UploadFiles/s.ini", refused},
      {u"/Data_UploadFiles/qe.asp.", refused},
      {u"/Data_UploadFiles/qe.ASP. . ", refused},
      {u"C:\\site\\data\\qe.asp", refused},
      {u"\\Data\\Config.htm", refused},
      {u"/DATA./config.htm", refused},
      {u"/data_backup/2024.zip", refused},
      {u"/temp/t.txt", refused},
      {u"/Data_UploadFiles/autobackup/a.zip", refused},
      {u"/Data_UploadFiles/NetDriver/张三/a.doc", refused},
      {u"/Data_UploadFiles/link.txt", refused},
      {u"/Data_UploadFiles/folder/Config.htm", refused},
      {u"/Data_UploadFiles/none.doc", missing},
      {u"/Data_UploadFiles", missing},
      {u"C:\\..\\etc\\passwd", missing},
  };
  for (const auto& [path, message] : cases) {
    SCOPED_TRACE(Printable(path));
    Sent sent = Download(path);
    EXPECT_NE(sent.body.find(Ansi(message)), std::string::npos) << sent.body.substr(0, 200);
    EXPECT_EQ(sent.body.find("secret"), std::string::npos);
    EXPECT_FALSE(sent.disposition);
    EXPECT_TRUE(sent.ended);
  }
}

TEST_F(FileDownloadTest, NeighboursOfThePrivateFoldersStillGo) {
  for (const char* file : {"site/data2/a.txt", "site/Data_UploadFiles/NetDriverX/a.txt", "site/Data_UploadFiles/data/a.txt",
                           "site/Data_UploadFiles/AutoBackup.txt", "site/temporary/a.txt"})
    site_.WriteFile(file, "open");
  for (const char16_t* path : {u"/data2/a.txt", u"/Data_UploadFiles/NetDriverX/a.txt", u"/Data_UploadFiles/data/a.txt",
                               u"/Data_UploadFiles/AutoBackup.txt", u"/temporary/a.txt"}) {
    SCOPED_TRACE(Printable(path));
    EXPECT_EQ(Download(path).body, "open");
  }
}

TEST_F(FileDownloadTest, ABinaryFileArrivesByteForByteAcrossBlocks) {
  const std::string bytes = Bytes(3 * kMiB + 17);
  site_.WriteFile("site/Data_UploadFiles/blob.bin", bytes);
  auto sink = std::make_shared<WatchedSink>();
  Sent sent = Download(u"/Data_UploadFiles/blob.bin", sink);
  EXPECT_EQ(sent.length, vb::FromUtf8(std::to_string(bytes.size())));
  EXPECT_TRUE(sent.body == bytes) << sent.body.size();
  // Each block went out as it was read, not the file at once.
  EXPECT_GE(sink->blocks_, 4);
}

// A sink that sends files itself: it gets the file as one range, after the
// head, and may read it only while the call lasts.
class FileRangeSink : public WatchedSink {
 public:
  void SendFileRange(int descriptor, uint64_t offset, uint64_t length) override {
    ranges_.push_back({offset, length});
    std::string bytes(length, '\0');
    if (::pread(descriptor, bytes.data(), length, static_cast<off_t>(offset)) == static_cast<ssize_t>(length))
      body_ += bytes;
  }
  std::vector<std::pair<uint64_t, uint64_t>> ranges_;
};

TEST_F(FileDownloadTest, TheFileIsHandedToTheSinkWholeAsOneRange) {
  const std::string bytes = Bytes(3 * kMiB + 17);
  site_.WriteFile("site/Data_UploadFiles/blob.bin", bytes);
  auto sink = std::make_shared<FileRangeSink>();
  Sent sent = Download(u"/Data_UploadFiles/blob.bin", sink);
  EXPECT_EQ(sink->ranges_, (std::vector<std::pair<uint64_t, uint64_t>>{{0, bytes.size()}}));
  EXPECT_TRUE(sink->head_.has_value());
  EXPECT_TRUE(sent.body == bytes) << sent.body.size();
  EXPECT_TRUE(sent.ended);
}

TEST_F(FileDownloadTest, AClientGoneAfterOneMegabyteStopsTheReadsWithinAFewBlocks) {
  site_.WriteFile("site/Data_UploadFiles/big.bin", Bytes(64 * kMiB));
  auto sink = std::make_shared<WatchedSink>();
  size_t seen_at_leaving = 0;
  sink->on_body = [&](WatchedSink& s) {
    if (s.body_.size() >= kMiB && s.connected_) {
      seen_at_leaving = s.body_.size();
      s.connected_ = false;
    }
  };
  Sent sent = Download(u"/Data_UploadFiles/big.bin", sink);
  EXPECT_TRUE(sent.ended);
  EXPECT_GE(seen_at_leaving, kMiB);
  EXPECT_LE(seen_at_leaving, 2 * kMiB);
  EXPECT_LE(sink->blocks_, 4);
}

TEST_F(FileDownloadTest, AFileThatEndsEarlyEndsTheTransferShortWithoutAnyText) {
  const std::string bytes = Bytes(3 * kMiB);
  const stdfs::path file = site_.WriteFile("site/Data_UploadFiles/shrinks.bin", bytes);
  auto sink = std::make_shared<WatchedSink>();
  sink->on_body = [&](WatchedSink& s) {
    if (s.blocks_ == 1) stdfs::resize_file(file, kMiB + 10);
  };
  Sent sent = Download(u"/Data_UploadFiles/shrinks.bin", sink);
  EXPECT_EQ(sent.length, vb::FromUtf8(std::to_string(bytes.size())));
  EXPECT_TRUE(sent.body == bytes.substr(0, kMiB + 10)) << sent.body.size();
}

// ---- the attachment header ----

TEST(AttachmentDisposition, PlainNamesAsOldClientsReadThemOthersWithTheirUtf8Name) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"Report.DOC", u"attachment;  FileName=Report.DOC"},
      {u"a-b_c.~1.txt", u"attachment;  FileName=a-b_c.~1.txt"},
      {u"报告 2024.doc", u"attachment;  FileName=报告 2024.doc; filename*=UTF-8''%E6%8A%A5%E5%91%8A%202024.doc"},
      {u"a;b.txt", u"attachment;  FileName=a_b.txt; filename*=UTF-8''a%3Bb.txt"},
      {u"x.txt\"; filename=evil.exe",
       u"attachment;  FileName=x.txt__ filename=evil.exe; filename*=UTF-8''x.txt%22%3B%20filename%3Devil.exe"},
      {u"a,b'c.txt", u"attachment;  FileName=a_b'c.txt; filename*=UTF-8''a%2Cb%27c.txt"},
      {u"中,文.txt", u"attachment;  FileName=中_文.txt; filename*=UTF-8''%E4%B8%AD%2C%E6%96%87.txt"},
      {u"报告.txt", u"attachment;  FileName=报告.txt; filename*=UTF-8''%E6%8A%A5%E5%91%8A.txt"},
      {u"a\r\nSet-Cookie: x.txt", u"attachment;  FileName=aSet-Cookie: x.txt; filename*=UTF-8''aSet-Cookie%3A%20x.txt"},
      {u"tab\there.txt", u"attachment;  FileName=tabhere.txt"},
  };
  for (const auto& [name, header] : cases) {
    SCOPED_TRACE(Printable(name));
    EXPECT_EQ(qe::AttachmentDisposition(name), header);
  }
}

TEST(DownloadExtensions, RefusedAreExactlyScriptsDatabasesAndSettings) {
  for (const char16_t* extension : {u"asp", u"asa", u"aspx", u"asax", u"php", u"mdb", u"accdb", u"ldb", u"laccdb", u"inc",
                                    u"config", u"ini"})
    EXPECT_TRUE(qe::IsRefusedDownloadExtension(extension)) << Printable(extension);
  for (const char16_t* extension : {u"", u"as", u"aspx2", u"htm", u"doc", u"txt", u"mdf", u"zip"})
    EXPECT_FALSE(qe::IsRefusedDownloadExtension(extension)) << Printable(extension);
}

// ---- the view ----

TEST_F(FileDownloadTest, ViewSendsEachKindToItsViewerAndTheRestToTheFile) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"a.doc", u"/Data_UploadFiles/a.doc"},
      {u"a.pdf", u"/Data_UploadFiles/a.pdf"},
      {u"a.xyz", u"/Data_UploadFiles/a.xyz"},
      {u"a.mp3", u"../comm/kesra_FileView.asp?FileType=Wav&Url=/Data_UploadFiles/a.mp3&Title=a.mp3"},
      {u"a.WAV", u"../comm/kesra_FileView.asp?FileType=Wav&Url=/Data_UploadFiles/a.WAV&Title=a.WAV"},
      {u"a.flv", u"../comm/kesra_FileView.asp?FileType=Mp4&Url=/Data_UploadFiles/a.flv&Title=a.flv"},
      {u"a.rmvb", u"../comm/kesra_FileView.asp?FileType=Movie&RunSystem=rtsp&Url=/Data_UploadFiles/a.rmvb&Title=a.rmvb"},
      {u"a.wma", u"../comm/kesra_FileView.asp?FileType=Movie&RunSystem=mms&Url=/Data_UploadFiles/a.wma&Title=a.wma"},
      {u"x.swf", u"../comm/kesra_FileView.asp?FileType=Flash&PlayType=FullScreen&Url=/Data_UploadFiles/x.swf&Title=x.swf"},
      {u"a.png", u"../comm/kesra_FileView.asp?FileType=Image&Url=/Data_UploadFiles/a.png&Title=a.png"},
      {u"a.pcx", u"../comm/kesra_FileView.asp?FileType=Image&Url=/Data_UploadFiles/a.pcx&Title=a.pcx"},
  };
  for (const auto& [name, location] : cases) {
    SCOPED_TRACE(Printable(name));
    site_.WriteFile("site/Data_UploadFiles/" + Utf8(name), "x");
    Sent sent = View(u"/Data_UploadFiles/" + String(name), u"View");
    EXPECT_EQ(sent.status, u"302 Object moved");
    EXPECT_EQ(sent.location, String(location));
  }
}

TEST_F(FileDownloadTest, ViewActsOnlyOnItsTwoExactWords) {
  site_.WriteFile("site/Data_UploadFiles/a.mp3", "mp3");
  EXPECT_EQ(View(u"/Data_UploadFiles/a.mp3", u"view").location, String(u"/Data_UploadFiles/a.mp3"));
  EXPECT_EQ(View(u"/Data_UploadFiles/a.mp3", u"download").location, String(u"/Data_UploadFiles/a.mp3"));
  Sent sent = View(u"/Data_UploadFiles/a.mp3", u"DownLoad");
  EXPECT_EQ(sent.disposition, String(u"attachment;  FileName=a.mp3"));
  EXPECT_EQ(sent.body, "mp3");
  site_.WriteFile("site/data/x.mp3", "secret");
  EXPECT_NE(View(u"/data/x.mp3", u"DownLoad").body.find(Ansi(u"不允许该类文件下载！")), std::string::npos);
}

// The file's own address is a path of this site whatever the request wrote
// before it: "//qe" would name another host.
TEST_F(FileDownloadTest, TheOwnAddressIsAPathOfThisSite) {
  site_.WriteFile("site/qe/a.pdf", "pdf");
  for (const char16_t* file : {u"//qe/a.pdf", u"///qe/a.pdf", u"\\\\qe\\a.pdf", u"/\\qe/a.pdf"}) {
    SCOPED_TRACE(Printable(file));
    EXPECT_EQ(View(file, u"View").location, String(u"/qe/a.pdf"));
    EXPECT_EQ(View(file, u"x").location, String(u"/qe/a.pdf"));
  }
  EXPECT_EQ(View(u"//qe", u"x").location, String(u"/qe"));
  EXPECT_EQ(View(u"../qe/a.pdf", u"x").location, String(u"/comm/../qe/a.pdf"));
}

TEST_F(FileDownloadTest, ViewOfAMissingFileAlertsAndClosesTheWindow) {
  Sent sent = View(u"/Data_UploadFiles/none.mp3", u"View");
  EXPECT_EQ(sent.body, Ansi(u"<Script language='javascript'>alert('文件不存在!');" + qe::KesraCloseWindowNoMessagebox() +
                            u"</Script>"));
  EXPECT_TRUE(sent.ended);
  EXPECT_FALSE(sent.location);
}

TEST_F(FileDownloadTest, ViewerReadsBackTheTitleAndFileTheViewSent) {
  site_.WriteFile("site/Data_UploadFiles/报告 #1.jpg", "jpg");
  for (const char16_t* title : {u"A&B #1 100%", u"学校 通知", u"a+b=c'\"<>", u"x\r\nLocation: http://evil/"}) {
    SCOPED_TRACE(Printable(title));
    Sent sent = View(u"/Data_UploadFiles/报告 #1.jpg", u"View", title);
    ASSERT_TRUE(sent.location);
    const String& location = *sent.location;
    EXPECT_EQ(location.find_first_of(u"\r\n# "), String::npos);
    // The viewer page is asked for the address the browser was sent to.
    asp::RequestSpec wanted;
    wanted.url = location.substr(location.find(u"/kesra_FileView.asp"));
    asp::Context viewer(wanted);
    asp::Request& request = viewer.RequestObject();
    EXPECT_EQ(request.QueryString().Item(u"Title"), title);
    EXPECT_EQ(request.QueryString().Item(u"Url"), u"/Data_UploadFiles/报告 #1.jpg");
    EXPECT_EQ(request.QueryString().Item(u"FileType"), u"Image");
  }
  Sent own = View(u"/Data_UploadFiles/报告 #1.jpg", u"Other");
  EXPECT_EQ(own.location, String(u"/Data_UploadFiles/%B1%A8%B8%E6%20%231.jpg"));
}

}  // namespace
