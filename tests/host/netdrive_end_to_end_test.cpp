// The network drive through `qe serve`: two users log in, each works in
// their own drive only, and no drive file is ever served as a static file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/kesra_class_md5.h"
#include "host/raw_http.h"
#include "host/serve_process.h"
#include "support/archive_bytes.h"
#include "host/site_visitor.h"
#include "platform/ado/ado_fixture.h"

namespace {

using Answer = host_test::PageAnswer;
using host_test::Visitor;

constexpr char kDrivePage[] = "/qe/main/netdrivers.asp";

std::string Utf8(const std::u16string& text) { return vb::ToUtf8(text); }

class NetDriveServeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    site_ = new qe_test::TempSite;
    server_ = new host_test::ServeProcess(site_->SiteFolder(), {"--max-body-mb", "2"});
    Visitor first(server_->Port());
    ASSERT_EQ(first.Get("/qe/login.asp").status, 200);
    ado::InstallAllProviders();
    vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
    com::Call(conn, u"Open", ado_test::Jet(u"C:\\site\\data\\qe.asp"));
    // tiny's drive holds 1 MB.
    for (auto [name, sizes] : {std::pair{u"li", u"50|60|2|70|80"}, {u"bob", u"50|60|2|70|80"}, {u"tiny", u"50|60|2|70|1"}})
      com::Call(conn, u"Execute",
                u"Insert Into [User] ([Name],[UserName],[Part],[SystemSet],[PassWord],[Rule],[ShenHe],[Time]) Values ('" +
                    vb::String(name) + u"','" + name + u"','教务处','" + sizes + u"','" +
                    qe::Kesra_Class_Md5().KesraMd5(u"pw") + u"','b',-1,'20240101000000')");
    com::Call(conn, u"Close");
  }
  static void TearDownTestSuite() {
    delete server_;
    delete site_;
  }

  static std::unique_ptr<Visitor> LoggedIn(const std::string& name) {
    auto visitor = std::make_unique<Visitor>(server_->Port());
    EXPECT_EQ(visitor->Post("/qe/login.asp", "UserName=" + name + "&PassWord=pw").status, 302);
    return visitor;
  }
  static std::filesystem::path Drive(const std::string& name) {
    return site_->SiteFolder() / "Data_UploadFiles" / "NetDriver" / name;
  }
  // The names the drive page lists, in its order.
  static std::string Listed(Visitor& visitor, const std::string& folder = "/") {
    Answer page = visitor.Get(std::string(kDrivePage) + "?p_CurrentFolder=" + folder);
    std::string names;
    const std::string mark = "class=\"entry\">";
    for (size_t at = 0; (at = page.body.find(mark, at)) != std::string::npos;) {
      at += mark.size();
      names += page.body.substr(at, page.body.find('<', at) - at) + " ";
    }
    return names;
  }

  static qe_test::TempSite* site_;
  static host_test::ServeProcess* server_;
};

qe_test::TempSite* NetDriveServeTest::site_ = nullptr;
host_test::ServeProcess* NetDriveServeTest::server_ = nullptr;

