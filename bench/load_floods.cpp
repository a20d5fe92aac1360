// Floods of what a client can make the server hold: form bodies, bodies in
// files, descriptors, heads and their fields, kernel send buffers,
// connections from one address and from many, bodies nobody reads, forms at
// the limit, one client's share of the disk, kept connections at the
// connection limit beside an upload, readers that take nothing. Each runs
// against its own `qe serve` on loopback, bounded in count and time; a
// visitor from another address (127.0.0.2) asks for the start page all along
// (at least 95 % of its requests answered within 1 s), and the server's
// memory, descriptors, files and what the kernel holds queued for its
// sockets are sampled.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/default_site.h"
#include "host/raw_http.h"
#include "host/serve_process.h"
#include "host/site_visitor.h"
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

// What a flood leaves while the visitor is timed.
struct Attack {
  std::vector<int> held;           // sockets, closed at the end
  std::vector<std::thread> loops;  // clients that go on until the flood ends
  std::atomic<int> wrong = 0;      // answers the flood's own clients must never get
  std::string figures;             // of its own, printed with the rest
};

struct Flood {
  const char* name;
  std::vector<std::string> options;  // for qe serve
  rlim_t server_files = 0;           // the server's descriptor limit; 0: as ours
  // Makes the flood, into `attack`; its loops run until `done`.
  std::function<void(int port, const std::filesystem::path& site, Attack& attack, const std::atomic<bool>& done)> attack;
  long memory_growth_kib;        // the server's, at most
  long temporary_kib = -1;       // its temporary files, at most (-1: not judged)
  long tcp_growth_kib = -1;      // the system's TCP buffers, at most (-1: not judged)
  bool refusal_is_an_answer = false;  // the visitor may get 503 (the server is full)
  int hold_ms = 2000;                 // how long the visitor asks after the flood is made
  // What the kernel holds queued for the server's sockets and their orphans
  // (`ss -tm`), at most (-1: not judged).
  long queued_kib = -1;
  int visitor_every_ms = 200;  // how often the visitor asks
  int visitor_share = 95;      // of its requests answered within 1 s, in percent at least
  bool visitor_is_a_browser = false;  // its head has the fields a browser sends
};

// What a browser sends with a request for a page: about 1 KiB of fields.
const char kBrowserFields[] =
    "User-Agent: Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0.0.0 "
    "Safari/537.36\r\nAccept: text/html,application/xhtml+xml,application/xml;q=0.9,image/avif,image/webp,"
    "image/apng,*/*;q=0.8\r\nAccept-Language: zh-CN,zh;q=0.9,en;q=0.8\r\nAccept-Encoding: gzip, deflate\r\n"
    "Referer: http://127.0.0.1/qe/index.asp\r\nUpgrade-Insecure-Requests: 1\r\n"
    "Cookie: ASPSESSIONIDQQQQQQQQ=ABCDEFGHIJKLMNOPQRSTUVWXYZAB; qe_view=list; qe_theme=blue; "
    "_ga=GA1.1.1234567890.1700000000; _ga_ABCDEF=GS1.1.1700000000.1.1.1700000000.0.0.0; "
    "remember=UserName%3Dteacher%26Days%3D30%26Check%3D0123456789abcdef0123456789abcdef\r\n";

// What the kernel holds queued for sending on the server's sockets and their
// orphans (those whose local port is the server's), as `ss -tm` shows it.
long QueuedKiB(int port) {
  const std::string command = "ss -tmnH state all '( sport = :" + std::to_string(port) + " )' 2>/dev/null";
  FILE* ss = ::popen(command.c_str(), "r");
  if (!ss) return -1;
  long bytes = 0;
  char line[1024];
  while (std::fgets(line, sizeof line, ss)) {
    const char* memory = std::strstr(line, "skmem:(");
    const char* queued = memory ? std::strstr(memory, ",w") : nullptr;
    if (queued) bytes += std::atol(queued + 2);
  }
  ::pclose(ss);
  return bytes / 1024;
}

