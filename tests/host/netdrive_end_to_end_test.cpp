// The network drive through `qe serve`: two users log in, each works in
// their own drive only, and no drive file is ever served as a static file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

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
  Answer made = li.Get("/qe/main/netdrivers_create_del.asp?p_Act=CreateFolder&" + folder + "&p_CurrentFile=docs");
  EXPECT_NE(made.body.find(Utf8(u"文件夹创建成功！")), std::string::npos) << made.body;
  li.Get("/qe/main/netdrivers_create_del.asp?p_Act=CreateFile&" + folder + "&p_CurrentFile=a.txt");
  bob.Get("/qe/main/netdrivers_create_del.asp?p_Act=CreateFile&" + folder + "&p_CurrentFile=bob.txt");
  li.Get("/qe/main/netdrivers_rename.asp?p_Act=ReNameFile&" + folder + "&p_OldName=a.txt&p_NewName=b.txt");
  Answer copied = li.Post("/qe/main/netdrivers_copy.asp?" + folder + "&p_CopyType=0", "p_Act=copy&files=b.txt",
                          kDrivePage);
  EXPECT_NE(copied.body.find("netdrivers.asp?p_CurrentFolder=/"), std::string::npos) << copied.body;
  li.Get(std::string(kDrivePage) + "?p_Act=paste&p_CurrentFolder=%2Fdocs%2F");
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
    bob.Get(target);
  EXPECT_EQ(Listed(bob, "%2F..%2Fli%2F"), "");
  EXPECT_EQ(Listed(li), "docs/ b.txt ");

  Answer deleted = li.Post("/qe/main/netdrivers_delbatch.asp?" + folder, "p_Act=DelBatch&folders=docs&files=b.txt",
                           kDrivePage);
  EXPECT_NE(deleted.body.find(Utf8(u"已删除!")), std::string::npos) << deleted.body;
  EXPECT_EQ(Listed(li), "");
  EXPECT_EQ(Listed(bob), "bob.txt ");
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