TEST_F(NetDriveServeTest, EachUserWorksInTheirOwnDriveOnly) {
  std::unique_ptr<Visitor> li_visitor = LoggedIn("li"), bob_visitor = LoggedIn("bob");
  Visitor& li = *li_visitor;
  Visitor& bob = *bob_visitor;
  ASSERT_TRUE(std::filesystem::is_directory(Drive("li")));
  ASSERT_TRUE(std::filesystem::is_directory(Drive("bob")));

  const std::string folder = "p_CurrentFolder=%2F";
  Answer made =
      li.Get("/qe/main/netdrivers_create_del.asp?p_Act=CreateFolder&" + folder + "&p_CurrentFile=docs", kDrivePage);
  EXPECT_NE(made.body.find(Utf8(u"文件夹创建成功！")), std::string::npos) << made.body;
  li.Get("/qe/main/netdrivers_create_del.asp?p_Act=CreateFile&" + folder + "&p_CurrentFile=a.txt", kDrivePage);
  bob.Get("/qe/main/netdrivers_create_del.asp?p_Act=CreateFile&" + folder + "&p_CurrentFile=bob.txt", kDrivePage);
  li.Get("/qe/main/netdrivers_rename.asp?p_Act=ReNameFile&" + folder + "&p_OldName=a.txt&p_NewName=b.txt", kDrivePage);
  Answer copied = li.Post("/qe/main/netdrivers_copy.asp?" + folder + "&p_CopyType=0", "p_Act=copy&files=b.txt",
                          kDrivePage);
  EXPECT_NE(copied.body.find("netdrivers.asp?p_CurrentFolder=/"), std::string::npos) << copied.body;
  li.Get(std::string(kDrivePage) + "?p_Act=paste&p_CurrentFolder=%2Fdocs%2F", kDrivePage);
  EXPECT_EQ(Listed(li), "docs/ b.txt ");
  EXPECT_EQ(Listed(li, "%2Fdocs%2F"), "b.txt ");
  EXPECT_EQ(Listed(bob), "bob.txt ");

  // Bob's clipboard names li's folder: his paste does nothing.
  bob.Post("/qe/main/netdrivers_copy.asp?" + folder + "&p_CopyType=0", "p_Act=cut&files=bob.txt", kDrivePage);
  for (const char* target : {"/qe/main/netdrivers_create_del.asp?p_Act=DelFile&p_CurrentFolder=%2F..%2Fli%2F&p_CurrentFile=b.txt",
                             "/qe/main/netdrivers_create_del.asp?p_Act=DelFolder&p_CurrentFolder=%2F&p_CurrentFile=..%2Fli",
                             "/qe/main/netdrivers_rename.asp?p_Act=ReNameFolder&p_CurrentFolder=%2F&p_OldName=..&p_NewName=x",
                             "/qe/main/netdrivers.asp?p_CurrentFolder=%2F..%2Fli%2F",
                             "/qe/main/netdrivers_edit.asp?p_CurrentFile=..%2Fli%2Fb.txt"})
    bob.Get(target, kDrivePage);
  EXPECT_EQ(Listed(bob, "%2F..%2Fli%2F"), "");
  EXPECT_EQ(Listed(li), "docs/ b.txt ");

  Answer deleted = li.Post("/qe/main/netdrivers_delbatch.asp?" + folder, "p_Act=DelBatch&folders=docs&files=b.txt",
                           kDrivePage);
  EXPECT_NE(deleted.body.find(Utf8(u"已删除!")), std::string::npos) << deleted.body;
  EXPECT_EQ(Listed(li), "");
  EXPECT_EQ(Listed(bob), "bob.txt ");
}

// Two accounts whose display names match but for case and blanks (rows
// another tool wrote) would name one folder: neither opens it, and it is
// whole and the owner's again once one of them is renamed.
TEST_F(NetDriveServeTest, AccountsSharingADisplayNameShareNoDrive) {
  std::unique_ptr<Visitor> li = LoggedIn("li");
  li->Get("/qe/main/netdrivers_create_del.asp?p_Act=CreateFile&p_CurrentFolder=%2F&p_CurrentFile=mine.txt", kDrivePage);
  ASSERT_EQ(Listed(*li), "mine.txt ");
  vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
  com::Call(conn, u"Open", ado_test::Jet(u"C:\\site\\data\\qe.asp"));
  com::Call(conn, u"Execute",
            u"Insert Into [User] ([Name],[UserName],[Part],[SystemSet],[PassWord],[Rule],[ShenHe],[Time]) Values ("
            u"' LI ','li2','教务处','50|60|2|70|80','" + qe::Kesra_Class_Md5().KesraMd5(u"pw") +
                u"','b',-1,'20240101000000')");
  std::unique_ptr<Visitor> other = LoggedIn("li2");
  for (Visitor* visitor : {li.get(), other.get()}) {
    for (const std::string& target : {std::string(kDrivePage), std::string("/qe/main/netdrivers.asp?p_Act=download&p_CurrentFile=mine.txt"),
                                     std::string("/qe/main/netdrivers_create_del.asp?p_Act=DelFile&p_CurrentFolder=%2F&p_CurrentFile=mine.txt")}) {
      Answer refused = visitor->Get(target, kDrivePage);
      EXPECT_NE(refused.body.find(Utf8(u"另有帐号使用与您相同的姓名")), std::string::npos) << target << refused.body;
      EXPECT_EQ(refused.body.find("mine.txt"), std::string::npos) << target;
    }
  }
  EXPECT_TRUE(std::filesystem::is_regular_file(Drive("li") / "mine.txt"));
  com::Call(conn, u"Execute", vb::String(u"Update [User] Set [Name]='li2' Where [UserName]='li2'"));
  com::Call(conn, u"Close");
  EXPECT_EQ(Listed(*li), "mine.txt ");
  li->Get("/qe/main/netdrivers_create_del.asp?p_Act=DelFile&p_CurrentFolder=%2F&p_CurrentFile=mine.txt", kDrivePage);
  EXPECT_EQ(Listed(*li), "");
}