bool Run(const Flood& flood) {
  qe_test::TempSite site;
  host::MakeDefaultSite(site.SiteFolder());
  {
    std::ofstream big(site.SiteFolder() / "qe/big.zip", std::ios::binary);
  }
  std::filesystem::resize_file(site.SiteFolder() / "qe/big.zip", 64 * kMiB);
  // A server with more descriptors than this process has: its clients need as many.
  rlimit own{};
  ::getrlimit(RLIMIT_NOFILE, &own);
  if (flood.server_files > own.rlim_cur) RaiseOwnDescriptors(flood.server_files);
  host_test::ServeProcess server(site.SiteFolder(), flood.options, flood.server_files);
  const int port = server.Port();
  host_test::Exchange(port, "GET /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n", 5000);
  const long rss_idle = ResidentKiB(server.Pid()), tcp_idle = TcpMemoryKiB();

  std::atomic<bool> done = false;
  std::atomic<long> rss_peak = rss_idle, fds_peak = 0, temporary_peak = 0, tcp_peak = tcp_idle, queued_peak = 0;
  std::thread watch([&] {
    while (!done) {
      rss_peak = std::max(rss_peak.load(), ResidentKiB(server.Pid()));
      fds_peak = std::max<long>(fds_peak.load(), OpenDescriptors(server.Pid()));
      temporary_peak = std::max(temporary_peak.load(), TemporaryKiB(server.Pid()));
      tcp_peak = std::max(tcp_peak.load(), TcpMemoryKiB());
      queued_peak = std::max(queued_peak.load(), QueuedKiB(port));
      std::this_thread::sleep_for(milliseconds(50));
    }
  });
  // The visitor: the start page every 200 ms (or as the flood says), each within 1 s.
  std::atomic<int> asked = 0, answered = 0, refused = 0;
  std::atomic<long> slowest_ms = 0;
  std::thread visitor([&] {
    while (!done) {
      auto start = Clock::now();
      int sock = ConnectFrom("127.0.0.2", port);
      std::string answer;
      if (sock >= 0) {
        host_test::SendAll(sock, std::string("GET /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n") +
                                     (flood.visitor_is_a_browser ? kBrowserFields : "") + "\r\n");
        answer = host_test::ReadUntilClosed(sock, 3000).bytes;
        ::close(sock);
      }
      long ms = std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
      slowest_ms = std::max(slowest_ms.load(), ms);
      ++asked;
      int status = host_test::StatusOf(answer);
      if (status == 200 && answer.find("</html>") != std::string::npos && ms < 1000) ++answered;
      else if (status == 503 && ms < 1000) ++refused;
      std::this_thread::sleep_until(start + milliseconds(flood.visitor_every_ms));
    }
  });

  auto start = Clock::now();
  Attack attack;
  std::atomic<bool> attack_done = false;
  flood.attack(port, site.SiteFolder(), attack, attack_done);
  double attack_seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::this_thread::sleep_for(milliseconds(flood.hold_ms));  // held while the visitor keeps asking
  done = true;
  visitor.join();
  watch.join();
  attack_done = true;
  for (auto& loop : attack.loops) loop.join();
  for (int sock : attack.held)
    if (sock >= 0) ::close(sock);
  ::setrlimit(RLIMIT_NOFILE, &own);

  long growth = rss_peak - rss_idle, tcp_growth = tcp_peak - tcp_idle;
  const int served = answered + (flood.refusal_is_an_answer ? refused.load() : 0);
  bool ok = server.Running() && growth <= flood.memory_growth_kib &&
            (flood.temporary_kib < 0 || temporary_peak <= flood.temporary_kib) &&
            (flood.tcp_growth_kib < 0 || tcp_growth <= flood.tcp_growth_kib) &&
            (flood.queued_kib < 0 || queued_peak <= flood.queued_kib) && asked > 0 &&
            served * 100 >= asked * flood.visitor_share && attack.wrong == 0 &&
            (flood.server_files == 0 || fds_peak <= static_cast<long>(flood.server_files));
  std::printf("flood %-18s %5.1f s: server memory +%ld KiB (at most %ld), descriptors %ld at most, temporary files "
              "%ld KiB at most, TCP buffers +%ld KiB, queued for its sockets %ld KiB at most; start page from another "
              "client: %d of %d within 1 s (%d of them 503), slowest %ld ms; %d wrong answers to the flood%s%s: %s\n",
              flood.name, attack_seconds, growth, flood.memory_growth_kib, fds_peak.load(), temporary_peak.load(),
              tcp_growth, queued_peak.load(), answered.load() + refused.load(), asked.load(), refused.load(),
              slowest_ms.load(),
              attack.wrong.load(), attack.figures.empty() ? "" : "; ", attack.figures.c_str(), ok ? "held" : "FAILED");
  std::fflush(stdout);
  return ok;
}

