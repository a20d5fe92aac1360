#include "load_hostile.h"

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/default_site.h"
#include "host/in_process_server.h"
#include "host/pages.h"
#include "host/raw_http.h"
#include "host/serve_process.h"
#include "platform/asp/session.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "support/http_client.h"
#include "support/temp_site.h"

namespace load_test {
namespace {

using Clock = std::chrono::steady_clock;

// The count of this session's requests; ?login=1 marks its owner logged in.
void CountPage(host::Page& page) {
  if (!vb::CStr(com::ValueOf(com::Call(page.Request, u"QueryString", vb::String(u"login")))).empty())
    com::Let(page.Session, u"", vb::String(u"1|admin|Admin|office|a|20240101000000|"), vb::String(u"UserInfo"));
  int32_t count = vb::CLng(com::Call(page.Session, u"", vb::String(u"n"))) + 1;
  com::Let(page.Session, u"", count, vb::String(u"n"));
  com::Call(page.Response, u"Write", vb::CStr(count));
}

void PlainPage(host::Page& page) { com::Call(page.Response, u"Write", vb::String(u"plain")); }

// The process's open files that are temporary files (unnamed: deleted).
int TemporaryFiles(pid_t pid) {
  int count = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
    std::string target = std::filesystem::read_symlink(entry.path(), error).string();
    if (!error && target.ends_with("(deleted)")) ++count;
  }
  return count;
}

std::string CookieOf(const qe_test::HttpAnswer& answer) {
  std::string set = answer.Header("Set-Cookie");
  return set.substr(0, set.find(';'));
}

}  // namespace

long ResidentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

bool HalfBodies(int connections) {
  qe_test::TempSite site;
  host::MakeDefaultSite(site.SiteFolder());
  host_test::ServeProcess server(site.SiteFolder(), {"--max-per-client", "100000"});  // all from one address
  qe_test::HttpClient probe(server.Port());
  probe.Get("/qe/index.asp");  // the database is made on the first request
  long rss_idle = ResidentKiB(server.Pid());

  std::atomic<bool> done = false;
  std::atomic<long> rss_peak = rss_idle;
  std::thread watch([&] {
    while (!done) {
      rss_peak = std::max(rss_peak.load(), ResidentKiB(server.Pid()));
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
  const std::string head = "POST /qe/index.asp HTTP/1.1\r\nHost: a\r\nContent-Length: 300000\r\n\r\n";
  const std::string part(250000, 'x');
  std::vector<int> sockets(static_cast<size_t>(connections), -1);
  std::atomic<int> sent = 0;
  auto start = Clock::now();
  std::vector<std::thread> senders;
  const int kSenders = 16;
  for (int t = 0; t < kSenders; ++t) {
    senders.emplace_back([&, t] {
      for (int i = t; i < connections; i += kSenders) {
        int sock = host_test::ConnectLoopback(server.Port());
        sockets[static_cast<size_t>(i)] = sock;
        if (sock >= 0 && host_test::SendAll(sock, head) && host_test::SendAll(sock, part)) ++sent;
      }
    });
  }
  // A visitor's request now and then while the bodies come in and wait.
  double slowest = 0;
  int answered = 0, asked = 0;
  auto ask = [&] {
    auto before = Clock::now();
    auto answer = qe_test::HttpClient(server.Port()).Get("/qe/index.asp");
    slowest = std::max(slowest, std::chrono::duration<double>(Clock::now() - before).count());
    ++asked;
    if (answer && answer->status == 200) ++answered;
  };
  while (sent < connections && Clock::now() - start < std::chrono::seconds(60)) {
    ask();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  for (auto& sender : senders) sender.join();
  double sending = std::chrono::duration<double>(Clock::now() - start).count();
  // The bodies leave the sockets' buffers as the server reads them: wait for
  // the server to hold them all.
  for (int i = 0; i < 25; ++i) {
    ask();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  long rss_held = ResidentKiB(server.Pid());
  int in_files = TemporaryFiles(server.Pid());
  done = true;
  watch.join();
  for (int sock : sockets)
    if (sock >= 0) ::close(sock);
  std::printf("%d half-sent bodies (250 KB of 300 KB) sent in %.1f s: server memory %ld KiB idle, %ld KiB held "
              "(%d bodies in temporary files), %ld KiB at most; the start page answered %d of %d, the slowest in "
              "%.3f s\n",
              sent.load(), sending, rss_idle, rss_held, in_files, rss_peak.load(), answered, asked, slowest);
  bool serving = server.Running();
  return serving && sent == connections && answered == asked && rss_peak < 300 * 1024 && slowest < 1.0;
}

bool SessionFlood(long requests) {
  qe_test::TempSite site;
  host::Pages pages;
  pages.Register(u"/count.asp", &CountPage);
  pages.Register(u"/plain.asp", &PlainPage);
  host::ServerLimits limits;
  limits.max_sessions = 1000;
  host_test::InProcessServer server(site.SiteFolder(), std::move(pages), limits);

  qe_test::HttpClient user(server.Port());
  auto login = user.Get("/count.asp?login=1");
  const qe_test::HttpHeaders user_cookie = {{"Cookie", login ? CookieOf(*login) : ""}};
  long rss_start = ResidentKiB(::getpid());

  std::atomic<long> next = 0, failed = 0;
  auto start = Clock::now();
  std::vector<std::thread> outsiders;
  for (int t = 0; t < 16; ++t) {
    outsiders.emplace_back([&] {
      qe_test::HttpClient client(server.Port());
      qe_test::HttpHeaders cookie;
      for (long i; (i = next++) < requests;) {
        // A new visitor every third request, who stores a value and comes
        // back with its cookie; between, requests that keep nothing.
        if (i % 3 == 0) cookie.clear();
        auto answer = client.Get(i % 3 == 2 ? "/plain.asp" : "/count.asp", cookie);
        if (!answer || answer->status != 200) {
          ++failed;
          continue;
        }
        if (std::string set = CookieOf(*answer); !set.empty()) cookie = {{"Cookie", set}};
      }
    });
  }
  for (auto& t : outsiders) t.join();
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  auto again = user.Get("/count.asp", user_cookie);
  bool kept = again && again->body == "2";
  std::printf("%ld outsiders' requests at --max-sessions 1000 in %.1f s (%.0f req/s, %ld failed): the logged-in "
              "session %s; this process's memory %ld -> %ld KiB\n",
              requests, seconds, requests / seconds, failed.load(), kept ? "was kept" : "was LOST", rss_start,
              ResidentKiB(::getpid()));
  return kept && failed == 0;
}

void SessionSize() {
  const size_t kSessions = 100000;
  for (bool logged_in : {false, true}) {
    size_t before = mallinfo2().uordblks;
    {
      asp::MemorySessionStore store(&std::chrono::steady_clock::now, kSessions);
      for (size_t i = 0; i < kSessions; ++i) {
        auto state = store.Begin();
        state->Put(u"QeVisits", int32_t{1});
        if (logged_in) {
          state->Put(u"UserInfo", vb::String(u"12|li|<李>&四|教务处|b|20240101000000|0123456789abcdef0123456789abcdef"));
          state->Put(u"UserInfoSize", vb::String(u"50|60|2|70|80"));
          state->Put(u"manager", vb::String(u""));
        }
        store.Keep(state);
      }
      size_t after = mallinfo2().uordblks;
      std::printf("a session in the store takes %zu bytes with %s\n", (after - before) / kSessions,
                  logged_in ? "a logged-in user's values (UserInfo, UserInfoSize, manager, a count)"
                            : "one value (the start page's visit count)");
    }
  }
}

}  // namespace load_test
