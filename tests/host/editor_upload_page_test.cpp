// The editor's upload page run on requests of our own: what it takes, where it
// saves, and its JSON answers. The editor's side of the exchange is tested in
// a browser (tests/browser/suites/editor_uploads.mjs).
#include "host/editor_upload_page.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "common/kesra_class_md5.h"
#include "host/editor_upload_room.h"
#include "host/page_context.h"
#include "host/page_steps.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "shell/qe_application_data.h"
#include "platform/net/remote_fetch.h"
#include "facade/qecls.h"
#include "support/file_content.h"
#include "support/loopback_http_server.h"

namespace {

namespace stdfs = std::filesystem;

struct Part {
  std::string name, file_name, type, data;
};

std::string Multipart(const std::vector<Part>& parts) {
  std::string body;
  for (const Part& part : parts) {
    body += "--QeBoundary\r\nContent-Disposition: form-data; name=\"" + part.name + "\"";
    if (!part.file_name.empty() || !part.type.empty()) body += "; filename=\"" + part.file_name + "\"";
    body += "\r\n";
    if (!part.type.empty()) body += "Content-Type: " + part.type + "\r\n";
    body += "\r\n" + part.data + "\r\n";
  }
  return body + "--QeBoundary--\r\n";
}

// A 2 x 2 PNG picture.
const std::string kPng = [] {
  const unsigned char bytes[] = {
      0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
      0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00, 0x00, 0xfd, 0xd4, 0x9a, 0x73, 0x00, 0x00, 0x00,
      0x10, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8, 0xcf, 0xc0, 0x00, 0x44, 0x0c, 0x10, 0x0a, 0x00, 0x1f,
      0xee, 0x03, 0xfd, 0x8b, 0x5f, 0x14, 0xd4, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60,
      0x82};
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}();

class EditorUploadPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qe::RegisterComponentClasses();
    scratch_ = stdfs::temp_directory_path() / ("qe-editor-upload-" + std::to_string(::getpid()));
    stdfs::remove_all(scratch_);
    stdfs::create_directories(scratch_ / "site");
    user_info_ = Account(u"pw");
  }

  // The site's database made, the administrator's password set (none when
  // `password` is empty), and the Session's UserInfo of his login.
  std::string Account(const vb::String& password) {
    host::PageOptions options;
    options.site = (scratch_ / "site").string();
    host::PageContext context(options);
    host::Page page{*context.Intrinsic(u"Request"), *context.Intrinsic(u"Response"), *context.Intrinsic(u"Server"),
                    *context.Intrinsic(u"Session"), *context.Intrinsic(u"Application")};
    vb::Variant qe(com::CreateObject(u"QE.QeCls"));
    EXPECT_TRUE(host::MainDatabaseReady(page, qe));
    vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
    com::Call(conn, u"Open", com::Call(page.Application, u"", vb::String(qe::kPublicQeDataConnString)));
    const vb::String digest = qe::Kesra_Class_Md5().KesraMd5(password);
    com::Call(conn, u"Execute", u"Update [User] Set [PassWord]='" + digest + u"' Where [ID]=1");
    vb::Variant rs = com::Call(conn, u"Execute", vb::String(u"Select * From [User] Where [ID]=1"));
    auto field = [&](const char16_t* name) { return vb::ToUtf8(vb::CStr(com::ValueOf(com::Call(rs, u"", vb::String(name))))); };
    const std::string info = "1|" + field(u"UserName") + "|" + field(u"Name") + "|" + field(u"Part") + "|" +
                             field(u"Rule") + "|20240105083000|" + vb::ToUtf8(digest);
    com::Call(conn, u"Close");
    return info;
  }
  void TearDown() override { stdfs::remove_all(scratch_); }

  struct Request {
    std::string query;
    std::string body;
    std::string content_type = "multipart/form-data; boundary=QeBoundary";
    std::string method = "POST";
    std::string referer = "http://school.example/office/news_edit.asp";
    bool from_script = true;
    // The Session's UserInfo (the fixture's account when empty), or none.
    std::string user_info = std::string();
    bool logged_in = true;
  };

  // The page's answer: status line, headers, blank line, body.
  // `room_used`: what the editor's room counts once the page has answered.
  std::string Run(const Request& request, const std::string& room_mb = "", uint64_t* room_used = nullptr) {
    std::ofstream(scratch_ / "body.bin", std::ios::binary) << request.body;
    host::PageOptions options;
    options.site = (scratch_ / "site").string();
    options.page = "/comm_qeeditor/upload.asp";
    options.method = request.method;
    options.query = request.query;
    options.body_file = (scratch_ / "body.bin").string();
    options.headers = {{"Host", "school.example"}, {"Content-Type", request.content_type}};
    if (!request.referer.empty()) options.headers.emplace_back("Referer", request.referer);
    if (request.from_script) options.headers.emplace_back("X-Requested-With", "XMLHttpRequest");
    if (request.logged_in) options.session = {{"UserInfo", request.user_info.empty() ? user_info_ : request.user_info}};
    if (!room_mb.empty()) options.application = {{"QeEditorRoomMb", room_mb}};
    host::PageContext context(options);
    host::Page page{*context.Intrinsic(u"Request"), *context.Intrinsic(u"Response"), *context.Intrinsic(u"Server"),
                    *context.Intrinsic(u"Session"), *context.Intrinsic(u"Application")};
    host::EditorUploadPage(page);
    if (room_used) *room_used = host::EditorUploadRoom::Of(page.Application, UploadRoot())->Used();
    return context.ResponseText();
  }

  stdfs::path UploadRoot() const { return scratch_ / "site" / "Data_UploadFiles"; }
  // What the editor's folders hold, as a room measures it.
  uint64_t RoomOnDisk() const { return host::EditorUploadRoom(1, UploadRoot()).Used(); }

  // A foreign picture address as the editor posts it.
  static Request ForeignPicture(const std::string& address) {
    std::string encoded;
    for (char c : address) encoded += c == ':' ? std::string("%3A") : c == '/' ? std::string("%2F") : std::string(1, c);
    return {"", "qeEditor-img=" + encoded, "application/x-www-form-urlencoded"};
  }

  static std::string Body(const std::string& answer) { return answer.substr(answer.find("\n\n") + 2); }

  stdfs::path Saved(const std::string& site_path) const { return scratch_ / "site" / site_path.substr(1); }

  stdfs::path scratch_;
  std::string user_info_;
};