// The status of the answer that begins on `sock` within `ms` (0: none).
// -1: the server reset the connection first.
int StatusWithin(int sock, int ms) {
  pollfd answered{sock, POLLIN, 0};
  char status[12] = {};
  if (::poll(&answered, 1, ms) <= 0) return 0;
  ssize_t n = ::recv(sock, status, sizeof status, MSG_WAITALL);
  if (n < 0 && errno == ECONNRESET) return -1;
  return n == sizeof status ? host_test::StatusOf(std::string(status, sizeof status)) : 0;
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

// `count` bodies from one address, 30 of 32 MiB of each sent, then held.
std::vector<int> HeldBodies(int port, int count) {
  const std::string part(30 * kMiB, 'x');
  return Connections(port, count, [&](int) {
    return "POST /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " + std::to_string(32 * kMiB) +
           "\r\n\r\n" + part;
  });
}

// To the login page; or to `page` with the session of `cookies`.
std::string FormPost(int port, const std::string& form, const std::string& page = "/qe/main/login.asp",
                     const std::string& cookies = "") {
  return "POST " + page + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
         (cookies.empty() ? "" : "\r\nCookie: " + cookies) + "\r\nReferer: http://127.0.0.1:" + std::to_string(port) +
         page + "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
         std::to_string(form.size()) + "\r\n\r\n" + form;
}

// Many small fields up to `bytes`.
std::string SmallFields(size_t bytes) {
  std::string form;
  for (int i = 0; form.size() + 12 < bytes; ++i) form += "f" + std::to_string(i % 100000) + "=1&";
  form.resize(bytes, 'x');
  return form;
}

// One answer read by its framing within `ms`: its status; 0 when the
// connection ended, or fell quiet, before it came whole.
int ReadOneAnswer(int sock, int ms) {
  std::string bytes;
  char buffer[16384];
  for (auto deadline = Clock::now() + milliseconds(ms); Clock::now() < deadline;) {
    pollfd readable{sock, POLLIN, 0};
    if (::poll(&readable, 1, 100) <= 0) continue;
    ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
    std::vector<host_test::Answer> answers = host_test::AnswersIn(bytes);
    if (!answers.empty()) return answers[0].status;
  }
  return 0;
}

// `count` kept connections, the i-th from `address(i)`, each asking for
// `target` every `every` until `done`, on 16 threads at most: a connection
// the server closed is opened again at its next turn, and counted in
// `lost`. Answers other than 200 and 503 (the server is full) are wrong.
void KeptConnections(int port, int count, const std::function<std::string(int)>& address, milliseconds every,
                     const std::string& target, Attack& attack, const std::atomic<bool>& done,
                     std::atomic<long>& lost) {
  const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
  for (int t = 0; t < std::min(count, 16); ++t) {
    struct Kept {
      std::string from;
      Clock::time_point next;
      int sock = -1;
    };
    std::vector<Kept> kept;
    const auto start = Clock::now();
    for (int i = t; i < count; i += 16) kept.push_back({address(i), start + every * i / count});
    attack.loops.emplace_back([port, request, every, kept = std::move(kept), &attack, &done, &lost]() mutable {
      while (!done) {
        auto now = Clock::now(), soonest = now + milliseconds(100);
        for (Kept& one : kept) {
          if (one.next <= now) {
            one.next = std::max(one.next + every, now);
            if (one.sock < 0) one.sock = ConnectFrom(one.from, port);
            int status = one.sock >= 0 && host_test::SendAll(one.sock, request) ? ReadOneAnswer(one.sock, 3000) : 0;
            if (status != 0 && status != 200 && status != 503) ++attack.wrong;
            if (status != 200 && one.sock >= 0) {
              if (status == 0) ++lost;
              ::close(one.sock);
              one.sock = -1;
            }
          }
          soonest = std::min(soonest, one.next);
        }
        std::this_thread::sleep_until(soonest);
      }
      for (Kept& one : kept)
        if (one.sock >= 0) ::close(one.sock);
    });
  }
}

char UploadByte(size_t offset) { return static_cast<char>((offset * 131 + offset / 251) & 0xFF); }

// The administrator uploads a file of `mib` MiB into its drive from 127.0.0.3
// at 1 MiB/s: "200, the file whole in the drive", or what went wrong.
std::string PacedUpload(int port, const std::filesystem::path& site, int mib, int kib_per_second = 1024) {
  const std::string origin = "http://127.0.0.1:" + std::to_string(port);
  const std::string start = "--b\r\nContent-Disposition: form-data; name=\"files\"; filename=\"paced.bin\"\r\n"
                            "Content-Type: application/octet-stream\r\n\r\n";
  const std::string end = "\r\n--b--\r\n";
  const size_t length = static_cast<size_t>(mib) * kMiB;
  std::string body = start;
  for (size_t i = 0; i < length; ++i) body.push_back(UploadByte(i));
  body += end;
  const std::string cookies = host_test::AdministratorCookies(port, "floods");
  int sock = ConnectFrom("127.0.0.3", port);
  host_test::SendAll(sock, "POST /qe/main/netdrivers_upload.asp?p_CurrentFolder=%2F HTTP/1.1\r\nHost: 127.0.0.1:" +
                               std::to_string(port) + "\r\nCookie: " + cookies + "\r\nReferer: " +
                               origin + "/qe/main/netdrivers_upload.asp\r\nConnection: close\r\n"
                               "Content-Type: multipart/form-data; boundary=b\r\nContent-Length: " +
                               std::to_string(body.size()) + "\r\n\r\n");
  constexpr size_t kPiece = 64 * 1024;
  const auto began = Clock::now();
  bool sent = true;
  for (size_t at = 0, i = 0; sent && at < body.size(); at += kPiece, ++i) {
    std::this_thread::sleep_until(began + milliseconds(1000) * i * 64 / kib_per_second);
    sent = host_test::SendAll(sock, std::string_view(body).substr(at, kPiece));
  }
  const int status = ReadOneAnswer(sock, 30000);
  ::close(sock);
  const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
  // The drive's folder bears the user's name.
  std::ifstream file(site / "Data_UploadFiles/NetDriver/管理员/paced.bin", std::ios::binary);
  const std::string kept((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const bool whole = kept.size() == length && kept == body.substr(start.size(), length);
  char figures[160];
  std::snprintf(figures, sizeof figures, "a %d MiB upload at %d KiB/s: %s, %d, %s in the drive after %.1f s", mib,
                kib_per_second, sent ? "sent whole" : "CUT OFF", status, whole ? "the file whole" : "the file NOT whole",
                seconds);
  return figures;
}

// A 50 MiB upload at 1 MiB/s while `count` kept connections from `addresses`
// addresses ask for a stylesheet every `every`, and a visitor of its own
// keeps one connection, asking every 10 s: the upload is answered 200 and
// lands whole, and the visitor keeps its connection.
void UploadUnderKeptConnections(int port, const std::filesystem::path& site, Attack& attack,
                                const std::atomic<bool>& done, int count, int addresses, milliseconds every) {
  static std::atomic<long> flood_lost, visitor_lost;
  flood_lost = visitor_lost = 0;
  const int per_address = (count + addresses - 1) / addresses;
  KeptConnections(port, count, [per_address](int i) { return Address(i / per_address); }, every, "/qe/qe.css", attack,
                  done, flood_lost);
  KeptConnections(port, 1, [](int) { return std::string("127.0.0.4"); }, milliseconds(10000), "/qe/qe.css", attack,
                  done, visitor_lost);
  std::this_thread::sleep_for(every);  // the flood holds its connections
  const std::string upload = PacedUpload(port, site, 50);
  if (upload.find("sent whole, 200, the file whole") == std::string::npos) ++attack.wrong;
  if (visitor_lost > 0) ++attack.wrong;
  attack.figures = upload + "; the kept visitor lost its connection " + std::to_string(visitor_lost.load()) +
                   " times, the flood's " + std::to_string(flood_lost.load());
}

// `count` readers of the 64 MiB file that take nothing, from 60 a address.
std::vector<int> IdleReaders(int port, int count) {
  return Connections(
      port, count, [](int) { return std::string("GET /qe/big.zip HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"); }, 60, 4096);
}

// A download of `target` (at least `bytes`) from its own address, read as
// fast as it comes: its seconds, or -1 when it did not come whole.
double DownloadSeconds(int port, const std::string& target, size_t bytes) {
  auto start = Clock::now();
  int sock = ConnectFrom("127.0.0.3", port);
  if (sock < 0) return -1;
  host_test::SendAll(sock, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
  size_t received = 0;
  char buffer[65536];
  for (ssize_t n; (n = ::recv(sock, buffer, sizeof buffer, 0)) > 0;) received += static_cast<size_t>(n);
  ::close(sock);
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return received > bytes ? seconds : -1.0;
}

// 2,000 readers of the 64 MiB file that each take about 2 MiB of it (their
// shares of the send buffers grown) and stop, then fresh downloads of the
// file: the slowest must come within 10 times the middle of the quiet ones,
// made first.
void StalledReaders(int port, Attack& attack) {
  constexpr int kReaders = 2000;
  constexpr size_t kTaken = 2 * kMiB;
  auto downloads = [&] {
    std::vector<double> seconds;
    for (int i = 0; i < 3; ++i) seconds.push_back(DownloadSeconds(port, "/qe/big.zip", 64 * kMiB));
    if (std::count(seconds.begin(), seconds.end(), -1.0) > 0) ++attack.wrong;
    std::sort(seconds.begin(), seconds.end());
    return seconds;
  };
  DownloadSeconds(port, "/qe/big.zip", 64 * kMiB);  // warm: the file in the page cache
  const double quiet = downloads()[1];
  attack.held = Connections(
      port, kReaders, [](int) { return std::string("GET /qe/big.zip HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"); }, 60, 64 * 1024);
  std::atomic<int> stalled = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 16; ++t)
    threads.emplace_back([&, t] {
      char buffer[65536];
      for (size_t i = static_cast<size_t>(t); i < attack.held.size(); i += 16) {
        size_t taken = 0;
        for (ssize_t n; taken < kTaken && (n = ::recv(attack.held[i], buffer, sizeof buffer, 0)) > 0;)
          taken += static_cast<size_t>(n);
        if (taken >= kTaken) ++stalled;
      }
    });
  for (auto& thread : threads) thread.join();
  const double slowest = downloads().back();
  if (slowest > 10 * quiet) ++attack.wrong;
  char figures[200];
  std::snprintf(figures, sizeof figures,
                "%d readers took 2 MiB and stopped; a fresh 64 MiB download %.3f s at most against %.3f s quiet "
                "(%.1f times)",
                stalled.load(), slowest, quiet, slowest / quiet);
  attack.figures = figures;
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
  // The login page takes a small form only: the password page reads this
  // one, for a logged-in user.
  const std::string post = FormPost(server.Port(), form, "/qe/main/password.asp",
                                    host_test::AdministratorCookies(server.Port(), "floods"));
  long before = ResidentKiB(server.Pid());
  std::atomic<bool> done = false;
  std::atomic<long> peak = before;
  std::thread watch([&] {
    while (!done) {
      peak = std::max(peak.load(), ResidentKiB(server.Pid()));
      std::this_thread::sleep_for(milliseconds(2));
    }
  });
  std::string answer = host_test::Exchange(server.Port(), post, 3000).bytes;
  std::this_thread::sleep_for(milliseconds(100));
  done = true;
  watch.join();
  std::printf("a form at the limit (%zu bytes, 10000 fields) to the password page: status %d, server memory +%ld KiB at "
              "most (%.1f times the body)\n",
              form.size(), host_test::StatusOf(answer), peak - before,
              static_cast<double>(peak - before) * 1024 / static_cast<double>(form.size()));
}

namespace {

// What a parsed head costs the server: the memory of connections that hold
// whole heads (their bodies still to come), against the heads' bytes.
void HeadCost() {
  struct Shape {
    const char* what;
    std::string fields;  // 98 of them, with Host and Content-Length 100
  };
  std::vector<Shape> shapes = {{"100 fields of 600 bytes", ""}, {"100 empty fields", ""}};
  for (int i = 0; i < 98; ++i) {
    shapes[0].fields += "X-" + std::to_string(i) + ": " + std::string(600, 'h') + "\r\n";
    shapes[1].fields += "a:\r\n";
  }
  constexpr int kConnections = 500;
  for (const Shape& shape : shapes) {
    qe_test::TempSite site;
    host::MakeDefaultSite(site.SiteFolder());
    host_test::ServeProcess server(site.SiteFolder(), {"--max-per-client", "100000"});
    const int port = server.Port();
    host_test::Exchange(port, "GET /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n", 5000);
    const std::string head = "POST /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 100000\r\n" + shape.fields + "\r\n";
    const long before = ResidentKiB(server.Pid());
    std::vector<int> idle = Connections(port, kConnections, [](int) { return std::string(); });
    std::this_thread::sleep_for(milliseconds(1000));  // the server has taken them
    const long between = ResidentKiB(server.Pid());
    std::vector<int> held = Connections(port, kConnections, [&](int) { return head; });
    std::this_thread::sleep_for(milliseconds(1000));  // the server has read them
    const long after = ResidentKiB(server.Pid());
    for (int sock : idle)
      if (sock >= 0) ::close(sock);
    for (int sock : held)
      if (sock >= 0) ::close(sock);
    const double per_idle = static_cast<double>(between - before) * 1024 / kConnections;
    const double per_head = static_cast<double>(after - between) * 1024 / kConnections - per_idle;
    std::printf("a parsed head, %s (%zu bytes): %.0f bytes beyond the %.0f of a connection without one, %.1f times "
                "the head\n",
                shape.what, head.size(), per_head, per_idle, per_head / static_cast<double>(head.size()));
  }
}

// A 256 MiB download alone (the static file, then the download page's), and
// the static file again while 1,000 readers that take nothing hold the send
// buffers' total: seconds each, and their ratios to the first.
void DownloadTimes() {
  qe_test::TempSite site;
  host::MakeDefaultSite(site.SiteFolder());
  {
    std::ofstream big(site.SiteFolder() / "qe/big.zip", std::ios::binary);
  }
  std::filesystem::resize_file(site.SiteFolder() / "qe/big.zip", 256 * kMiB);
  host_test::ServeProcess server(site.SiteFolder());
  const int port = server.Port();
  auto fetch = [&](const std::string& target) { return DownloadSeconds(port, target, 256 * kMiB); };
  fetch("/qe/big.zip");  // warm: the file in the page cache, the database made
  double alone = 1e9, page = 1e9, loaded = 1e9;
  for (int i = 0; i < 3; ++i) {
    alone = std::min(alone, fetch("/qe/big.zip"));
    page = std::min(page, fetch("/comm/kesra_Download.asp?p_Act=DownLoad&p_CurrentFile=/qe/big.zip"));
  }
  std::vector<int> readers = Connections(
      port, 1000, [](int) { return std::string("GET /qe/big.zip HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"); }, 60, 4096);
  std::this_thread::sleep_for(milliseconds(500));
  for (int i = 0; i < 3; ++i) loaded = std::min(loaded, fetch("/qe/big.zip"));
  for (int sock : readers)
    if (sock >= 0) ::close(sock);
  std::printf("a 256 MiB download: the static file %.3f s, through the download page %.3f s (%.2f times), the static "
              "file while 1,000 readers hold the send buffers %.3f s (%.2f times)\n",
              alone, page, page / alone, loaded, loaded / alone);
}

// ---- at the limits: who gives up a connection, and who keeps one ----

std::string Pattern(size_t length) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i) bytes[i] = UploadByte(i);
  return bytes;
}

std::string Sha256(std::string_view bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
  std::string hex;
  char pair[3];
  for (unsigned int i = 0; i < length; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    hex += pair;
  }
  return hex;
}

// An ordinary client: its request sent `requests` times on one connection
// (`between_ms` apart), each answer taken `step` bytes every `step_ms`, with
// a pause after each 128 KiB (the pauses in turn). An answer of a file is
// checked by its SHA-256, the start page by its status and its end.
struct OrdinaryClient {
  const char* what;
  std::string request;
  int requests;
  size_t step;
  int step_ms;
  std::vector<int> pauses_ms;
  std::string expected;  // the body; "": the start page
  int between_ms = 0;
};

// One answer (or, with `until_closed`, all until the server closes) taken at
// the client's pace: false when the connection ended before.
bool TakeAnswer(int sock, const OrdinaryClient& client, bool until_closed, std::string& received) {
  std::vector<char> buffer(client.step);
  size_t paused = 0, parsed_at = 0;
  for (;;) {
    pollfd readable{sock, POLLIN, 0};
    if (::poll(&readable, 1, 30000) <= 0) return false;
    ssize_t n = ::recv(sock, buffer.data(), buffer.size(), 0);
    if (n <= 0) return until_closed && n == 0;
    received.append(buffer.data(), static_cast<size_t>(n));
    // Read by its framing now and then, and once the socket holds no more.
    if (!until_closed && (received.size() - parsed_at >= 64 * 1024 || static_cast<size_t>(n) < buffer.size())) {
      parsed_at = received.size();
      if (host_test::AnswersIn(received).size() == 1) return true;
    }
    if (!client.pauses_ms.empty() && received.size() >= (paused + 1) * 128 * 1024)
      std::this_thread::sleep_for(milliseconds(client.pauses_ms[paused++ % client.pauses_ms.size()]));
    else if (client.step_ms > 0)
      std::this_thread::sleep_for(milliseconds(client.step_ms));
  }
}

// Whether every answer came whole. A kept connection the server closed
// before any byte of the next answer is asked again on a new one, as
// browsers do.
bool RunOrdinaryClient(int port, const std::string& source, const OrdinaryClient& client) {
  const bool closes = client.request.find("HTTP/1.0") != std::string::npos ||
                      client.request.find("Connection: close") != std::string::npos;
  int sock = -1;
  bool whole = true;
  for (int r = 0; r < client.requests && whole; ++r) {
    if (r > 0) std::this_thread::sleep_for(milliseconds(client.between_ms));
    std::string received;
    bool taken = false;
    for (int attempt = 0; attempt < 2 && !taken && received.empty(); ++attempt) {
      if (sock >= 0 && attempt > 0) {
        ::close(sock);
        sock = -1;
      }
      if (sock < 0) sock = ConnectFrom(source, port, 16384);
      taken = sock >= 0 && host_test::SendAll(sock, client.request) && TakeAnswer(sock, client, closes, received);
      if (r == 0) break;  // a first answer is not asked for again
    }
    std::vector<host_test::Answer> answers = host_test::AnswersIn(received);
    whole = taken && answers.size() == 1 && (answers[0].status == 200 || answers[0].status == 206) &&
            (client.expected.empty() ? answers[0].body.ends_with("</html>\n")
                                     : Sha256(answers[0].body) == Sha256(client.expected));
    if (closes && sock >= 0) {
      ::close(sock);
      sock = -1;
    }
  }
  if (sock >= 0) ::close(sock);
  return whole;
}

// Nine ordinary clients of a file of 785 KB, each from an address of its
// own, started now and reporting into `attack` when the last ends.
std::function<std::string()> StartOrdinaryClients(int port, const std::filesystem::path& site, Attack& attack) {
  const std::string file = Pattern(785 * 1000);
  {
    std::ofstream out(site / "qe/ordinary.zip", std::ios::binary);
    out << file;
  }
  const std::string get = "GET /qe/ordinary.zip HTTP/1.1\r\nHost: 127.0.0.1\r\n";
  const std::string download = "GET /comm/kesra_Download.asp?p_Act=DownLoad&p_CurrentFile=/qe/ordinary.zip HTTP/1.";
  auto clients = std::make_shared<std::vector<OrdinaryClient>>(std::vector<OrdinaryClient>{
      {"HTTP/1.0 at 20 KiB/s", "GET /qe/ordinary.zip HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n", 1, 2048, 100, {}, file},
      {"HTTP/1.0 with pauses", "GET /qe/ordinary.zip HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n", 1, 16384, 100,
       {1200, 3000, 2000}, file},
      {"closing with pauses", get + "Connection: close\r\n\r\n", 1, 16384, 100, {3000, 1200, 2500}, file},
      {"kept, the file twice with pauses", get + "\r\n", 2, 16384, 100, {2000, 1500}, file},
      {"kept, the start page every 2 s", "GET /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", 12, 65536, 0, {}, "",
       2000},
      {"the download page at 20 KiB/s", download + "1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n", 1, 2048, 100, {},
       file},
      {"at full speed", get + "Connection: close\r\n\r\n", 1, 65536, 0, {}, file},
      {"a range with pauses", get + "Range: bytes=100000-599999\r\nConnection: close\r\n\r\n", 1, 16384, 100,
       {1500, 2500}, file.substr(100000, 500000)},
      {"HTTP/1.0, the download page with pauses", download + "0\r\nHost: 127.0.0.1\r\n\r\n", 1, 16384, 100,
       {1200, 3000}, file},
  });
  auto whole = std::make_shared<std::vector<char>>(clients->size(), false);
  auto threads = std::make_shared<std::vector<std::thread>>();
  for (size_t i = 0; i < clients->size(); ++i)
    threads->emplace_back([port, clients, whole, i] {
      (*whole)[i] = RunOrdinaryClient(port, "127.0.0." + std::to_string(10 + i), (*clients)[i]);
    });
  // Joined by the caller's report, once the flood is over.
  return [clients, whole, threads, &attack] {
    for (auto& thread : *threads) thread.join();
    std::string lost;
    int kept = 0;
    for (size_t i = 0; i < clients->size(); ++i) {
      if ((*whole)[i]) ++kept;
      else lost += std::string(lost.empty() ? "" : ", ") + (*clients)[i].what;
    }
    if (kept < static_cast<int>(clients->size())) ++attack.wrong;
    return std::to_string(kept) + " of " + std::to_string(clients->size()) +
           " ordinary clients whole (SHA-256)" + (lost.empty() ? "" : " (lost: " + lost + ")");
  };
}

// `count` connections from `addresses` addresses, each sending `first` at
// once, then `per_second` bytes a second until the server answers or
// closes; then again, until `done`. The answers' statuses are counted (0:
// closed without one).
void PacedRequests(int port, int count, int addresses, const std::string& first, size_t per_second, Attack& attack,
                   const std::atomic<bool>& done, std::shared_ptr<std::map<int, long>> statuses,
                   std::shared_ptr<std::mutex> counting) {
  const int per_address = (count + addresses - 1) / addresses;
  for (int t = 0; t < 16; ++t) {
    std::vector<std::string> from;
    for (int i = t; i < count; i += 16) from.push_back(Address(i / per_address));
    attack.loops.emplace_back([port, first, per_second, from, statuses, counting, &done] {
      struct Slot {
        std::string from;
        int sock = -1;
        Clock::time_point next;
      };
      std::vector<Slot> slots;
      for (const std::string& address : from) slots.push_back({address, -1, Clock::now()});
      const std::string more(per_second, 'p');
      auto count_status = [&](int status) {
        std::lock_guard lock(*counting);
        ++(*statuses)[status];
      };
      while (!done) {
        const auto now = Clock::now();
        std::vector<pollfd> open;
        for (Slot& slot : slots) {
          if (slot.sock < 0 && now >= slot.next) {
            slot.sock = ConnectFrom(slot.from, port);
            if (slot.sock >= 0 && !host_test::SendAll(slot.sock, first)) {
              ::close(slot.sock);
              slot.sock = -1;
            }
            slot.next = now + milliseconds(slot.sock >= 0 ? 1000 : 100);
          } else if (slot.sock >= 0 && now >= slot.next && !more.empty()) {
            slot.next += milliseconds(1000);
            if (::send(slot.sock, more.data(), more.size(), MSG_DONTWAIT | MSG_NOSIGNAL) < 0 && errno != EAGAIN) {
              count_status(0);
              ::close(slot.sock);
              slot.sock = -1;
            }
          }
          if (slot.sock >= 0) open.push_back({slot.sock, POLLIN, 0});
        }
        if (open.empty() || ::poll(open.data(), open.size(), 50) <= 0) {
          if (open.empty()) std::this_thread::sleep_for(milliseconds(50));
          continue;
        }
        for (const pollfd& answered : open) {
          if (!answered.revents) continue;
          char status[12] = {};
          ssize_t n = ::recv(answered.fd, status, sizeof status, MSG_DONTWAIT);
          count_status(n == sizeof status ? host_test::StatusOf(std::string(status, sizeof status)) : 0);
          for (Slot& slot : slots)
            if (slot.sock == answered.fd) {
              ::close(slot.sock);
              slot.sock = -1;
              slot.next = Clock::now() + milliseconds(100);
            }
        }
      }
      for (Slot& slot : slots)
        if (slot.sock >= 0) ::close(slot.sock);
    });
  }
}

std::string Statuses(const std::map<int, long>& statuses) {
  std::string text;
  for (const auto& [status, count] : statuses)
    text += (text.empty() ? "" : ", ") + std::to_string(count) + " " +
            (status ? std::to_string(status) : std::string("closed without an answer"));
  return text.empty() ? "none" : text;
}

// The nine ordinary clients begin, then a logged-in upload of `upload_mib`
// MiB at 512 KiB/s from its own address, then `count` paced bodies from 6
// addresses (`head`, per connection): the clients must keep their answers
// whole and the upload must land whole; the flood's answers are reported.
void PacedFloodBesideClients(int port, const std::filesystem::path& site, Attack& attack, const std::atomic<bool>& done,
                             int count, const std::string& head, int upload_mib) {
  std::function<std::string()> ordinary = StartOrdinaryClients(port, site, attack);
  auto upload = std::make_shared<std::string>();
  std::thread uploading([port, site, upload, upload_mib] { *upload = PacedUpload(port, site, upload_mib, 512); });
  std::this_thread::sleep_for(milliseconds(2000));  // logged in, and sending
  auto statuses = std::make_shared<std::map<int, long>>();
  auto counting = std::make_shared<std::mutex>();
  // 4 KiB at once, then 1.2 KiB/s.
  PacedRequests(port, count, 6, head + std::string(4096, 'p'), 1229, attack, done, statuses, counting);
  // The report, once the flood is over: its loops are joined before it.
  attack.loops.emplace_back([&attack, &done, ordinary, upload, statuses, counting,
                             uploading = std::move(uploading)]() mutable {
    uploading.join();
    std::string clients = ordinary();
    while (!done) std::this_thread::sleep_for(milliseconds(50));
    if (upload->find("sent whole, 200, the file whole") == std::string::npos) ++attack.wrong;
    std::lock_guard lock(*counting);
    attack.figures = clients + "; " + *upload + "; the flood's answers: " + Statuses(*statuses);
  });
}

std::string PacedHead(int port, const std::string& target, const std::string& type) {
  return "POST " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\nReferer: http://127.0.0.1:" +
         std::to_string(port) + target + "\r\nContent-Type: " + type + "\r\nContent-Length: 2000000\r\n\r\n";
}

// A visitor's login form (a wrong password) every 500 ms for `seconds`:
// how many were answered within 1 s.
std::string LoginVisits(int port, int seconds) {
  const std::string form = "UserName=visitor&PassWord=wrong";
  int asked = 0, answered = 0;
  for (auto end = Clock::now() + std::chrono::seconds(seconds); Clock::now() < end; ++asked) {
    const auto began = Clock::now();
    int sock = ConnectFrom("127.0.0.5", port);
    host_test::SendAll(sock, FormPost(port, form));
    const int status = ReadOneAnswer(sock, 1000);
    ::close(sock);
    if (status == 200 && Clock::now() - began < milliseconds(1000)) ++answered;
    std::this_thread::sleep_until(began + milliseconds(500));
  }
  return "a visitor's login form: " + std::to_string(answered) + " of " + std::to_string(asked) + " within 1 s";
}

// At 384 connections (1,024 descriptors): 384 anonymous bodies of 2 MB to
// `target` from 6 addresses, 4 KiB at once and then 1.2 KiB/s, each sent
// again once it ends, beside the nine ordinary clients and a logged-in upload
// of 8 MiB at 512 KiB/s; the visitor asks every 500 ms.
Flood PacedFloodAtTheLimit(const char* name, std::string target, std::string type) {
  return {name, {}, 1024,
          [target, type](int port, const std::filesystem::path& site, Attack& attack, const std::atomic<bool>& done) {
            PacedFloodBesideClients(port, site, attack, done, 384, PacedHead(port, target, type), 8);
          },
          256 * 1024, -1, -1, false, 45000, -1, 500, 90, true};
}

std::vector<Flood> FairShareFloods() {
  return {
      {"heads-at-once", {}, 0,
       [](int port, const std::filesystem::path& site, Attack& attack, const std::atomic<bool>& done) {
         // An upload at 1 MiB/s, then 1,100 heads of 60 KiB sent at once from
         // 22 addresses (66 MiB, past the heads' budget), each sent again on a
         // new connection once dropped, and a visitor's login form every
         // 500 ms for 10 s.
         auto upload = std::make_shared<std::string>();
         std::thread uploading([port, site, upload] { *upload = PacedUpload(port, site, 16); });
         std::this_thread::sleep_for(milliseconds(2000));  // logged in, and sending
         std::string head = "GET /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\n";
         for (int line = 0; line < 60; ++line) head += "X-" + std::to_string(line) + ": " + std::string(1000, 'h') + "\r\n";
         auto statuses = std::make_shared<std::map<int, long>>();
         auto counting = std::make_shared<std::mutex>();
         PacedRequests(port, 1100, 22, head, 0, attack, done, statuses, counting);
         const std::string logins = LoginVisits(port, 10);
         uploading.join();
         if (upload->find("sent whole, 200, the file whole") == std::string::npos) ++attack.wrong;
         std::lock_guard lock(*counting);
         attack.figures = logins + "; " + *upload + "; the heads' answers so far: " + Statuses(*statuses);
       },
       256 * 1024, -1, -1, false, 2000, -1, 500, 95, true},
      PacedFloodAtTheLimit("paced-anonymous-posts", "/qe/main/login.asp", "application/x-www-form-urlencoded"),
      PacedFloodAtTheLimit("paced-anonymous-uploads", "/qe/main/netdrivers_upload.asp?p_CurrentFolder=%2F",
                           "multipart/form-data; boundary=b"),
      // The start page reads a body (at its pace, as a page that takes no
      // form): these hold the limit.
      PacedFloodAtTheLimit("paced-bodies-at-cap", "/qe/index.asp", "application/octet-stream"),
  };
}

}  // namespace

bool Floods(const std::string& only) {
  RaiseOwnDescriptors(8192);
  std::vector<Flood> floods = {
      {"forms", {}, 0,
       [](int port, const std::filesystem::path&, Attack&, const std::atomic<bool>&) {
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
       },
       64 * 1024},
      {"body-disk", {"--body-disk-mb", "64"}, 0,
       [](int port, const std::filesystem::path&, Attack& attack, const std::atomic<bool>&) {
         attack.held = HeldBodies(port, 8);
       },
       128 * 1024, 80 * 1024},
      {"descriptors", {}, 1024,
       [](int port, const std::filesystem::path&, Attack& attack, const std::atomic<bool>&) {
         // 600 readers of a 64 MiB file that take nothing, from 10 addresses.
         attack.held = Connections(
             port, 600, [](int) { return std::string("GET /qe/big.zip HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"); }, 60, 4096);
       },
       256 * 1024, -1, -1, true},
      {"heads", {}, 0,
       [](int port, const std::filesystem::path&, Attack& attack, const std::atomic<bool>&) {
         // 3,000 heads of 60 KiB that never end, from 50 addresses.
         std::string head = "GET /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\n";
         for (int line = 0; line < 60; ++line) head += "X-" + std::to_string(line) + ": " + std::string(1000, 'h') + "\r\n";
         attack.held = Connections(port, 3000, [&](int) { return head; });
       },
       128 * 1024},
      {"send-buffers", {}, 0,
       [](int port, const std::filesystem::path&, Attack& attack, const std::atomic<bool>&) {
         // 128 readers of a 64 MiB file that take nothing.
         attack.held = Connections(
             port, 128, [](int) { return std::string("GET /qe/big.zip HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"); }, 60, 4096);
       },
       128 * 1024, -1, 128 * 1024},
      {"one-client", {"--max-connections", "1000"}, 0,
       [](int port, const std::filesystem::path&, Attack& attack, const std::atomic<bool>&) {
         // 2,000 connections from one address that begin a head and stop.
         attack.held = Connections(
             port, 2000, [](int) { return std::string("GET /qe/index.asp HTTP/1.1\r\nX-Slow: 1\r\n"); }, 100000);
       },
       128 * 1024},
      {"fields", {}, 0,
       [](int port, const std::filesystem::path&, Attack& attack, const std::atomic<bool>&) {
         // 500 heads of 16,000 empty fields (64 KiB) before a body that is to
         // come, from 9 addresses.
         std::string head = "GET /qe/qe.css HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 200000000\r\n";
         for (int i = 0; i < 16000; ++i) head += "a:\r\n";
         attack.held = Connections(port, 500, [&](int) { return head + "\r\n"; });
       },
       128 * 1024},
      {"parsed-heads", {}, 0,
       [](int port, const std::filesystem::path&, Attack& attack, const std::atomic<bool>&) {
         // 3,000 whole heads of 60 KiB, each before a body that does not come,
         // from 50 addresses.
         std::string head = "POST /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 100000\r\n";
         for (int line = 0; line < 60; ++line) head += "X-" + std::to_string(line) + ": " + std::string(1000, 'h') + "\r\n";
         attack.held = Connections(port, 3000, [&](int) { return head + "\r\n"; });
       },
       128 * 1024},
      {"three-descriptors", {}, 1024,
       [](int port, const std::filesystem::path&, Attack& attack, const std::atomic<bool>&) {
         // 450 bodies of 300 KiB (in files) to the download page, whose clients
         // take nothing, from 8 addresses: each answer is the file, or a
         // refusal (503; 408 for a body that made room for a newcomer), or the
         // connection reset once its answer began, to make room for an address
         // holding fewer.
         const std::string post =
             "POST /comm/kesra_Download.asp?p_Act=DownLoad&p_CurrentFile=/qe/big.zip HTTP/1.1\r\nHost: 127.0.0.1\r\n"
             "Content-Type: application/octet-stream\r\nContent-Length: 307200\r\n\r\n" + std::string(307200, 'b');
         attack.held = Connections(port, 450, [&](int) { return post; }, 60, 4096);
         std::map<int, int> statuses;
         for (int sock : attack.held) {
           int status = StatusWithin(sock, 3000);
           ++statuses[status];
           if (status != 200 && status != 503 && status != 408 && status != -1) ++attack.wrong;
         }
         for (const auto& [status, count] : statuses)
           attack.figures += (attack.figures.empty() ? "" : ", ") + std::to_string(count) +
                             (status > 0 ? " answered " + std::to_string(status)
                                         : status ? std::string(" reset") : std::string(" answered nothing"));
       },
       256 * 1024, -1, -1, true},
      {"dropped-bodies", {"--max-connections", "2000"}, 0,
       [](int port, const std::filesystem::path&, Attack& attack, const std::atomic<bool>&) {
         // 2,000 connections from 34 addresses, each a GET whose body (in
         // chunks, a byte each) nobody reads, all the connections allowed.
         attack.held = Connections(port, 2000, [](int) {
           return std::string("GET /qe/qe.css HTTP/1.1\r\nHost: 127.0.0.1\r\nTransfer-Encoding: chunked\r\n\r\n1\r\na\r\n");
         });
       },
       128 * 1024, -1, -1, false, 8000},
      {"forms-at-limit", {}, 0,
       [](int port, const std::filesystem::path&, Attack& attack, const std::atomic<bool>& done) {
         // 256 clients from 4 addresses posting forms at the limits (2 MiB,
         // 10,000 fields) to the login page, one after another, until the flood ends.
         std::string form;
         const std::string value(200, 'v');
         for (int i = 0; i < 10000; ++i) form += (i ? "&n" : "n") + std::to_string(i) + "=" + value;
         form.resize(std::min<size_t>(form.size(), 2 * kMiB));
         auto post = std::make_shared<std::string>(
             "POST /qe/login.asp HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\nReferer: http://127.0.0.1:" +
             std::to_string(port) + "/qe/login.asp\r\nContent-Type: application/x-www-form-urlencoded\r\n"
             "Connection: close\r\nContent-Length: " + std::to_string(form.size()) + "\r\n\r\n" + form);
         for (int t = 0; t < 256; ++t)
           attack.loops.emplace_back([port, post, t, &done] {
             while (!done) {
               int sock = ConnectFrom(Address(t / 64), port);
               if (sock < 0) continue;
               host_test::SendAll(sock, *post);
               host_test::ReadUntilClosed(sock, 10000);
               ::close(sock);
             }
           });
       },
       512 * 1024, -1, -1, false, 8000},
      {"client-disk", {"--body-disk-mb", "128"}, 0,
       [](int port, const std::filesystem::path&, Attack& attack, const std::atomic<bool>&) {
         // One address holds four bodies; then another address's 20 MiB body must pass.
         attack.held = HeldBodies(port, 4);
         std::this_thread::sleep_for(milliseconds(500));  // the server holds what was sent
         int other = ConnectFrom(Address(200), port);
         host_test::SendAll(other, "POST /qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                                   "Content-Length: " + std::to_string(20 * kMiB) + "\r\n\r\n" + std::string(20 * kMiB, 'y'));
         int status = StatusWithin(other, 10000);
         ::close(other);
         if (status != 200) ++attack.wrong;
         attack.figures = "the other address's 20 MiB body: " + std::to_string(status);
       },
       128 * 1024, 136 * 1024},
      {"send-total", {}, 0,
       [](int port, const std::filesystem::path&, Attack& attack, const std::atomic<bool>&) {
         // 1,000 readers of a 64 MiB file that take nothing, from 17 addresses.
         attack.held = Connections(
             port, 1000, [](int) { return std::string("GET /qe/big.zip HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"); }, 60, 4096);
       },
       128 * 1024, -1, 300 * 1024},
      {"stalled-readers", {}, 0,
       [](int port, const std::filesystem::path&, Attack& attack, const std::atomic<bool>&) {
         StalledReaders(port, attack);
       },
       128 * 1024, -1, -1, false, 2000, 256 * 1024 * 11 / 10},
      {"upload-at-cap", {}, 1024,
       [](int port, const std::filesystem::path& site, Attack& attack, const std::atomic<bool>& done) {
         // At 384 connections: 384 kept connections from 7 addresses asking
         // every 2 s, and the upload.
         UploadUnderKeptConnections(port, site, attack, done, 384, 7, milliseconds(2000));
       },
       256 * 1024},
      {"upload-at-default-cap", {}, 20000,
       [](int port, const std::filesystem::path& site, Attack& attack, const std::atomic<bool>& done) {
         // At 9,872 connections: 9,900 kept connections from 166 addresses
         // asking every 5 s, and the upload.
         UploadUnderKeptConnections(port, site, attack, done, 9900, 166, milliseconds(5000));
       },
       512 * 1024},
      {"reader-waves", {}, 0,
       [](int port, const std::filesystem::path&, Attack& attack, const std::atomic<bool>&) {
         // Three waves of 2,000 readers of a 64 MiB file that take nothing,
         // 35 s apart: each wave is given up (after the send time-out) before
         // the next comes.
         for (int wave = 0; wave < 3; ++wave) {
           if (wave > 0) std::this_thread::sleep_for(std::chrono::seconds(35));
           std::vector<int> readers = IdleReaders(port, 2000);
           attack.held.insert(attack.held.end(), readers.begin(), readers.end());
         }
       },
       128 * 1024, -1, -1, false, 35000, 256 * 1024 * 11 / 10},
      {"readers-at-once", {}, 0,
       [](int port, const std::filesystem::path&, Attack& attack, const std::atomic<bool>&) {
         // 3,000 readers of a 64 MiB file that take nothing, opened within 3 s.
         auto began = Clock::now();
         attack.held = IdleReaders(port, 3000);
         attack.figures = "opened in " + std::to_string(std::chrono::duration_cast<milliseconds>(Clock::now() - began).count()) + " ms";
       },
       128 * 1024, -1, -1, false, 5000, 256 * 1024 * 11 / 10},
  };
  for (Flood& flood : FairShareFloods()) floods.push_back(std::move(flood));
  bool ok = true;
  for (const Flood& flood : floods)
    if (only.empty() || only == flood.name) ok = Run(flood) && ok;
  if (only.empty() || only == "forms") FormAtTheLimit();
  if (only.empty() || only == "parsed-heads") HeadCost();
  if (only.empty() || only == "send-total") DownloadTimes();
  return ok;
}

}  // namespace load_test
