// Keeping copies of pictures held on other servers: what is fetched and kept,
// what stays remote (refused, failed, slow, too large or not a picture), and
// the addresses a fetch never connects to. Loopback servers are reached only
// through the in-process test allowance.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <regex>
#include <set>

#include "platform/asp/context.h"
#include "platform/com/registry.h"
#include "platform/net/remote_fetch.h"
#include "platform/net/xml_http.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/vb/raises.h"
#include "support/loopback_http_server.h"
#include "support/printable.h"
#include "support/temp_site.h"
#include "transfer/kesra_file_download.h"

namespace {

namespace stdfs = std::filesystem;
using vb::String;
using Reply = qe_test::LoopbackHttpServer::Reply;

const std::string kGif = std::string("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 13);
const std::string kPng = std::string("\x89PNG\r\n\x1A\n", 8) + "rest of a png";

class RemotePicturesTest : public testing::Test {
 protected:
  void SetUp() override {
    site_.MakeFolder("site/Data_UploadFiles/remote");
    server_.Set("/a/pic.gif", {"200", "Content-Type: image/gif\r\n", kGif});
    server_.Set("/A/PIC.GIF", {"200", "", kGif});
    server_.Set("/a/pic.png", {"200", "", kPng});
    server_.Set("/a/gone.gif", {"404", "", kGif});
    server_.Set("/a/page.gif", {"200", "Content-Type: text/html\r\n", "<html>not a picture</html>"});
    server_.Set("/a/big.jpg", {"200", "", "\xFF\xD8\xFF" + std::string(11 * 1024 * 1024, 'j')});
    server_.Set("/a/endless.jpg", {"200", "", "\xFF\xD8\xFF" + std::string(11 * 1024 * 1024, 'j'), false});
    server_.Set("/a/private.gif", {"302", "Location: http://10.1.2.3/x.gif\r\n", ""});
    server_.Set("/a/slow.gif", {"200", "", kGif, true, true});
    server_.Set("/a/again.gif", {"302", "Location: /a/pic.gif\r\n", ""});
  }

  // An address the picture pattern takes: dotted digits count as a host.
  String Url(const std::string& path) const { return vb::FromUtf8(server_.Url(path)); }

  String Rewrite(const String& text, const String& folder = u"/Data_UploadFiles/remote") {
    asp::Context context(asp::RequestSpec{});
    vb::Variant server = context.Server();
    return qe::KesraGetRemotefileUrl(server, text, folder);
  }
  void Save(const String& local, const String& url) {
    asp::Context context(asp::RequestSpec{});
    vb::Variant server = context.Server();
    qe::KesraSaveRemoteFile(server, local, url);
  }
  std::vector<stdfs::path> Copies() const {
    std::vector<stdfs::path> copies;
    for (const auto& entry : stdfs::directory_iterator(site_.Host("site/Data_UploadFiles/remote")))
      copies.push_back(entry.path());
    return copies;
  }
  static std::string Content(const stdfs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  qe_test::TempSite site_;
  qe_test::LoopbackHttpServer server_;
};

TEST_F(RemotePicturesTest, EachPictureIsCopiedAndEveryOccurrenceReplaced) {
  net::TestFetchAllowance allowance;
  const String gif = Url("/a/pic.gif"), png = Url("/a/pic.png");
  // The pattern reads an address up to the next blank, as pasted markup has it.
  String text = u"<img src=\"" + gif + u"\" alt=a><p> " + png + u" </p><img src='" + gif + u"' border=0>";
  String result = Rewrite(text, u"/Data_UploadFiles/remote");

  std::vector<stdfs::path> copies = Copies();
  // The repeated address is fetched twice; the first copy already took both places.
  ASSERT_EQ(copies.size(), 3u);
  std::string out = vb::ToUtf8(result);
  std::regex copy_name("/Data_UploadFiles/remote/(\\d{14})([1-9]\\d\\d)\\.(gif|png)");
  std::vector<std::string> used;
  for (auto it = std::sregex_iterator(out.begin(), out.end(), copy_name); it != std::sregex_iterator(); ++it)
    used.push_back((*it)[0]);
  ASSERT_EQ(used.size(), 3u) << out;
  EXPECT_EQ(used[0], used[2]);
  EXPECT_EQ(out, "<img src=\"" + used[0] + "\" alt=a><p> " + used[1] + " </p><img src='" + used[0] + "' border=0>");
  EXPECT_EQ(Content(site_.Host("site" + used[0])), kGif);
  EXPECT_EQ(Content(site_.Host("site" + used[1])), kPng);
}

TEST_F(RemotePicturesTest, CopiesKeepTheAddressExtensionAsWritten) {
  net::TestFetchAllowance allowance;
  String result = Rewrite(u"x " + vb::FromUtf8("HTTP://127.0.0.1:" + std::to_string(server_.Port()) + "/A/PIC.GIF"),
                          u"/Data_UploadFiles/remote/");
  EXPECT_TRUE(std::regex_match(vb::ToUtf8(result), std::regex("x /Data_UploadFiles/remote/\\d{17}\\.GIF")))
      << vb::ToUtf8(result);
}

TEST_F(RemotePicturesTest, ACopyNeverTakesTheNameOfAnotherFile) {
  net::TestFetchAllowance allowance;
  // Nine in ten digits of this second and the next three are taken by other
  // files. Filling them takes a while on a loaded machine: a copy stamped
  // after that window proves nothing, so the window is laid again.
  for (int round = 0; round < 5; ++round) {
    std::set<std::string> taken;
    for (std::time_t at = std::time(nullptr), last = at + 3; at <= last; ++at) {
      std::tm local{};
      ::localtime_r(&at, &local);
      char stamp[16];
      std::strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", &local);
      for (int digits = 100; digits < 910; ++digits) {
        const std::string name = std::string(stamp) + std::to_string(digits);
        std::ofstream(site_.Host("site/Data_UploadFiles/remote/" + name + ".gif")) << "taken";
        taken.insert(name);
      }
    }
    const size_t before = Copies().size();
    std::string out = vb::ToUtf8(Rewrite(u"<img src=\"" + Url("/a/pic.gif") + u"\" alt=a>"));
    std::smatch copy;
    ASSERT_TRUE(std::regex_search(out, copy, std::regex("remote/(\\d{14})(\\d{3})\\.gif")));
    EXPECT_EQ(Copies().size(), before + 1);
    EXPECT_EQ(Content(site_.Host("site/Data_UploadFiles/" + copy[0].str())), kGif);
    if (!taken.count(copy[1].str() + "100")) continue;  // stamped after the window
    EXPECT_GE(std::stoi(copy[2]), 910) << out;
    return;
  }
  FAIL() << "the copies never landed in the second their names were taken";
}

TEST_F(RemotePicturesTest, WhatIsNotAWholePictureStaysRemote) {
  net::TestFetchAllowance allowance({std::chrono::milliseconds(1000), std::chrono::milliseconds(1500)});
  for (const char* path : {"/a/gone.gif", "/a/page.gif", "/a/big.jpg", "/a/endless.jpg", "/a/private.gif", "/a/slow.gif"}) {
    SCOPED_TRACE(path);
    const String text = u"<img src=\"" + Url(path) + u"\">";
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Rewrite(text), text);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(Copies().empty());
    EXPECT_RAISES(net::kDownloadFailed, Save(u"/Data_UploadFiles/remote/one.gif", Url(path)));
  }
}

TEST_F(RemotePicturesTest, ADeadlineCutsTheFetchesOfItsThreadShort) {
  net::TestFetchAllowance allowance;  // 30 s
  {
    net::FetchDeadline deadline(std::chrono::milliseconds(400));
    {
      net::FetchDeadline looser(std::chrono::seconds(20));  // never loosens the one around it
      EXPECT_EQ(net::CurrentFetchLimits().total, std::chrono::milliseconds(400));
      EXPECT_EQ(net::CurrentFetchLimits().connect, std::chrono::milliseconds(400));
    }
    auto start = std::chrono::steady_clock::now();
    EXPECT_RAISES(net::kDownloadFailed, Save(u"/Data_UploadFiles/remote/one.gif", Url("/a/slow.gif")));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  }
  EXPECT_EQ(net::CurrentFetchLimits().total, net::FetchLimits{}.total);
  EXPECT_TRUE(Copies().empty());
}

TEST_F(RemotePicturesTest, ARedirectionToAPublicPictureIsFollowed) {
  net::TestFetchAllowance allowance;
  Save(u"/Data_UploadFiles/remote/one.gif", Url("/a/again.gif"));
  EXPECT_EQ(Content(site_.Host("site/Data_UploadFiles/remote/one.gif")), kGif);
}

TEST_F(RemotePicturesTest, WithoutTheAllowanceLoopbackIsRefusedBeforeAnyRequest) {
  const String text = u"<img src=\"" + Url("/a/pic.gif") + u"\">";
  EXPECT_EQ(Rewrite(text), text);
  try {
    Save(u"/Data_UploadFiles/remote/one.gif", Url("/a/pic.gif"));
    ADD_FAILURE() << "saved from loopback";
  } catch (const vb::Error& error) {
    EXPECT_EQ(error.Number(), net::kDownloadFailed);
    EXPECT_NE(vb::ToUtf8(error.Description()).find("not a public"), std::string::npos);
  }
  EXPECT_TRUE(server_.Requests().empty());
  EXPECT_TRUE(Copies().empty());
}

TEST_F(RemotePicturesTest, SavingReplacesTheFileOnlyWithAWholePicture) {
  net::TestFetchAllowance allowance;
  site_.WriteFile("site/Data_UploadFiles/remote/one.gif", "old");
  Save(u"/Data_UploadFiles/remote/one.gif", Url("/a/pic.gif"));
  EXPECT_EQ(Content(site_.Host("site/Data_UploadFiles/remote/one.gif")), kGif);
  EXPECT_ANY_THROW(Save(u"/Data_UploadFiles/remote/one.gif", Url("/a/page.gif")));
  EXPECT_EQ(Content(site_.Host("site/Data_UploadFiles/remote/one.gif")), kGif);
  Save(u"C:\\site\\Data_UploadFiles\\remote\\two.png", Url("/a/pic.png"));
  EXPECT_EQ(Content(site_.Host("site/Data_UploadFiles/remote/two.png")), kPng);
}

TEST_F(RemotePicturesTest, AMissingFolderFailsAndTextWithoutPicturesIsUntouched) {
  net::TestFetchAllowance allowance;
  try {
    Rewrite(u"<img src=\"" + Url("/a/pic.gif") + u"\">", u"/Data_UploadFiles/none");
    ADD_FAILURE() << "no error";
  } catch (const vb::Error& error) {
    EXPECT_EQ(error.Number(), vb::kPathNotFound);
  }
  const String plain = u"<p>http://intranet/x.gif and ftp://files.example/a.txt</p>";
  EXPECT_EQ(Rewrite(plain, u"/Data_UploadFiles/none"), plain);
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(RemotePicturesTest, WithoutTheRequestObjectTheTextComesBackAsItWas) {
  net::TestFetchAllowance allowance;
  ASSERT_TRUE(com::UnregisterClass(u"Microsoft.XMLHTTP"));
  const String text = u"<img src=\"" + Url("/a/pic.gif") + u"\">";
  String result = Rewrite(text);
  net::RegisterClasses();
  EXPECT_EQ(result, text);
  EXPECT_TRUE(server_.Requests().empty());
}

TEST(RemoteFetchPeers, RefusesEveryNonPublicAddress) {
  auto refused = [](const char* text) {
    sockaddr_storage storage{};
    if (inet_pton(AF_INET, text, &reinterpret_cast<sockaddr_in*>(&storage)->sin_addr) == 1) {
      storage.ss_family = AF_INET;
    } else {
      EXPECT_EQ(inet_pton(AF_INET6, text, &reinterpret_cast<sockaddr_in6*>(&storage)->sin6_addr), 1) << text;
      storage.ss_family = AF_INET6;
    }
    return net::IsRefusedPeer(reinterpret_cast<sockaddr*>(&storage));
  };
  for (const char* address : {"127.0.0.1", "127.9.9.9", "0.0.0.0", "10.0.0.1", "172.16.0.1", "172.31.255.255",
                              "192.168.1.1", "169.254.169.254", "100.64.0.1", "100.127.255.255", "224.0.0.1",
                              "255.255.255.255", "::", "::1", "fc00::1", "fdff::1", "fe80::1", "ff02::1",
                              "::ffff:127.0.0.1", "::ffff:10.0.0.1", "::ffff:169.254.169.254"})
    EXPECT_TRUE(refused(address)) << address;
  for (const char* address : {"8.8.8.8", "1.1.1.1", "172.15.255.255", "172.32.0.0", "100.63.255.255", "100.128.0.0",
                              "192.169.0.1", "2001:4860:4860::8888", "::ffff:8.8.8.8"})
    EXPECT_FALSE(refused(address)) << address;
}

}  // namespace