TEST_F(EditorUploadPageTest, AttachmentsGoToTheFolderOfTheEditingPage) {
  std::string answer = Run({"DialogType=all&SaveUpFilesPath=/Data_UploadFiles/office",
                            Multipart({{"file[]", "a.txt", "text/plain", "alpha"},
                                       {"file[]", "报告 1.doc", "application/msword", "beta"}})});
  EXPECT_NE(answer.find("Content-Type: application/json"), std::string::npos) << answer;
  std::smatch m;
  std::string body = Body(answer);
  ASSERT_TRUE(std::regex_match(body, m, std::regex(R"re(\[\{"url":"(/Data_UploadFiles/office/\d+\.txt)","name":"a\.txt"\},)re"
                                                   R"re(\{"url":"(/Data_UploadFiles/office/\d+\.doc)","name":)re"
                                                   R"re("\\u62a5\\u544a 1\.doc"\}\]\n)re")))
      << body;
  EXPECT_EQ(qe_test::FileContent(Saved(m[1])), "alpha");
  EXPECT_EQ(qe_test::FileContent(Saved(m[2])), "beta");
}

TEST_F(EditorUploadPageTest, APageAtTheSiteRootSavesIntoTheUploadRoot) {
  std::string body = Body(Run({"DialogType=pic&SaveUpFilesPath=/Data_UploadFiles/",
                               Multipart({{"file[]", "red.PNG", "image/png", kPng}})}));
  std::smatch m;
  ASSERT_TRUE(std::regex_match(body, m, std::regex(R"re(\[\{"url":"(/Data_UploadFiles/\d+\.PNG)","name":"red\.PNG"\}\]\n)re")))
      << body;
  EXPECT_EQ(qe_test::FileContent(Saved(m[1])), kPng);
}

// All editor uploads share one room, the server's to size (here 1 MB): once
// the editor's folders hold it, nothing more is written. The users' drives
// are no part of it, however much they hold.
TEST_F(EditorUploadPageTest, UploadsStopAtTheSitesUploadRoom) {
  const std::string full = "[{\"error\":\"\\u4e0a\\u4f20\\u7a7a\\u95f4\\u5df2\\u6ee1\\uff08\\u5171";  // 上传空间已满（共
  const stdfs::path drive = scratch_ / "site" / "Data_UploadFiles" / "NetDriver" / "tolva" / "film.bin";
  stdfs::create_directories(drive.parent_path());
  std::ofstream(drive, std::ios::binary).close();
  stdfs::resize_file(drive, uintmax_t{1100} * 1024 * 1024);  // sparse: 1.1 GB on no disk
  const Request attachment{"DialogType=all&SaveUpFilesPath=/Data_UploadFiles/office",
                           Multipart({{"file[]", "a.txt", "text/plain", "alpha"}})};
  EXPECT_NE(Body(Run(attachment)).find("\"url\":\"/Data_UploadFiles/office/"), std::string::npos);

  const stdfs::path held = scratch_ / "site" / "Data_UploadFiles" / "held.bin";
  std::ofstream(held, std::ios::binary).close();
  stdfs::resize_file(held, 1024 * 1024 - 100);
  for (const Request& request : {attachment, Request{"", Multipart({{"file[]", "", "", kPng}})}}) {
    std::string body = Body(Run(request, "1"));
    EXPECT_TRUE(body.starts_with(full + "1MB")) << body;
  }
  EXPECT_EQ(std::distance(stdfs::directory_iterator(scratch_ / "site" / "Data_UploadFiles" / "office"), {}), 1);
  EXPECT_FALSE(stdfs::exists(scratch_ / "site" / "Data_UploadFiles" / "QeEditor"));
}

