// Shell openings on a desktop-less server, and addresses over the network.
#include <gtest/gtest.h>

#include "common/kesra_file_shell.h"
#include "platform/net/remote_fetch.h"
#include "platform/sys/shell_execute.h"
#include "support/loopback_http_server.h"
#include "support/temp_site.h"

namespace {

using namespace qe;
using vb::String;

class KesraShellOpenTest : public testing::Test {
 protected:
  void SetUp() override { sys::ClearShellRecord(); }
  void TearDown() override { sys::ClearShellRecord(); }

  // The openings and logged messages of one call.
  std::pair<std::vector<sys::ShellOpening>, std::vector<String>> Open(const String& type, const String& target,
                                                                      uint8_t flag = 1) {
    sys::ClearShellRecord();
    uint8_t kept = flag;
    KesraShellOpen(type, target, kept, u"找不到文件!");
    EXPECT_EQ(kept, flag);
    return {sys::ShellOpenings(), sys::LoggedEvents()};
  }

  qe_test::TempSite site_;
};

TEST_F(KesraShellOpenTest, OpensAFileBesideTheComponentFirst) {
  site_.WriteFile("Windows/System32/update/update.bat", "@echo off");
  site_.WriteFile("update/update.bat");
  auto [opened, logged] = Open(u" file ", u"update\\update.bat");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].verb, u"OPEN");
  EXPECT_EQ(opened[0].file, u"C:\\Windows\\System32\\update\\update.bat");
  EXPECT_TRUE(logged.empty());
}

TEST_F(KesraShellOpenTest, OpensTheFileAsGivenOrLogsTheMessage) {
  site_.WriteFile("site/run.bat");
  auto [opened, logged] = Open(u"FILE", u"C:\\site\\run.bat");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].file, u"C:\\site\\run.bat");
  auto [none, message] = Open(u"File", u"update\\update.bat");
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(message, (std::vector<String>{u"Qe: 找不到文件!"}));
}

TEST_F(KesraShellOpenTest, ExploresAFolderWithFlagOne) {
  site_.MakeFolder("site/docs");
  EXPECT_EQ(Open(u"folder", u"C:\\site\\docs", 1).first[0].verb, u"EXPLORE");
  EXPECT_EQ(Open(u"folder", u"C:\\site\\docs", 0).first[0].verb, u"OPEN");
  auto [none, message] = Open(u"FOLDER", u"C:\\site\\missing");
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(message.size(), 1u);
}

TEST_F(KesraShellOpenTest, OpensTheFixedAddressesAndIgnoresOtherTypes) {
  EXPECT_EQ(Open(u"www", u"").first[0].file, u"http://localhost/");
  String mail = Open(u"EMAIL", u"").first[0].file;
  EXPECT_EQ(mail.rfind(u"MAILTO:", 0), 0u);
  EXPECT_EQ(mail.substr(mail.find(u'?')), u"?subject=意见与建议");
  auto [none, logged] = Open(u"PRINT", u"C:\\site");
  EXPECT_TRUE(none.empty());
  EXPECT_TRUE(logged.empty());
}

TEST(KesraOpenUrl, IsTrueWhenAServerAnswersAtAll) {
  net::TestFetchAllowance loopback;
  qe_test::LoopbackHttpServer server;
  EXPECT_TRUE(KesraOpenUrl(vb::FromUtf8(server.Url("/status/200"))));
  EXPECT_TRUE(KesraOpenUrl(vb::FromUtf8(server.Url("/status/404"))));
  EXPECT_TRUE(KesraOpenUrl(vb::FromUtf8(server.Url("/status/500"))));
  EXPECT_NE(server.Requests()[0].find("\r\nUser-Agent: http\r\n"), std::string::npos);
  EXPECT_FALSE(KesraOpenUrl(u"http://127.0.0.1:1/"));
  EXPECT_FALSE(KesraOpenUrl(u"file:///etc/passwd"));
}

}  // namespace
