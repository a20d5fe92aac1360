// `qe serve` at a small connection limit under paced bodies from a few
// addresses: the bodies no page will take are refused or left unread, the
// addresses past their share make room for a visitor and for a logged-in
// upload, and ordinary clients taking their downloads with pauses keep them.
#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/raw_http.h"
#include "host/serve_process.h"
#include "host/site_visitor.h"
#include "support/temp_site.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::string Pattern(size_t length) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
  return bytes;
}

class PacedBodiesTest : public ::testing::Test {
 protected:
  static constexpr size_t kFileSize = 192 * 1024;

  PacedBodiesTest() : file_(Pattern(kFileSize)) {
    site_.WriteFile("site/qe/big.zip", file_);
    server_ = std::make_unique<host_test::ServeProcess>(site_.SiteFolder(),
                                                        std::vector<std::string>{"--max-connections", "40"});
  }
  int Port() const { return server_->Port(); }
  std::string Origin() const { return "http://127.0.0.1:" + std::to_string(Port()); }

  std::string DriveUpload(const std::string& cookies, size_t length) const {
    return "POST /qe/main/netdrivers_upload.asp?p_CurrentFolder=%2F HTTP/1.1\r\nHost: 127.0.0.1:" +
           std::to_string(Port()) + "\r\n" + (cookies.empty() ? "" : "Cookie: " + cookies + "\r\n") +
           "Referer: " + Origin() + "/qe/main/netdrivers_upload.asp\r\nConnection: close\r\n"
           "Content-Type: multipart/form-data; boundary=b\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
  }
  std::string LoginPost(const std::string& framing) const {
    return "POST /qe/login.asp HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(Port()) + "\r\nReferer: " + Origin() +
           "/qe/login.asp\r\nContent-Type: application/x-www-form-urlencoded\r\n" + framing + "\r\n";
  }

  qe_test::TempSite site_;
  const std::string file_;
  std::unique_ptr<host_test::ServeProcess> server_;
};

// A page takes no more of a body than it uses: the login page a small form,
// at once; a page behind the login nothing from a visitor who has not
// logged in. Either is answered while the client is still sending.
TEST_F(PacedBodiesTest, APageTakesOnlyTheBodyItUses) {
  struct Case {
    const char* what;
    std::string sent;  // and then nothing more
    int status;
    const char* holds;  // in the answer
  };
  const std::string form = "UserName=nobody&PassWord=x";
  const std::vector<Case> cases = {
      {"a login form past the small form's size", LoginPost("Content-Length: 2000000\r\n") + std::string(4096, 'a'), 413,
       ""},
      {"a login form in chunks past it", LoginPost("Transfer-Encoding: chunked\r\n") + "11000\r\n" + std::string(0x11000, 'a'),
       413, ""},
      {"an upload to the drive from a visitor who has not logged in",
       DriveUpload("", 2000000) + "--b\r\nContent-Disposition: form-data; name=\"files\"; filename=\"a.bin\"\r\n\r\n" +
           std::string(4096, 'u'),
       302, "Location: /qe/login.asp"},
      {"a login form within it", LoginPost("Content-Length: " + std::to_string(form.size()) + "\r\n") + form, 200, ""},
  };
  for (const Case& c : cases) {
    host_test::Received received = host_test::Exchange(Port(), c.sent, 3000);
    EXPECT_EQ(host_test::StatusOf(received.bytes), c.status) << c.what << "\n" << received.bytes.substr(0, 300);
    EXPECT_NE(received.bytes.find(c.holds), std::string::npos) << c.what;
    if (c.status != 200) EXPECT_TRUE(received.closed) << c.what;
  }
}

// What an ordinary client does: a request, its answer read in steps, with
// pauses after some of them; a kept connection asks again afterwards.
struct Ordinary {
  const char* what;
  const char* source;
  std::string request;
  size_t step;                   // bytes read at a time, every 50 ms
  std::vector<int> pauses_ms;    // after each 48 KiB
  bool asks_again = false;       // on the kept connection: the start page
};