// A foreign picture can be as large as a fetch takes, whatever its request:
// with less room than that left (here a few blocks, fewer than the picture
// takes), it is not fetched at all. With room, what it wrote is counted, no
// more: its file, and its folder when the save made it.
TEST_F(EditorUploadPageTest, AForeignPictureNeedsRoomForTheLargestFetch) {
  qe_test::LoopbackHttpServer server;
  server.Set("/photos/big.png", {"200", "Content-Type: image/png\r\n", kPng + std::string(20000, '\0')});
  net::TestFetchAllowance allowance;
  const stdfs::path held = UploadRoot() / "held.bin";
  stdfs::create_directories(held.parent_path());
  std::ofstream(held, std::ios::binary).close();
  stdfs::resize_file(held, 1024 * 1024 - 12 * 1024);
  uint64_t counted = 0;
  std::string body = Body(Run(ForeignPicture(server.Url("/photos/big.png")), "1", &counted));
  EXPECT_TRUE(body.starts_with("{\"error\":\"\\u4e0a\\u4f20\\u7a7a\\u95f4")) << body;  // 上传空间
  EXPECT_TRUE(server.Requests().empty());
  EXPECT_FALSE(stdfs::exists(UploadRoot() / "QeEditor"));
  EXPECT_EQ(counted, RoomOnDisk());

  stdfs::remove(held);
  for (int save = 1; save <= 2; ++save) {
    SCOPED_TRACE(save);
    body = Body(Run(ForeignPicture(server.Url("/photos/big.png")), "", &counted));
    EXPECT_TRUE(std::regex_match(body, std::regex(R"re(\{"url":"/Data_UploadFiles/QeEditor/\d{20}\.png"\}\n)re"))) << body;
    EXPECT_EQ(counted, RoomOnDisk());
  }
  EXPECT_EQ(std::distance(stdfs::directory_iterator(UploadRoot() / "QeEditor"), {}), 2);
}

TEST_F(EditorUploadPageTest, RefusalsOfTheUploadAreOneErrorEntry) {
  // A kind the dialog does not allow refuses the whole upload, as CommFileUpload does.
  std::string body = Body(Run({"DialogType=pic&SaveUpFilesPath=/Data_UploadFiles/office",
                               Multipart({{"file[]", "red.png", "image/png", kPng},
                                          {"file[]", "notes.txt", "text/plain", "x"}})}));
  EXPECT_TRUE(body.starts_with("[{\"error\":\"\\u4e0d\\u5141\\u8bb8\\u4e0a\\u4f20")) << body;  // 不允许上传
  EXPECT_EQ(body.find("url"), std::string::npos);
  EXPECT_FALSE(stdfs::exists(scratch_ / "site" / "Data_UploadFiles" / "office"));

  std::string big(host::kPictureSingleMb * 1024 * 1024 + 1, 'x');
  body = Body(Run({"DialogType=pic&SaveUpFilesPath=/Data_UploadFiles/office",
                   Multipart({{"file[]", "big.png", "image/png", big}})}));
  EXPECT_TRUE(body.starts_with("[{\"error\":\"\\u8d85\\u51fa\\u4e86\\u5355\\u6587\\u4ef6")) << body;  // 超出了单文件
}

