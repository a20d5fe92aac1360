// Floods of what a client can make the server hold: form bodies, bodies in
// files, descriptors, heads, kernel send buffers, connections from one
// address. Each runs against its own `qe serve` on loopback, bounded in
// count and time; a visitor from another address (127.0.0.2) asks for the
// start page all along, and the server's memory, descriptors and files are
// sampled.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/default_site.h"
#include "host/raw_http.h"
#include "host/serve_process.h"
#include "load_hostile.h"
#include "support/temp_site.h"

namespace load_test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
constexpr long kMiB = 1024 * 1024;

// A connection from a loopback address of our choosing, as another client.
int ConnectFrom(const std::string& source, int port, int receive_buffer = 0) {
  int sock = ::socket(AF_INET, SOCK_STREAM, 0);
  if (sock < 0) return -1;
  if (receive_buffer > 0) ::setsockopt(sock, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
  sockaddr_in from{};
  from.sin_family = AF_INET;
  ::inet_pton(AF_INET, source.c_str(), &from.sin_addr);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(sock, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
      ::connect(sock, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    ::close(sock);
    return -1;
  }
  return sock;
}

// The i-th of many client addresses, none of them the visitor's.
std::string Address(int i) { return "127.0.1." + std::to_string(1 + i % 250); }

int OpenDescriptors(pid_t pid) {
  int count = 0;
  std::error_code error;
  for (auto it = std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error);
       !error && it != std::filesystem::directory_iterator(); it.increment(error))
    ++count;
  return count;
}

// What the process's unnamed temporary files hold.
long TemporaryKiB(pid_t pid) {
  long bytes = 0;
  std::error_code error;
  std::string folder = "/proc/" + std::to_string(pid) + "/fd";
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    std::string target = std::filesystem::read_symlink(entry.path(), error).string();
    struct stat info {};
    if (!error && target.ends_with("(deleted)") && ::stat(entry.path().c_str(), &info) == 0)
      bytes += info.st_blocks * 512;
  }
  return bytes / 1024;
}

// The kernel's memory for TCP buffers, all sockets of the system (sockstat's pages).
long TcpMemoryKiB() {
  std::ifstream sockstat("/proc/net/sockstat");
  for (std::string line; std::getline(sockstat, line);) {
    if (!line.starts_with("TCP:")) continue;
    size_t at = line.find(" mem ");
    if (at != std::string::npos) return std::stol(line.substr(at + 5)) * (::sysconf(_SC_PAGESIZE) / 1024);
  }
  return 0;
}

void RaiseOwnDescriptors(rlim_t wanted) {
  rlimit limit{};
  ::getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = std::min(std::max(limit.rlim_cur, wanted), limit.rlim_max);
  ::setrlimit(RLIMIT_NOFILE, &limit);
}

struct Flood {
  const char* name;
  std::vector<std::string> options;  // for qe serve
  rlim_t server_files = 0;           // the server's descriptor limit; 0: as ours
  // Makes the flood; returns the sockets it holds while the visitor is timed.
  std::function<std::vector<int>(int port)> attack;
  long memory_growth_kib;        // the server's, at most
  long temporary_kib = -1;       // its temporary files, at most (-1: not judged)
  long tcp_growth_kib = -1;      // the system's TCP buffers, at most (-1: not judged)
  bool refusal_is_an_answer = false;  // the visitor may get 503 (the server is full)
};