// Every drive action is refused unless it comes from the site's own pages,
// whatever its method: typed in, or from another site or another service on
// this host. Nothing changes; the same actions from the drive page work.
TEST_F(NetDriveServeTest, ActionsFromElsewhereChangeNothing) {
  std::unique_ptr<Visitor> li_visitor = LoggedIn("li");
  Visitor& li = *li_visitor;
  std::filesystem::create_directories(Drive("li") / "docs");
  std::ofstream(Drive("li") / "victim.txt") << "kept";
  const std::string port = std::to_string(server_->Port());
  const std::string here = "/qe/main/netdrivers.asp?p_CurrentFolder=%2F";
  ASSERT_EQ(li.Post("/qe/main/netdrivers_copy.asp?p_CurrentFolder=%2F&p_CopyType=0", "p_Act=copy&files=victim.txt",
                    kDrivePage).status, 200);
  struct Attack {
    const char* what;
    bool post;
    std::string target, form;
  } attacks[] = {
      {"delete", false, "/qe/main/netdrivers_create_del.asp?p_CurrentFolder=%2F&p_CurrentFile=victim.txt&p_Act=DelFile", ""},
      {"create", false, "/qe/main/netdrivers_create_del.asp?p_CurrentFolder=%2F&p_CurrentFile=new.txt&p_Act=CreateFile", ""},
      {"rename", false,
       "/qe/main/netdrivers_rename.asp?p_Act=ReNameFile&p_CurrentFolder=%2F&p_OldName=victim.txt&p_NewName=x.txt", ""},
      {"edit", false, "/qe/main/netdrivers_edit.asp?p_CurrentFile=%2Fvictim.txt&p_Act=EditFile", ""},
      {"edit posted", true, "/qe/main/netdrivers_edit.asp?p_CurrentFile=%2Fvictim.txt", "p_Act=EditFile&fcontent=x"},
      {"paste", false, "/qe/main/netdrivers.asp?p_Act=paste&p_CurrentFolder=%2Fdocs%2F", ""},
      {"cut", true, "/qe/main/netdrivers_copy.asp?p_CurrentFolder=%2F&p_CopyType=0", "p_Act=cut&files=victim.txt"},
      {"batch delete", true, "/qe/main/netdrivers_delbatch.asp?p_CurrentFolder=%2F", "p_Act=DelBatch&files=victim.txt"},
  };
  for (const Attack& attack : attacks) {
    for (const std::string& from : std::vector<std::string>{"", "http://127.0.0.1:1/attack.html",
                                                            "http://localhost:" + port + "/attack.html",
                                                            "http://evil.example/"}) {
      Answer answer = attack.post ? li.Post(attack.target, attack.form, from) : li.Get(attack.target, from);
      EXPECT_NE(answer.body.find(Utf8(u"您提交的数据不合法，请不要从外部提交数据。")), std::string::npos)
          << attack.what << " from " << from << ": " << answer.body;
    }
  }
  EXPECT_EQ(Listed(li), "docs/ victim.txt ");
  EXPECT_EQ(Listed(li, "%2Fdocs%2F"), "");
  std::ifstream victim(Drive("li") / "victim.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(victim), {}), "kept");

  // The cut attack left the copy on the clipboard: the drive page pastes it.
  li.Get("/qe/main/netdrivers.asp?p_Act=paste&p_CurrentFolder=%2Fdocs%2F", here);
  EXPECT_EQ(Listed(li, "%2Fdocs%2F"), "victim.txt ");
  Answer deleted = li.Get(
      "/qe/main/netdrivers_create_del.asp?p_CurrentFolder=%2F&p_CurrentFile=victim.txt&p_Act=DelFile", here);
  EXPECT_NE(deleted.body.find(Utf8(u"文件删除成功！")), std::string::npos) << deleted.body;
  std::filesystem::remove_all(Drive("li") / "docs");
}

TEST_F(NetDriveServeTest, DriveFilesAreNeverServedAsTheyAre) {
  std::filesystem::create_directories(Drive("li"));
  for (const char* name : {"x.asp", "x.html", "x.txt", "x.jpg"}) std::ofstream(Drive("li") / name) << "<script>";
  Visitor visitor(server_->Port());
  for (const char* target : {"/Data_UploadFiles/NetDriver/li/x.html", "/data_uploadfiles/netdriver/li/x.txt",
                             "/Data_UploadFiles/NetDriver/li/x.asp", "/DATA_UPLOADFILES/NETDRIVER/LI/X.JPG"})
    EXPECT_EQ(visitor.Get(target).status, 404) << target;
  Answer editor = LoggedIn("li")->Get("/qe/main/netdrivers_edit.asp?p_CurrentFile=x.html");
  EXPECT_NE(editor.body.find("&lt;script&gt;</textarea>"), std::string::npos) << editor.body;
}


// The drive's file pages: upload, unpack, view and download.
class NetDriveFilePagesTest : public NetDriveServeTest {
 protected:
  static constexpr uintmax_t kMegabyte = 1048576;
  // The least room a file or folder takes.
  static constexpr uintmax_t kBlock = 4096;
  struct Sent {
    std::string name, data;
  };
  // The upload form's post of several files at once, from the upload page.
  static Answer Upload(Visitor& visitor, const std::vector<Sent>& files, const std::string& from = "/qe/main/netdrivers_upload.asp") {
    const std::string boundary = "----qeDriveUpload";
    std::string body;
    for (const Sent& file : files)
      body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"files\"; filename=\"" + file.name +
              "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + file.data + "\r\n";
    body += "--" + boundary + "--\r\n";
    return visitor.PostBody("/qe/main/netdrivers_upload.asp?p_CurrentFolder=%2F", body,
                            "multipart/form-data; boundary=" + boundary, from);
  }
  static Answer Unpack(Visitor& visitor, const std::string& archive, const std::string& from = kDrivePage) {
    return visitor.Get("/qe/main/netdrivers_unzip.asp?p_Act=unzip&p_CurrentFolder=%2F&p_CurrentFile=" + archive, from);
  }
  static void Put(const std::string& user, const std::string& name, const std::string& data) {
    std::filesystem::create_directories((Drive(user) / name).parent_path());
    std::ofstream(Drive(user) / name, std::ios::binary) << data;
  }
  void TearDown() override {
    for (const char* user : {"li", "bob", "tiny"}) {
      std::error_code ignored;
      for (const auto& entry : std::filesystem::directory_iterator(Drive(user), ignored))
        std::filesystem::remove_all(entry.path(), ignored);
    }
  }
  static bool Says(const Answer& answer, const std::u16string& text) {
    return answer.body.find(Utf8(text)) != std::string::npos;
  }
};

TEST_F(NetDriveFilePagesTest, UploadLandsExactlyOnTheQuotaAndNotAByteOver) {
  std::unique_ptr<Visitor> tiny = LoggedIn("tiny");
  EXPECT_NE(tiny->Get("/qe/main/netdrivers_upload.asp?p_CurrentFolder=%2F").body.find("multiple"), std::string::npos);

  // One byte over, in two files: refused whole.
  Answer over = Upload(*tiny, {{"a.bin", std::string(kMegabyte / 2, 'a')}, {"b.bin", std::string(kMegabyte / 2 + 1, 'b')}});
  EXPECT_TRUE(Says(over, u"你的网络硬盘空间已超过了额定的1M容量！")) << over.body;
  EXPECT_EQ(Listed(*tiny), "");

  // From elsewhere: refused, nothing saved.
  Answer elsewhere = Upload(*tiny, {{"a.bin", "x"}}, "http://evil.example/");
  EXPECT_TRUE(Says(elsewhere, u"您提交的数据不合法，请不要从外部提交数据。")) << elsewhere.body;
  EXPECT_EQ(Listed(*tiny), "");

  // A small file takes a disk block: two one-byte files beside one a block
  // short of the quota are a block over.
  Answer blocks = Upload(*tiny, {{"a.bin", std::string(kMegabyte - 4096, 'a')}, {"b.txt", "b"}, {"c.txt", "c"}});
  EXPECT_TRUE(Says(blocks, u"你的网络硬盘空间已超过了额定的1M容量！")) << blocks.body;
  EXPECT_EQ(Listed(*tiny), "");

  // Exactly the quota: saved, under the client's names.
  Answer exact = Upload(*tiny, {{"a.bin", std::string(kMegabyte / 2, 'a')}, {"b.bin", std::string(kMegabyte / 2, 'b')}});
  EXPECT_TRUE(Says(exact, u"上传成功！")) << exact.body;
  EXPECT_EQ(Listed(*tiny), "a.bin b.bin ");
  EXPECT_EQ(std::filesystem::file_size(Drive("tiny") / "b.bin"), kMegabyte / 2);

  // Full: even one byte more is refused.
  EXPECT_TRUE(Says(Upload(*tiny, {{"c.txt", "c"}}), u"你的网络硬盘空间已超过了额定的1M容量！"));
  EXPECT_EQ(Listed(*tiny), "a.bin b.bin ");

  // Past the server's body limit (--max-body-mb 2) the page answers in its
  // own words at once, before the body comes.
  std::string cookies;
  for (const auto& [name, value] : tiny->Cookies()) cookies += name + "=" + value + "; ";
  const std::string origin = "http://127.0.0.1:" + std::to_string(server_->Port());
  host_test::Received past = host_test::Exchange(
      server_->Port(),
      "POST /qe/main/netdrivers_upload.asp?p_CurrentFolder=%2F HTTP/1.1\r\nHost: " + origin.substr(7) + "\r\nCookie: " + cookies +
          "\r\nReferer: " + origin + "/qe/main/netdrivers_upload.asp\r\n"
          "Content-Type: multipart/form-data; boundary=b\r\nContent-Length: 3145728\r\n\r\n",
      3000);
  EXPECT_EQ(host_test::StatusOf(past.bytes), 200) << past.bytes;
  EXPECT_NE(vb::ToUtf8(text::DecodeAnsi(past.bytes)).find(Utf8(u"超出了最大容量(容许值为2M)")), std::string::npos)
      << past.bytes;
  EXPECT_TRUE(past.closed);
}

TEST_F(NetDriveFilePagesTest, UploadKeepsTheDrivesNamesAndNeverReplaces) {
  std::unique_ptr<Visitor> li = LoggedIn("li");
  Put("li", "a.txt", "old");
  EXPECT_TRUE(Says(Upload(*li, {{"a.txt", "new"}}), u"上传成功！"));
  EXPECT_EQ(Listed(*li), "a(0).txt a.txt ");
  std::ifstream kept(Drive("li") / "a.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "old");
  // Refused by the drive's name rules or by the parser: nothing saved.
  for (auto [name, says] : {std::pair{"a*b.txt", u"指定的文件名或路径中含有非法字符"},
                            {"a\x01.txt", u"其他原因出错"}, {"con", u"指定的文件名或路径中含有非法字符"}}) {
    Answer refused = Upload(*li, {{name, "x"}});
    EXPECT_TRUE(Says(refused, says)) << name << ": " << refused.body;
  }
  EXPECT_EQ(Listed(*li), "a(0).txt a.txt ");
}

TEST_F(NetDriveFilePagesTest, UnpackCountsWhatItUnpacksAndKeepsNothingOverTheQuota) {
  std::unique_ptr<Visitor> tiny = LoggedIn("tiny");
  const std::string zip = qe_test::ZipBytes({qe_test::StoredEntry("one.bin", std::string(299000, 'o')),
                                             qe_test::StoredEntry("docs/two.bin", std::string(1000, 't'))});
  // one.bin, and a block each for docs/ and the small two.bin.
  const uintmax_t content = 299000 + 2 * kBlock;
  Put("tiny", "big.zip", zip);
  // The drive then holds the archive, the filler and what the archive unpacks.
  Put("tiny", "filler.bin", std::string(kMegabyte + 1 - zip.size() - content, 'f'));
  Answer over = Unpack(*tiny, "big.zip");
  EXPECT_TRUE(Says(over, u"你的网络硬盘空间已超过了额定的1M容量！")) << over.body;
  EXPECT_EQ(Listed(*tiny), "big.zip filler.bin ");
  Put("tiny", "filler.bin", std::string(kMegabyte - zip.size() - content, 'f'));
  Answer exact = Unpack(*tiny, "big.zip");
  EXPECT_TRUE(Says(exact, u"操作成功")) << exact.body;
  EXPECT_EQ(Listed(*tiny), "docs/ big.zip filler.bin one.bin ");
  EXPECT_EQ(std::filesystem::file_size(Drive("tiny") / "docs" / "two.bin"), 1000u);
  // Unpacked again, it replaces its own files: it adds nothing, so it fits.
  EXPECT_TRUE(Says(Unpack(*tiny, "big.zip"), u"操作成功"));
  TearDown();

  Put("tiny", "small.zip", qe_test::ZipBytes({qe_test::StoredEntry("docs/a.txt", "zip")}));
  Put("tiny", "small.rar", qe_test::Rar4Bytes({qe_test::RarFile("b.txt", "rar")}));
  EXPECT_TRUE(Says(Unpack(*tiny, "small.zip", "http://127.0.0.1:1/"), u"您提交的数据不合法，请不要从外部提交数据。"));
  EXPECT_EQ(Listed(*tiny), "small.rar small.zip ");
  Answer zipped = Unpack(*tiny, "small.zip");
  EXPECT_TRUE(Says(zipped, u"操作成功")) << zipped.body;
  Answer rar = Unpack(*tiny, "small.rar");
  EXPECT_TRUE(Says(rar, u"操作成功")) << rar.body;
  EXPECT_EQ(Listed(*tiny), "docs/ b.txt small.rar small.zip ");
  EXPECT_EQ(Listed(*tiny, "%2Fdocs%2F"), "a.txt ");

  // An archive named in another user's drive is not found.
  Put("li", "li.zip", qe_test::ZipBytes({qe_test::StoredEntry("li.txt", "li")}));
  EXPECT_TRUE(Says(Unpack(*tiny, "..%2Fli%2Fli.zip"), u"文件不存在！"));
  EXPECT_FALSE(std::filesystem::exists(Drive("tiny") / "li.txt"));
  EXPECT_TRUE(std::filesystem::is_empty(site_->SiteFolder() / "temp"));
}

// Entries cost room: each file and folder an archive unpacks takes at least a
// block, and an archive that declares more than the room is refused before
// anything is written (its empty folders are more than an extraction may
// hold: only a check before unpacking answers with the quota).
TEST_F(NetDriveFilePagesTest, UnpackCountsEachEntryAsAtLeastABlock) {
  std::unique_ptr<Visitor> tiny = LoggedIn("tiny");
  std::vector<qe_test::RawZipEntry> empty_folders;
  for (int i = 0; i < 10001; ++i) empty_folders.push_back(qe_test::StoredEntry("f" + std::to_string(i) + "/", ""));
  const std::string folders = qe_test::ZipBytes(empty_folders);
  const std::string three = qe_test::ZipBytes(
      {qe_test::StoredEntry("s/", ""), qe_test::StoredEntry("s/a.txt", ""), qe_test::StoredEntry("s/b.txt", "b")});
  Put("tiny", "folders.zip", folders);
  Put("tiny", "three.zip", three);
  const uintmax_t archives = std::max(folders.size(), kBlock) + std::max(three.size(), kBlock);
  Put("tiny", "filler.bin", std::string(kMegabyte - archives - 3 * kBlock + 1, 'f'));  // a byte short of 3 blocks
  for (const char* archive : {"folders.zip", "three.zip"}) {
    Answer refused = Unpack(*tiny, archive);
    EXPECT_TRUE(Says(refused, u"你的网络硬盘空间已超过了额定的1M容量！")) << archive << ": " << refused.body;
  }
  EXPECT_EQ(Listed(*tiny), "filler.bin folders.zip three.zip ");
  Put("tiny", "filler.bin", std::string(kMegabyte - archives - 3 * kBlock, 'f'));
  Answer exact = Unpack(*tiny, "three.zip");
  EXPECT_TRUE(Says(exact, u"操作成功")) << exact.body;
  EXPECT_EQ(Listed(*tiny), "s/ filler.bin folders.zip three.zip ");
  EXPECT_TRUE(Says(Unpack(*tiny, "three.zip"), u"操作成功")) << "over its own entries it adds nothing";
  EXPECT_TRUE(Says(Unpack(*tiny, "folders.zip"), u"你的网络硬盘空间已超过了额定的1M容量！"));
  EXPECT_EQ(Listed(*tiny), "s/ filler.bin folders.zip three.zip ");
  EXPECT_TRUE(std::filesystem::is_empty(site_->SiteFolder() / "temp"));
}

TEST_F(NetDriveFilePagesTest, DownloadGivesTheOwnersOwnFilesOnly) {
  std::unique_ptr<Visitor> li = LoggedIn("li"), bob = LoggedIn("bob");
  const std::string bytes("\x89PNG\r\n\x1a\n\0\xff raw", 14);
  Put("li", "docs/中文 a.bin", bytes);
  Answer own = li->Get(std::string(kDrivePage) + "?p_Act=download&p_CurrentFile=%2Fdocs%2F%D6%D0%CE%C4%20a.bin");
  EXPECT_EQ(own.raw, bytes);
  auto disposition = own.headers.find("Content-Disposition");
  ASSERT_NE(disposition, own.headers.end());
  EXPECT_NE(disposition->second.find("attachment"), std::string::npos);
  EXPECT_NE(disposition->second.find("%E4%B8%AD%E6%96%87%20a.bin"), std::string::npos) << disposition->second;

  std::filesystem::create_directories(Drive("bob"));
  std::filesystem::create_symlink(Drive("li") / "docs", Drive("bob") / "link");
  for (const char* file : {"%2F..%2Fli%2Fdocs%2F%D6%D0%CE%C4%20a.bin", "..%2Fli%2Fdocs%2F%D6%D0%CE%C4%20a.bin",
                           "%2Flink%2F%D6%D0%CE%C4%20a.bin", "%2Fdocs%2F"}) {
    Answer refused = bob->Get(std::string(kDrivePage) + "?p_Act=download&p_CurrentFile=" + file);
    EXPECT_TRUE(Says(refused, u"文件不存在！")) << file << ": " << refused.body;
    EXPECT_EQ(refused.raw.find("raw"), std::string::npos) << file;
  }
  // The public download page keeps refusing every drive file.
  EXPECT_EQ(li->Get("/Data_UploadFiles/NetDriver/li/docs/a.bin").status, 404);
}

TEST_F(NetDriveFilePagesTest, ViewShowsTextAndPicturesAndOffersTheRestForDownload) {
  std::unique_ptr<Visitor> li = LoggedIn("li");
  const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x02\0\0\0\x03\x08\x02\0\0\0", 29);
  Put("li", "note.txt", "<b>\xe4\xb8\xad\xe6\x96\x87 \xf0\x9f\x98\x80</b>");  // UTF-8
  Put("li", "gb.txt", "\xd6\xd0\xce\xc4");                                       // code page 936
  Put("li", "p.png", png);
  Put("li", "fake.png", "<script>alert(1)</script>");
  Put("li", "data.bin", std::string("\0\1\2", 3));
  // Encoded in blocks: a character of two UTF-16 units across a block's end.
  Put("li", "long.txt", std::string(16383, 'a') + "\xf0\x9f\x98\x80&");
  const std::string view = "/qe/main/netdrivers_view.asp?p_Act=View&p_CurrentFile=%2F";
  struct Case {
    const char* file;
    std::string shown;
  } cases[] = {
      {"note.txt", "<pre id=\"text\">&lt;b&gt;&#20013;&#25991; &#128512;&lt;/b&gt;</pre>"},
      {"gb.txt", "<pre id=\"text\">&#20013;&#25991;</pre>"},
      {"p.png", "<img id=\"picture\" src=\"netdrivers_view.asp?p_Act=Picture&amp;p_CurrentFile=/p.png\""},
      {"fake.png", "<p id=\"other\">"},
      {"data.bin", "<p id=\"other\">"},
      {"long.txt", "aaa&#128512;&amp;</pre>"},
  };
  for (const Case& c : cases) {
    Answer page = li->Get(view + c.file);
    EXPECT_NE(page.body.find(c.shown), std::string::npos) << c.file << ": " << page.body;
    EXPECT_NE(page.body.find(std::string("href=\"netdrivers.asp?p_Act=download&amp;p_CurrentFile=/") + c.file),
              std::string::npos)
        << c.file;
  }
  Answer picture = li->Get("/qe/main/netdrivers_view.asp?p_Act=Picture&p_CurrentFile=%2Fp.png");
  EXPECT_EQ(picture.raw, png);
  auto type = picture.headers.find("Content-Type");
  ASSERT_NE(type, picture.headers.end());
  EXPECT_EQ(type->second.rfind("image/png", 0), 0u) << type->second;
  EXPECT_EQ(picture.headers.count("Content-Disposition"), 0u);
  EXPECT_TRUE(Says(li->Get("/qe/main/netdrivers_view.asp?p_Act=Picture&p_CurrentFile=%2Ffake.png"),
                   u"不允许该类文件下载！"));
}

TEST_F(NetDriveFilePagesTest, DrivePageLinksUpAndToItsFilePages) {
  std::unique_ptr<Visitor> li = LoggedIn("li");
  Put("li", "a/b/x.zip", "zip");
  Answer root = li->Get(std::string(kDrivePage) + "?p_CurrentFolder=%2F");
  EXPECT_EQ(root.body.find("id=\"up\""), std::string::npos);
  EXPECT_NE(root.body.find("href=\"/qe/qe.css\""), std::string::npos);
  EXPECT_NE(root.body.find("upfile()"), std::string::npos);
  Answer inner = li->Get(std::string(kDrivePage) + "?p_CurrentFolder=%2Fa%2Fb%2F");
  EXPECT_NE(inner.body.find("href=\"netdrivers.asp?p_CurrentFolder=/a/\" id=\"up\""), std::string::npos) << inner.body;
  EXPECT_NE(inner.body.find("down_file('x.zip')"), std::string::npos);
  EXPECT_NE(inner.body.find("zipunzip('unzip','x.zip')"), std::string::npos);
  Answer middle = li->Get(std::string(kDrivePage) + "?p_CurrentFolder=%2Fa%2F");
  EXPECT_NE(middle.body.find("href=\"netdrivers.asp?p_CurrentFolder=/\" id=\"up\""), std::string::npos);
}

}  // namespace