TEST_F(EditorUploadPageTest, OnlyOnePlainFolderUnderTheUploadRoot) {
  const std::string refused = "[{\"error\":\"\\u4e0d\\u5141\\u8bb8\\u4e0a\\u4f20\\u5230\\u8be5\\u6587\\u4ef6\\u5939\\u3002\"}]\n";
  for (const char* path : {"/Data_UploadFiles/../data", "/Data_UploadFiles/a/b", "/Data_UploadFiles/..",
                           "/Data_UploadFiles/NetDriver", "/data_uploadfiles/netdriver", "/Data_UploadFiles/autobackup",
                           "/data/", "/Data_UploadFiles", "C:/Data_UploadFiles/x", "/Data_UploadFiles/a\\b",
                           "/Data_UploadFiles/data.", "/Data_UploadFiles/a:b", ""}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(Body(Run({std::string("DialogType=all&SaveUpFilesPath=") + path,
                        Multipart({{"file[]", "a.txt", "text/plain", "alpha"}})})),
              refused);
  }
  EXPECT_FALSE(stdfs::exists(scratch_ / "site" / "data" / "a.txt"));
  // Any letter case of the root itself.
  std::string body = Body(Run({"DialogType=ALL&SaveUpFilesPath=/DATA_UPLOADFILES/Office",
                               Multipart({{"file[]", "a.txt", "text/plain", "alpha"}})}));
  EXPECT_TRUE(std::regex_match(body, std::regex(R"re(\[\{"url":"/Data_UploadFiles/Office/\d+\.txt","name":"a\.txt"\}\]\n)re")))
      << body;
}

TEST_F(EditorUploadPageTest, APastedPictureIsSavedByTheKindItsBytesShow) {
  Request request{"", Multipart({{"file[]", "blob", "image/png", kPng}})};
  std::string body = Body(Run(request));
  std::smatch m;
  ASSERT_TRUE(std::regex_match(body, m, std::regex(R"re(\[\{"url":"(/Data_UploadFiles/QeEditor/(\d{20}\.png))","name":"(\d{20}\.png)"\}\]\n)re")))
      << body;
  EXPECT_EQ(m[2], m[3]);
  EXPECT_EQ(qe_test::FileContent(Saved(m[1])), kPng);

  // A part whose bytes are no picture is refused whatever it claims to be.
  body = Body(Run({"", Multipart({{"file[]", "blob", "image/png", "<script>alert(1)</script>"}})}));
  EXPECT_EQ(body, "[{\"error\":\"\\u7c98\\u8d34\\u7684\\u5185\\u5bb9\\u4e0d\\u662f\\u56fe\\u7247\\u3002\"}]\n");
  // Over the limit: refused before the body is read.
  body = Body(Run({"", Multipart({{"file[]", "blob", "image/png", kPng + std::string(host::kPastedPictureMb << 20, 'x')}})}));
  EXPECT_TRUE(body.starts_with("[{\"error\":\"\\u56fe\\u7247\\u592a\\u5927")) << body;  // 图片太大
}

TEST_F(EditorUploadPageTest, AForeignPictureIsKeptByTheKindItsBytesShow) {
  qe_test::LoopbackHttpServer server;
  server.Set("/photos/red.jpg", {"200", "Content-Type: image/jpeg\r\n", kPng});
  net::TestFetchAllowance allowance;
  std::string body = Body(Run(ForeignPicture(server.Url("/photos/red.jpg"))));
  std::smatch m;
  ASSERT_TRUE(std::regex_match(body, m, std::regex(R"re(\{"url":"(/Data_UploadFiles/QeEditor/\d{20}\.png)"\}\n)re"))) << body;
  EXPECT_EQ(qe_test::FileContent(Saved(m[1])), kPng);
  EXPECT_EQ(std::distance(stdfs::directory_iterator(Saved("/Data_UploadFiles/QeEditor")), {}), 1);
}

TEST_F(EditorUploadPageTest, AForeignPictureThatCannotBeFetchedIsOneErrorObject) {
  const std::string failed = "{\"error\":\"\\u8fdc\\u7a0b\\u56fe\\u7247\\u4fdd\\u5b58\\u5931\\u8d25\\u3002\"}\n";  // 远程图片保存失败。
  qe_test::LoopbackHttpServer server;
  server.Set("/gone.png", {"404", "Content-Type: image/png\r\n", kPng});
  server.Set("/page.png", {"200", "Content-Type: text/html\r\n", "<html><body>Sign in first</body></html>"});
  server.Set("/inside.png", {"302", "Location: http://192.168.1.1/p.png\r\n", ""});
  {
    net::TestFetchAllowance allowance;
    for (const std::string& address : {server.Url("/gone.png"), server.Url("/page.png"), server.Url("/inside.png"),
                                      std::string("file:///etc/passwd"), std::string("")}) {
      SCOPED_TRACE(address);
      EXPECT_EQ(Body(Run(ForeignPicture(address))), failed);
    }
  }
  // Without the tests' allowance loopback is as private as any inside address:
  // refused before a request is sent.
  const size_t requests = server.Requests().size();
  server.Set("/red.png", {"200", "Content-Type: image/png\r\n", kPng});
  EXPECT_EQ(Body(Run(ForeignPicture(server.Url("/red.png")))), failed);
  EXPECT_EQ(server.Requests().size(), requests);
  EXPECT_TRUE(stdfs::is_empty(Saved("/Data_UploadFiles/QeEditor")));
}

