// The network drive through `qe serve`: two users log in, each works in
// their own drive only, and no drive file is ever served as a static file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/kesra_class_md5.h"
#include "host/serve_process.h"
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
    server_ = new host_test::ServeProcess(site_->SiteFolder());
    Visitor first(server_->Port());
    ASSERT_EQ(first.Get("/qe/login.asp").status, 200);
    ado::InstallAllProviders();
    vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
    com::Call(conn, u"Open", ado_test::Jet(u"C:\\site\\data\\qe.asp"));
    for (const char16_t* name : {u"li", u"bob"})
      com::Call(conn, u"Execute",
                u"Insert Into [User] ([Name],[UserName],[Part],[SystemSet],[PassWord],[Rule],[ShenHe],[Time]) Values ('" +
                    vb::String(name) + u"','" + name + u"','教务处','50|60|2|70|80','" +
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

}  // namespace