bool Run(const Flood& flood) {
  qe_test::TempSite site;
  host::MakeDefaultSite(site.SiteFolder());
  {
    std::ofstream big(site.SiteFolder() / "qe/big.zip", std::ios::binary);
  }
  std::filesystem::resize_file(site.SiteFolder() / "qe/big.zip", 64 * kMiB);
  host_test::ServeProcess server(site.SiteFolder(), flood.options, flood.server_files);
  const int port = server.Port();
  host_test::Exchange(port, "GET /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n", 5000);
  const long rss_idle = ResidentKiB(server.Pid()), tcp_idle = TcpMemoryKiB();

  std::atomic<bool> done = false;
  std::atomic<long> rss_peak = rss_idle, fds_peak = 0, temporary_peak = 0, tcp_peak = tcp_idle;
  std::thread watch([&] {
    while (!done) {
      rss_peak = std::max(rss_peak.load(), ResidentKiB(server.Pid()));
      fds_peak = std::max<long>(fds_peak.load(), OpenDescriptors(server.Pid()));
      temporary_peak = std::max(temporary_peak.load(), TemporaryKiB(server.Pid()));
      tcp_peak = std::max(tcp_peak.load(), TcpMemoryKiB());
      std::this_thread::sleep_for(milliseconds(50));
    }
  });
  // The visitor: the start page every 200 ms, each within 1 s.
  std::atomic<int> asked = 0, answered = 0, refused = 0;
  std::atomic<long> slowest_ms = 0;
  std::thread visitor([&] {
    while (!done) {
      auto start = Clock::now();
      int sock = ConnectFrom("127.0.0.2", port);
      std::string answer;
      if (sock >= 0) {
        host_test::SendAll(sock, "GET /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
        answer = host_test::ReadUntilClosed(sock, 3000).bytes;
        ::close(sock);
      }
      long ms = std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
      slowest_ms = std::max(slowest_ms.load(), ms);
      ++asked;
      int status = host_test::StatusOf(answer);
      if (status == 200 && answer.find("</html>") != std::string::npos && ms < 1000) ++answered;
      else if (status == 503 && ms < 1000) ++refused;
      std::this_thread::sleep_for(milliseconds(200));
    }
  });

  auto start = Clock::now();
  std::vector<int> held = flood.attack(port);
  double attack_seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::this_thread::sleep_for(milliseconds(2000));  // held while the visitor keeps asking
  done = true;
  visitor.join();
  watch.join();
  for (int sock : held)
    if (sock >= 0) ::close(sock);

  long growth = rss_peak - rss_idle, tcp_growth = tcp_peak - tcp_idle;
  bool ok = server.Running() && growth <= flood.memory_growth_kib &&
            (flood.temporary_kib < 0 || temporary_peak <= flood.temporary_kib) &&
            (flood.tcp_growth_kib < 0 || tcp_growth <= flood.tcp_growth_kib) &&
            answered + (flood.refusal_is_an_answer ? refused.load() : 0) == asked && asked > 0;
  std::printf("flood %-13s %5.1f s: server memory +%ld KiB (at most %ld), descriptors %ld at most, temporary files "
              "%ld KiB at most, TCP buffers +%ld KiB; start page from another client: %d of %d within 1 s (%d of them "
              "503), slowest %ld ms: %s\n",
              flood.name, attack_seconds, growth, flood.memory_growth_kib, fds_peak.load(), temporary_peak.load(),
              tcp_growth, answered.load() + refused.load(), asked.load(), refused.load(), slowest_ms.load(),
              ok ? "held" : "FAILED");
  std::fflush(stdout);
  return ok;
}

// `count` connections from the client addresses, each sending `bytes`
// (made per connection), on 16 threads; the sockets are kept.
std::vector<int> Connections(int port, int count, const std::function<std::string(int)>& bytes, int per_address = 60,
                             int receive_buffer = 0) {
  std::vector<int> sockets(static_cast<size_t>(count), -1);
  std::vector<std::thread> threads;
  for (int t = 0; t < 16; ++t) {
    threads.emplace_back([&, t] {
      for (int i = t; i < count; i += 16) {
        int sock = ConnectFrom(Address(i / per_address), port, receive_buffer);
        sockets[static_cast<size_t>(i)] = sock;
        if (sock >= 0) host_test::SendAll(sock, bytes(i));
      }
    });
  }
  for (auto& thread : threads) thread.join();
  return sockets;
}

std::string FormPost(int port, const std::string& form) {
  return "POST /qe/main/login.asp HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
         "\r\nReferer: http://127.0.0.1:" + std::to_string(port) +
         "/qe/main/login.asp\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
         std::to_string(form.size()) + "\r\n\r\n" + form;
}

// Many small fields up to `bytes`.
std::string SmallFields(size_t bytes) {
  std::string form;
  for (int i = 0; form.size() + 12 < bytes; ++i) form += "f" + std::to_string(i % 100000) + "=1&";
  form.resize(bytes, 'x');
  return form;
}

}  // namespace

