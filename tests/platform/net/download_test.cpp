// Fetching files over FTP and HTTP from loopback servers: a target is the
// whole file or what it was before, never a part.
#include "platform/net/download.h"

#include <gtest/gtest.h>

#include "support/file_content.h"
#include "support/python_servers.h"
#include "support/temp_site.h"

namespace {

namespace stdfs = std::filesystem;

class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    site_.WriteFile("served/files/a.bin", std::string(300000, 'a') + "end");
    site_.WriteFile("served/files/中文.txt", "chinese name");
    site_.WriteFile("local/target.bin", "the old file");
  }
  stdfs::path Target() const { return site_.Host("local/target.bin"); }
  std::string Old() const { return "the old file"; }
  // Only the target itself in its folder: no part file left behind.
  bool Alone() const { return std::distance(stdfs::directory_iterator(site_.Host("local")), {}) == 1; }
  qe_test::TempSite site_;
};

TEST_F(DownloadTest, HttpReplacesTheTargetOnlyWithAWholeAnswerOf200) {
  qe_test::PythonServer server(qe_test::kHttpServer, site_.Host("served"));
  std::u16string base = vb::FromUtf8("http://" + server.Address() + "/files/");
  EXPECT_FALSE(net::UrlDownloadToFile(base + u"missing.bin", Target()));
  EXPECT_EQ(qe_test::FileContent(Target()), Old());
  net::TransferLimits small;
  small.max_bytes = 1000;
  EXPECT_FALSE(net::UrlDownloadToFile(base + u"a.bin", Target(), small));
  EXPECT_EQ(qe_test::FileContent(Target()), Old());
  EXPECT_TRUE(Alone());
  EXPECT_TRUE(net::UrlDownloadToFile(base + u"a.bin", Target()));
  EXPECT_EQ(qe_test::FileContent(Target()), std::string(300000, 'a') + "end");
  EXPECT_TRUE(Alone());
  EXPECT_FALSE(net::UrlDownloadToFile(u"ftp://" + vb::FromUtf8(server.Address()) + u"/files/a.bin", Target()));
  EXPECT_FALSE(net::UrlDownloadToFile(base + u"a.bin", site_.Host("nowhere/x.bin")));
}

TEST_F(DownloadTest, FtpLogsInOnceAndFetchesByAbsolutePaths) {
  qe_test::PythonServer server(qe_test::kFtpServer, site_.Host("served"));
  net::FtpSession refused("127.0.0.1", static_cast<uint16_t>(server.Port()), "tovik", "wrong");
  EXPECT_FALSE(refused.Connected());
  EXPECT_FALSE(refused.GetFile("/files/a.bin", Target()));
  net::FtpSession session("127.0.0.1", static_cast<uint16_t>(server.Port()), "tovik", "tovik");
  ASSERT_TRUE(session.Connected()) << session.Error();
  EXPECT_FALSE(session.GetFile("/files/missing.bin", Target()));
  EXPECT_EQ(qe_test::FileContent(Target()), Old());
  EXPECT_TRUE(session.GetFile("/files/a.bin", Target()));
  EXPECT_EQ(qe_test::FileContent(Target()), std::string(300000, 'a') + "end");
  EXPECT_TRUE(session.GetFile("/files/中文.txt", site_.Host("local/c.txt")));
  EXPECT_EQ(qe_test::FileContent(site_.Host("local/c.txt")), "chinese name");
}

TEST_F(DownloadTest, AServerThatIsNotThereIsNotConnected) {
  int port;
  {
    qe_test::PythonServer gone(qe_test::kFtpServer, site_.Host("served"));
    port = gone.Port();
  }
  net::TransferLimits quick;
  quick.connect = std::chrono::milliseconds(2000);
  net::FtpSession session("127.0.0.1", static_cast<uint16_t>(port), "tovik", "tovik", quick);
  EXPECT_FALSE(session.Connected());
  EXPECT_FALSE(session.Error().empty());
  EXPECT_FALSE(net::FtpSession("", 0, "tovik", "tovik").Connected());
  EXPECT_FALSE(net::UrlDownloadToFile(vb::FromUtf8("http://127.0.0.1:" + std::to_string(port) + "/a"), Target(), quick));
  EXPECT_EQ(qe_test::FileContent(Target()), Old());
}

}  // namespace