// Reads one answer (or, with `until_closed`, all until the server closes);
// false when the connection ended before the answer was whole.
bool ReadPaced(int sock, const Ordinary& client, bool until_closed, std::string& received) {
  char buffer[65536];
  size_t paused = 0;
  for (;;) {
    pollfd readable{sock, POLLIN, 0};
    if (::poll(&readable, 1, 15000) <= 0) return false;
    ssize_t n = ::recv(sock, buffer, std::min(sizeof buffer, client.step), 0);
    if (n <= 0) return until_closed && n == 0;
    received.append(buffer, static_cast<size_t>(n));
    if (!until_closed && host_test::AnswersIn(received).size() == 1) return true;
    if (paused < client.pauses_ms.size() && received.size() >= (paused + 1) * 48 * 1024)
      std::this_thread::sleep_for(milliseconds(client.pauses_ms[paused++]));
    else
      std::this_thread::sleep_for(milliseconds(50));
  }
}

// Whether the client got the file whole (and then the start page). A kept
// connection the server closed before any byte of the next answer is asked
// again on a new one, as browsers do.
bool Download(int port, const Ordinary& client, const std::string& file) {
  int sock = host_test::ConnectLoopback(port, 8192, client.source);
  if (sock < 0 || !host_test::SendAll(sock, client.request)) return false;
  std::string received;
  const bool closes = client.request.find("HTTP/1.0") != std::string::npos || !client.asks_again;
  bool whole = ReadPaced(sock, client, closes, received);
  std::vector<host_test::Answer> answers = host_test::AnswersIn(received);
  whole = whole && answers.size() == 1 && answers[0].status == 200 && answers[0].body == file;
  if (whole && client.asks_again) {
    const std::string again = "GET /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    std::string next;
    if (!host_test::SendAll(sock, again) || (!ReadPaced(sock, client, false, next) && next.empty())) {
      ::close(sock);
      sock = host_test::ConnectLoopback(port, 0, client.source);
      next.clear();
      host_test::SendAll(sock, again);
      ReadPaced(sock, client, false, next);
    }
    answers = host_test::AnswersIn(next);
    whole = answers.size() == 1 && answers[0].status == 200 && answers[0].body.ends_with("</html>\n");
  }
  ::close(sock);
  return whole;
}