void FormAtTheLimit() {
  qe_test::TempSite site;
  host::MakeDefaultSite(site.SiteFolder());
  host_test::ServeProcess server(site.SiteFolder());
  host_test::Exchange(server.Port(), "GET /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n", 5000);
  // 10,000 fields in 2 MiB, the names and values long enough to fill it.
  std::string form;
  const std::string value(200, 'v');
  for (int i = 0; i < 10000; ++i) form += (i ? "&n" : "n") + std::to_string(i) + "=" + value;
  form.resize(std::min<size_t>(form.size(), 2 * kMiB));
  long before = ResidentKiB(server.Pid());
  std::atomic<bool> done = false;
  std::atomic<long> peak = before;
  std::thread watch([&] {
    while (!done) {
      peak = std::max(peak.load(), ResidentKiB(server.Pid()));
      std::this_thread::sleep_for(milliseconds(2));
    }
  });
  std::string answer = host_test::Exchange(server.Port(), FormPost(server.Port(), form), 3000).bytes;
  std::this_thread::sleep_for(milliseconds(100));
  done = true;
  watch.join();
  std::printf("a form at the limit (%zu bytes, 10000 fields) to the login page: status %d, server memory +%ld KiB at "
              "most (%.1f times the body)\n",
              form.size(), host_test::StatusOf(answer), peak - before,
              static_cast<double>(peak - before) * 1024 / static_cast<double>(form.size()));
}

bool Floods(const std::string& only) {
  RaiseOwnDescriptors(8192);
  const std::vector<Flood> floods = {
      {"forms", {}, 0,
       [](int port) {
         // Four anonymous 16 MiB form posts at once, of many small fields.
         const std::string form = SmallFields(16 * kMiB);
         std::vector<std::thread> posts;
         for (int i = 0; i < 4; ++i)
           posts.emplace_back([&, i] {
             int sock = ConnectFrom(Address(i), port);
             host_test::SendAll(sock, FormPost(port, form));
             host_test::ReadUntilClosed(sock, 30000);
             ::close(sock);
           });
         for (auto& post : posts) post.join();
         return std::vector<int>{};
       },
       64 * 1024},
      {"body-disk", {"--body-disk-mb", "64"}, 0,
       [](int port) {
         // 8 bodies, 30 of 32 MiB each sent, then held.
         const std::string part(30 * kMiB, 'x');
         return Connections(port, 8, [&](int) {
           return "POST /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " + std::to_string(32 * kMiB) +
                  "\r\n\r\n" + part;
         });
       },
       128 * 1024, 80 * 1024},
      {"descriptors", {}, 1024,
       [](int port) {
         // 600 readers of a 64 MiB file that take nothing, from 10 addresses.
         return Connections(
             port, 600, [](int) { return std::string("GET /qe/big.zip HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"); }, 60, 4096);
       },
       256 * 1024, -1, -1, true},
      {"heads", {}, 0,
       [](int port) {
         // 3,000 heads of 60 KiB that never end, from 50 addresses.
         std::string head = "GET /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\n";
         for (int line = 0; line < 60; ++line) head += "X-" + std::to_string(line) + ": " + std::string(1000, 'h') + "\r\n";
         return Connections(port, 3000, [&](int) { return head; });
       },
       128 * 1024},
      {"send-buffers", {}, 0,
       [](int port) {
         // 128 readers of a 64 MiB file that take nothing.
         return Connections(
             port, 128, [](int) { return std::string("GET /qe/big.zip HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"); }, 60, 4096);
       },
       128 * 1024, -1, 128 * 1024},
      {"one-client", {"--max-connections", "1000"}, 0,
       [](int port) {
         // 2,000 connections from one address that begin a head and stop.
         return Connections(
             port, 2000, [](int) { return std::string("GET /qe/index.asp HTTP/1.1\r\nX-Slow: 1\r\n"); }, 100000);
       },
       128 * 1024},
  };
  bool ok = true;
  for (const Flood& flood : floods)
    if (only.empty() || only == flood.name) ok = Run(flood) && ok;
  if (only.empty() || only == "forms") FormAtTheLimit();
  return ok;
}

}  // namespace load_test
