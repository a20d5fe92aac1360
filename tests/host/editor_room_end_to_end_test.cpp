// The editor's upload room through `qe serve --editor-room-mb 1`, as an
// attacker fills it: empty attachments by the thousand. Each file takes at
// least a 4 KiB block of the room and each folder a block, as on the disk;
// a request whose files do not fit writes nothing, and what the room keeps
// stays what the disk holds, so the rest of it lands exactly.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/kesra_class_md5.h"
#include "host/serve_process.h"
#include "host/site_visitor.h"
#include "platform/ado/ado_fixture.h"
#include "support/http_client.h"
#include "support/temp_site.h"

namespace {

namespace stdfs = std::filesystem;

constexpr char kUpload[] = "/comm_qeeditor/upload.asp?DialogType=all&SaveUpFilesPath=/Data_UploadFiles/att";
constexpr size_t kBlocksInRoom = 1024 * 1024 / 4096;

// `count` attachments of `content`, as the editor's dialog posts them.
std::string Attachments(size_t count, const std::string& content) {
  std::string body;
  for (size_t i = 0; i < count; ++i)
    body += "--QeBoundary\r\nContent-Disposition: form-data; name=\"file[]\"; filename=\"e" + std::to_string(i) +
            ".txt\"\r\nContent-Type: text/plain\r\n\r\n" + content + "\r\n";
  return body + "--QeBoundary--\r\n";
}

size_t EntriesIn(const stdfs::path& folder) {
  std::error_code missing;
  size_t count = 0;
  for (stdfs::directory_iterator it(folder, missing), end; !missing && it != end; it.increment(missing)) ++count;
  return count;
}

// A user of right "b", "li" with the password "pw", in the database the
// server made.
void AddEditingUser() {
  ado::InstallAllProviders();
  vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
  com::Call(conn, u"Open", ado_test::Jet(u"C:\\site\\data\\qe.asp"));
  const vb::String row = u"'li','li','教务处','50|60|2|70|80','" + qe::Kesra_Class_Md5().KesraMd5(u"pw") +
                         u"','b',-1,'20240101000000'";
  com::Call(conn, u"Execute",
            u"Insert Into [User] ([Name],[UserName],[Part],[SystemSet],[PassWord],[Rule],[ShenHe],[Time]) Values (" +
                row + u")");
  com::Call(conn, u"Close");
}

TEST(EditorRoomServeTest, EmptyAttachmentsFillTheRoomByTheirBlocks) {
  qe_test::TempSite site;
  host_test::ServeProcess server(site.SiteFolder(), {"--editor-room-mb", "1"});
  host_test::Visitor visitor(server.Port());
  ASSERT_EQ(visitor.Get("/qe/login.asp").status, 200);
  AddEditingUser();
  ASSERT_EQ(visitor.Post("/qe/login.asp", "UserName=li&PassWord=pw").status, 302);
  const stdfs::path uploads = site.SiteFolder() / "Data_UploadFiles";
  // Only the drives' folder, which is no part of the room: it is all free.
  ASSERT_EQ(EntriesIn(uploads), 1u);
  ASSERT_TRUE(stdfs::is_directory(uploads / "NetDriver"));

  std::string cookies;
  for (const auto& [name, value] : visitor.Cookies()) cookies += name + "=" + value + "; ";
  const std::string origin = "http://127.0.0.1:" + std::to_string(server.Port());
  qe_test::HttpClient client(server.Port());
  auto post = [&](size_t count, const std::string& content) {
    auto answer = client.Post(kUpload, Attachments(count, content), "multipart/form-data; boundary=QeBoundary",
                              {{"Cookie", cookies}, {"Referer", origin + "/att/news_edit.asp"},
                               {"X-Requested-With", "XMLHttpRequest"}});
    return answer ? answer->body : "(no answer)";
  };
  const std::string full = "[{\"error\":\"\\u4e0a\\u4f20\\u7a7a\\u95f4\\u5df2\\u6ee1";  // 上传空间已满

  // Each row: the files a request posts, whether the room takes them, and the
  // files the folder holds after it. The folder takes a block of its own.
  struct Row {
    size_t files;
    std::string content;
    bool taken;
    size_t held;
  };
  const size_t rest = kBlocksInRoom - 1 - 200 - 1;
  for (const Row& row : {Row{2000, "", false, 0},            // 2,000 blocks: 8 MB
                         Row{100, "", true, 100}, Row{100, "", true, 200},
                         Row{100, "", false, 200},           // 100 more blocks than are left
                         Row{1, "alpha", true, 201},         // a normal upload still fits
                         Row{rest + 1, "", false, 201},      // one block past the brim
                         Row{rest, "", true, 201 + rest},    // the brim itself
                         Row{1, "", false, 201 + rest}}) {
    SCOPED_TRACE(std::to_string(row.files) + " files");
    const std::string body = post(row.files, row.content);
    EXPECT_EQ(body.starts_with(full), !row.taken) << body.substr(0, 200);
    if (row.taken) EXPECT_EQ(body.find("error"), std::string::npos) << body.substr(0, 200);
    EXPECT_EQ(EntriesIn(uploads / "att"), row.held);
  }
  EXPECT_EQ(EntriesIn(uploads), 2u);
}

}  // namespace