// Paced bodies from two addresses fill the connection limit (anonymous
// bodies to the start page at 2 KiB/s, and login forms too large to take):
// a visitor from another address is served, a logged-in upload from its own
// completes whole, and ordinary clients that began their downloads before,
// and take them with pauses of 1.2 to 3 s, keep them whole.
TEST_F(PacedBodiesTest, PastTheirShareTheFloodingAddressesMakeRoomAndDownloadsUnderWayKeepTheirAnswers) {
  const std::string cookies = host_test::AdministratorCookies(Port(), "paced");
  const std::string file_request = "GET /qe/big.zip HTTP/1.1\r\nHost: 127.0.0.1\r\n";
  const std::vector<Ordinary> ordinary = {
      {"HTTP/1.0 at a steady pace", "127.0.0.6", "GET /qe/big.zip HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n", 2048, {}},
      {"HTTP/1.0 with pauses", "127.0.0.7", "GET /qe/big.zip HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n", 8192, {1200, 3000, 2000}},
      {"closing with pauses", "127.0.0.8", file_request + "Connection: close\r\n\r\n", 8192, {3000, 1200, 2500}},
      {"kept, with pauses", "127.0.0.9", file_request + "\r\n", 8192, {2000, 1500}, true},
  };
  std::vector<std::thread> downloads;
  std::vector<char> whole(ordinary.size(), false);
  std::atomic<size_t> downloaded = 0;
  for (size_t i = 0; i < ordinary.size(); ++i)
    downloads.emplace_back([&, i] {
      whole[i] = Download(Port(), ordinary[i], file_);
      ++downloaded;
    });

  // The flood: 48 connections for 40 places, each taken again once it ends.
  std::atomic<bool> flooding = true;
  std::atomic<int> holding = 0, login_refused = 0;
  std::vector<std::thread> flood;
  for (int i = 0; i < 48; ++i) {
    flood.emplace_back([&, i] {
      const bool login = i % 4 == 0;
      const std::string head = login ? LoginPost("Content-Length: 2000000\r\n")
                                     : "POST /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 2000000\r\n\r\n";
      while (flooding) {
        int sock = host_test::ConnectLoopback(Port(), 0, i % 2 ? "127.0.0.4" : "127.0.0.5");
        if (sock >= 0 && host_test::SendAll(sock, head + std::string(4096, 'f'))) {
          ++holding;
          // 2 KiB a second until the server answers or closes.
          for (auto next = Clock::now(); flooding;) {
            pollfd answered{sock, POLLIN, 0};
            if (::poll(&answered, 1, 100) != 0) {
              char status[12] = {};
              if (::recv(sock, status, sizeof status, 0) == sizeof status && login &&
                  host_test::StatusOf(std::string(status, sizeof status)) == 413)
                ++login_refused;
              break;
            }
            if (Clock::now() >= next && !host_test::SendAll(sock, std::string(2048, 'f'))) break;
            if (Clock::now() >= next) next += milliseconds(1000);
          }
          --holding;
        }
        if (sock >= 0) ::close(sock);
        std::this_thread::sleep_for(milliseconds(100));
      }
    });
  }
  for (auto deadline = Clock::now() + std::chrono::seconds(5); holding < 30 && Clock::now() < deadline;)
    std::this_thread::sleep_for(milliseconds(20));

  // The logged-in upload, 1 MiB at 512 KiB/s, from an address of its own.
  const std::string start = "--b\r\nContent-Disposition: form-data; name=\"files\"; filename=\"paced.bin\"\r\n"
                            "Content-Type: application/octet-stream\r\n\r\n";
  const std::string uploaded = Pattern(1 << 20);
  const std::string body = start + uploaded + "\r\n--b--\r\n";
  int upload_status = 0;
  std::thread upload([&] {
    int sock = host_test::ConnectLoopback(Port(), 0, "127.0.0.3");
    bool sent = host_test::SendAll(sock, DriveUpload(cookies, body.size()));
    const auto began = Clock::now();
    for (size_t at = 0, i = 0; sent && at < body.size(); at += 64 * 1024, ++i) {
      std::this_thread::sleep_until(began + milliseconds(125) * i);
      sent = host_test::SendAll(sock, std::string_view(body).substr(at, 64 * 1024));
    }
    upload_status = host_test::StatusOf(host_test::ReadUntilClosed(sock, 5000).bytes);
    ::close(sock);
  });
  // The visitor, every 500 ms until the downloads end: each answered within 1 s.
  int asked = 0, served = 0;
  for (bool downloading = true; downloading;) {
    const auto began = Clock::now();
    host_test::Received answer = host_test::Exchange(
        Port(), "GET /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n", 2000, "127.0.0.2");
    ++asked;
    served += host_test::StatusOf(answer.bytes) == 200 && answer.bytes.ends_with("</html>\n") &&
              Clock::now() - began < milliseconds(1000);
    std::this_thread::sleep_until(began + milliseconds(500));
    downloading = asked < 8 || (downloaded < ordinary.size() && asked < 40);
  }
  upload.join();
  for (auto& download : downloads) download.join();
  flooding = false;
  for (auto& client : flood) client.join();

  EXPECT_EQ(served, asked) << "the visitor";
  EXPECT_EQ(upload_status, 200) << "the upload";
  std::ifstream kept(site_.SiteFolder() / "Data_UploadFiles/NetDriver/管理员/paced.bin", std::ios::binary);
  EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(kept), {}) == uploaded) << "the uploaded file";
  for (size_t i = 0; i < ordinary.size(); ++i) EXPECT_TRUE(whole[i]) << ordinary[i].what;
  EXPECT_GT(login_refused, 0) << "the login page refuses a form too large to take";
}

}  // namespace