TEST_F(EditorUploadPageTest, NobodyLoggedInUploadsNothing) {
  const std::string why = "{\"error\":\"\\u8bf7\\u5148\\u767b\\u5f55";  // 请先登录
  Request files{"DialogType=all&SaveUpFilesPath=/Data_UploadFiles/office",
                Multipart({{"file[]", "a.txt", "text/plain", "alpha"}})};
  Request pasted{"", Multipart({{"file[]", "blob", "image/png", kPng}})};
  Request foreign{"", "qeEditor-img=https%3A%2F%2Ffar.example%2Fp.png", "application/x-www-form-urlencoded"};
  for (Request* request : {&files, &pasted, &foreign}) request->logged_in = false;
  // An answer the editor reads and shows: one entry for files, one object
  // for a foreign picture.
  std::string answer = Run(files);
  EXPECT_TRUE(answer.starts_with("HTTP/1.1 200 OK\n")) << answer;
  EXPECT_TRUE(Body(answer).starts_with("[" + why)) << answer;
  EXPECT_EQ(Body(answer).find("url"), std::string::npos);
  EXPECT_TRUE(Body(Run(pasted)).starts_with("[" + why)) << Body(Run(pasted));
  EXPECT_TRUE(Body(Run(foreign)).starts_with(why)) << Body(Run(foreign));

  // A session that no longer stands for its account (another password, an
  // account that is not there) is nobody too.
  files.logged_in = true;
  files.user_info = user_info_.substr(0, user_info_.rfind('|') + 1) + "0123456789ABCDEF0123456789ABCDEF";
  EXPECT_TRUE(Body(Run(files)).starts_with("[" + why)) << Body(Run(files));
  files.user_info = "7|li|李老师|教务处|普通用户|20240301120000|";
  EXPECT_TRUE(Body(Run(files)).starts_with("[" + why)) << Body(Run(files));
  EXPECT_FALSE(stdfs::exists(scratch_ / "site" / "Data_UploadFiles"));

  // A user whose password is empty sets one first.
  files.user_info = Account(u"");
  EXPECT_TRUE(Body(Run(files)).starts_with("[{\"error\":\"\\u8bf7\\u5148\\u8bbe\\u7f6e")) << Body(Run(files));  // 请先设置
  EXPECT_FALSE(stdfs::exists(scratch_ / "site" / "Data_UploadFiles"));
  files.user_info = Account(u"pw");
  EXPECT_NE(Body(Run(files)).find("\"url\":\"/Data_UploadFiles/office/"), std::string::npos);
}

TEST_F(EditorUploadPageTest, RequestsNotFromTheEditorAreRefused) {
  Request plain_form{"DialogType=all&SaveUpFilesPath=/Data_UploadFiles/x", Multipart({{"file[]", "a.txt", "", "a"}})};
  plain_form.from_script = false;
  std::string answer = Run(plain_form);
  EXPECT_TRUE(answer.starts_with("HTTP/1.1 403 Forbidden\n")) << answer;
  EXPECT_NE(answer.find("{\"error\":"), std::string::npos);

  Request get{"DialogType=all", "", "text/plain", "GET"};
  EXPECT_TRUE(Run(get).starts_with("HTTP/1.1 405 Method Not Allowed\n"));

  // Another site's page, or another service's on this host: the error page,
  // which the editor cannot read as JSON.
  for (const char* referer : {"http://elsewhere.example/attack.htm", "http://school.example:8080/attack.htm"}) {
    Request foreign{"DialogType=all&SaveUpFilesPath=/Data_UploadFiles/x", Multipart({{"file[]", "a.txt", "", "a"}})};
    foreign.referer = referer;
    answer = Run(foreign);
    EXPECT_EQ(answer.find("\"url\""), std::string::npos) << answer;
    EXPECT_NE(answer.find("<body"), std::string::npos) << answer;
    EXPECT_FALSE(stdfs::exists(scratch_ / "site" / "Data_UploadFiles"));
  }

  Request unknown{"DialogType=flash&SaveUpFilesPath=/Data_UploadFiles/x", Multipart({{"file[]", "a.swf", "", "a"}})};
  EXPECT_TRUE(Body(Run(unknown)).starts_with("[{\"error\":")) << Body(Run(unknown));
}

}  // namespace
