// Load on `qe serve` over loopback, figures from one run:
//
//  1. Many kept connections for a bounded time on the start page, with each
//     connection keeping its session cookie and again without cookies (each
//     request begins a session), then on a static file of the same server as
//     the reference: requests per second, errors, answers of the wrong
//     length, the server's memory before and after each.
//  2. In a server of this program's own, with pages of its own: a page that
//     writes one line against the same static file (what a page costs the
//     server, without the page's own work); then streaming: a page that
//     writes N MiB in 1 MiB blocks with a flush after each, against a static
//     file of the same size: the time of each transfer and the server's
//     memory growth during it; and the same file through the download page
//     (/comm/kesra_Download.asp, the component's download in blocks).
//  3. Slow readers: N clients ask `qe serve` for an M MiB file through the
//     download page and never read; meanwhile the start page is asked for
//     again and again: its slowest and middle answer times, and the server's
//     memory before and while the readers hold their answers.
//
//  3. Hostile clients (load_hostile.h): half-sent bodies that stop, and
//     outsiders flooding the session limit; and the size of a session.
//  4. Floods (--floods, or --flood NAME for one): what a client can make the
//     server hold, each against the server's budget for it (load_floods.cpp).
//
//   qe_load_test [--seconds N] [--connections N] [--threads N] [--stream-mib N] [--no-stream]
//                [--slow-readers N] [--slow-mib M]
//                [--half-bodies N] [--session-flood N] [--hostile-only] [--floods | --flood NAME]
//
// --threads is passed on to qe serve (the page workers).
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/default_site.h"
#include "load_hostile.h"
#include "host/in_process_server.h"
#include "host/raw_http.h"
#include "host/pages.h"
#include "host/serve_process.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "support/http_client.h"
#include "support/temp_site.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kMiB = 1024 * 1024;

struct Settings {
  int seconds = 10;
  int connections = 50;
  int stream_mib = 1024;
  bool stream = true;
  int slow_readers = 64;  // 0: none
  int slow_mib = 64;
  int half_bodies = 3000;        // 0: none
  long session_flood = 1000000;  // 0: none
  bool hostile_only = false;
  // Passed on to qe serve: every client here is one address.
  std::vector<std::string> serve_options = {"--max-per-client", "100000"};
  bool floods = false;
  std::string flood;  // one of them
};

struct Tally {
  uint64_t requests = 0, errors = 0, wrong_length = 0;
  double seconds = 0;
  double PerSecond() const { return seconds > 0 ? requests / seconds : 0; }
};

using load_test::ResidentKiB;

// Every connection asks for `path` until the time is up; `whole` says
// whether an answer came whole.
template <class Whole>
Tally Load(int port, const std::string& path, int seconds, int connections, bool cookies, Whole whole) {
  std::atomic<uint64_t> requests = 0, errors = 0, wrong = 0;
  auto start = Clock::now();
  auto deadline = start + std::chrono::seconds(seconds);
  std::vector<std::thread> threads;
  for (int c = 0; c < connections; ++c) {
    threads.emplace_back([&] {
      qe_test::HttpClient client(port);
      qe_test::HttpHeaders headers;
      uint64_t done = 0, failed = 0, short_or_long = 0;
      while (Clock::now() < deadline) {
        auto answer = client.Get(path, headers);
        ++done;
        if (!answer || answer->status != 200) {
          ++failed;
          continue;
        }
        if (!whole(answer->body)) ++short_or_long;
        std::string set_cookie = answer->Header("Set-Cookie");
        if (cookies && !set_cookie.empty()) headers = {{"Cookie", set_cookie.substr(0, set_cookie.find(';'))}};
      }
      requests += done;
      errors += failed;
      wrong += short_or_long;
    });
  }
  for (auto& t : threads) t.join();
  return {requests, errors, wrong, std::chrono::duration<double>(Clock::now() - start).count()};
}

void Report(const char* what, const Tally& tally, long rss_before, long rss_after) {
  std::printf("%-32s %9llu requests %9.0f req/s %5llu errors %5llu wrong length   memory %7ld -> %7ld KiB\n", what,
              static_cast<unsigned long long>(tally.requests), tally.PerSecond(),
              static_cast<unsigned long long>(tally.errors), static_cast<unsigned long long>(tally.wrong_length),
              rss_before, rss_after);
}

bool RequestsAndPages(const Settings& settings) {
  qe_test::TempSite site;
  host::MakeDefaultSite(site.SiteFolder());
  std::ifstream css(site.SiteFolder() / "qe/qe.css", std::ios::binary);
  const std::string style((std::istreambuf_iterator<char>(css)), std::istreambuf_iterator<char>());
  host_test::ServeProcess server(site.SiteFolder(), settings.serve_options);
  std::printf("%s%d connections, %d s each\n", server.FirstLine().c_str(), settings.connections, settings.seconds);

  auto page_whole = [](const std::string& body) { return body.ends_with("</body>\n</html>\n"); };
  auto file_whole = [&](const std::string& body) { return body == style; };
  long rss_idle = ResidentKiB(server.Pid());
  // The first seconds start the threads and fill the allocator's caches: the
  // memory measured from here on is the steady state.
  Load(server.Port(), "/qe/index.asp", 2, settings.connections, true, page_whole);
  long rss_start = ResidentKiB(server.Pid());
  std::printf("memory idle %ld KiB, after a 2 s warm-up %ld KiB\n", rss_idle, rss_start);

  Tally cookies = Load(server.Port(), "/qe/index.asp", settings.seconds, settings.connections, true, page_whole);
  long rss_cookies = ResidentKiB(server.Pid());
  Tally bare = Load(server.Port(), "/qe/index.asp", settings.seconds, settings.connections, false, page_whole);
  long rss_bare = ResidentKiB(server.Pid());
  Tally file = Load(server.Port(), "/qe/qe.css", settings.seconds, settings.connections, true, file_whole);
  long rss_file = ResidentKiB(server.Pid());
  Report("start page, cookies kept", cookies, rss_start, rss_cookies);
  Report("start page, no cookies", bare, rss_cookies, rss_bare);
  Report("static file /qe/qe.css", file, rss_bare, rss_file);
  std::printf("start page / static file: %.1f%% with cookies kept, %.1f%% without cookies\n",
              100 * cookies.PerSecond() / file.PerSecond(), 100 * bare.PerSecond() / file.PerSecond());
  std::printf("(without cookies each request keeps a new session: %llu sessions)\n",
              static_cast<unsigned long long>(bare.requests));

  bool serving = server.Running();
  int status = server.Stop();
  std::printf("server %s, exit status %d\n", serving ? "still serving" : "GONE", status);
  return cookies.errors + bare.errors + file.errors + cookies.wrong_length + bare.wrong_length +
                 file.wrong_length ==
             0 &&
         serving && status == 0;
}

// ---- streaming ----

// ?mib=N: N blocks of 1 MiB, each flushed, while the client is there.
void StreamPage(host::Page& page) {
  asp::Response& response = asp::CurrentContext()->ResponseObject();
  long blocks = vb::CLng(com::ValueOf(com::Call(page.Request, u"QueryString", vb::String(u"mib"))));
  response.SetContentType(u"application/octet-stream");
  static const std::string block(kMiB, 'q');
  for (long i = 0; i < blocks && response.IsClientConnected(); ++i) {
    response.BinaryWrite(block);
    response.Flush();
  }
}

// One line of text: what the server costs a page, without the page's own work.
void LinePage(host::Page& page) { com::Call(page.Response, u"Write", vb::String(u"one line\n")); }

// The streaming server: this program again, in a process of its own, so that
// its memory is its own. It prints its port and serves until killed.
int ServeStreaming(const char* site) {
  host::Pages pages = host::SitePages();
  pages.Register(u"/qe/stream.asp", &StreamPage);
  pages.Register(u"/qe/line.asp", &LinePage);
  host_test::InProcessServer server(site, std::move(pages));
  std::printf("port %d\n", server.Port());
  std::fflush(stdout);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  int signal = 0;
  sigwait(&stop, &signal);
  return 0;
}

struct Transfer {
  uint64_t bytes = 0;
  double seconds = 0;
  long peak_growth_kib = 0;
  bool ok = false;
};

// One GET read to its end and thrown away, with the server's memory sampled
// all along.
Transfer Download(int port, pid_t server, const std::string& target) {
  namespace http = boost::beast::http;
  Transfer transfer;
  long base = ResidentKiB(server);
  std::atomic<long> peak = base;
  std::atomic<bool> running = true;
  std::thread sampler([&] {
    while (running) {
      long now = ResidentKiB(server);
      if (now > peak) peak = now;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  auto start = Clock::now();
  boost::asio::io_context context;
  boost::asio::ip::tcp::socket socket(context);
  boost::system::error_code error;
  socket.connect({boost::asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port)}, error);
  std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
  if (!error) boost::asio::write(socket, boost::asio::buffer(request), error);
  boost::beast::flat_buffer buffer;
  http::response_parser<http::buffer_body> parser;
  parser.body_limit(boost::none);
  if (!error) http::read_header(socket, buffer, parser, error);
  auto piece = std::make_unique<char[]>(kMiB);
  while (!error && !parser.is_done()) {
    parser.get().body().data = piece.get();
    parser.get().body().size = kMiB;
    http::read(socket, buffer, parser, error);
    if (error == http::error::need_buffer) error = {};
    transfer.bytes += kMiB - parser.get().body().size;
  }
  transfer.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  running = false;
  sampler.join();
  transfer.peak_growth_kib = peak - base;
  transfer.ok = !error && parser.is_done() && parser.get().result_int() == 200;
  return transfer;
}

bool Streaming(const Settings& settings, const char* self) {
  qe_test::TempSite site;
  host::MakeDefaultSite(site.SiteFolder());
  const uint64_t size = static_cast<uint64_t>(settings.stream_mib) * kMiB;
  {
    // A sparse file: its pages come from no disk, as the page's come from memory.
    std::filesystem::path big = site.SiteFolder() / "qe/big.zip";
    std::ofstream(big, std::ios::binary).close();
    std::filesystem::resize_file(big, size);
  }
  int out[2];
  if (::pipe(out) != 0) return false;
  pid_t child = ::fork();
  if (child == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    ::dup2(out[1], STDOUT_FILENO);
    ::close(out[0]);
    ::close(out[1]);
    ::execl(self, self, "--serve-streaming", site.SiteFolder().c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(out[1]);
  FILE* lines = ::fdopen(out[0], "r");
  int port = 0;
  if (std::fscanf(lines, "port %d", &port) != 1) return false;

  // What a page costs the server itself, against the static file.
  auto line_whole = [](const std::string& body) { return body == "one line\n"; };
  auto css_whole = [](const std::string& body) { return body.ends_with("}\n"); };
  long rss_before = ResidentKiB(child);
  Tally line = Load(port, "/qe/line.asp", settings.seconds, settings.connections, true, line_whole);
  long rss_line = ResidentKiB(child);
  Tally css = Load(port, "/qe/qe.css", settings.seconds, settings.connections, true, css_whole);
  long rss_css = ResidentKiB(child);
  Report("a page of one line (own server)", line, rss_before, rss_line);
  Report("static file /qe/qe.css (same)", css, rss_line, rss_css);
  std::printf("page of one line / static file: %.1f%%\n", 100 * line.PerSecond() / css.PerSecond());

  // The worker threads and the allocator settle; the file is read once into
  // the system's cache, as a file served often is.
  Download(port, child, "/qe/stream.asp?mib=8");
  Download(port, child, "/qe/big.zip");
  const std::string download_page = "/comm/kesra_Download.asp?p_CurrentFile=/qe/big.zip&p_Act=DownLoad";
  Transfer page = Download(port, child, "/qe/stream.asp?mib=" + std::to_string(settings.stream_mib));
  Transfer file = Download(port, child, "/qe/big.zip");
  Transfer downloaded = Download(port, child, download_page);
  std::printf("%d MiB page, a flush per MiB  %6.2f s  %7.0f MiB/s  memory +%ld KiB%s\n", settings.stream_mib,
              page.seconds, page.bytes / page.seconds / kMiB, page.peak_growth_kib, page.ok && page.bytes == size ? "" : "  INCOMPLETE");
  std::printf("%d MiB static file          %6.2f s  %7.0f MiB/s  memory +%ld KiB%s\n", settings.stream_mib,
              file.seconds, file.bytes / file.seconds / kMiB, file.peak_growth_kib, file.ok && file.bytes == size ? "" : "  INCOMPLETE");
  std::printf("%d MiB download page         %6.2f s  %7.0f MiB/s  memory +%ld KiB%s\n", settings.stream_mib,
              downloaded.seconds, downloaded.bytes / downloaded.seconds / kMiB, downloaded.peak_growth_kib,
              downloaded.ok && downloaded.bytes == size ? "" : "  INCOMPLETE");
  std::printf("page / static file time: %.2fx\n", page.seconds / file.seconds);
  std::printf("download page / static file time: %.2fx\n", downloaded.seconds / file.seconds);
  ::kill(child, SIGTERM);
  ::waitpid(child, nullptr, 0);
  std::fclose(lines);
  return page.ok && file.ok && downloaded.ok && page.bytes == size && file.bytes == size && downloaded.bytes == size &&
         line.errors + line.wrong_length == 0 &&
         css.errors + css.wrong_length == 0;
}

// ---- slow readers ----

bool SlowReaders(const Settings& settings) {
  qe_test::TempSite site;
  host::MakeDefaultSite(site.SiteFolder());
  {
    std::filesystem::path big = site.SiteFolder() / "qe/slow.zip";
    std::ofstream(big, std::ios::binary).close();
    std::filesystem::resize_file(big, static_cast<uint64_t>(settings.slow_mib) * kMiB);
  }
  host_test::ServeProcess server(site.SiteFolder(), settings.serve_options);
  auto page_whole = [](const std::string& body) { return body.ends_with("</body>\n</html>\n"); };
  Load(server.Port(), "/qe/index.asp", 2, 8, true, page_whole);  // warm-up
  long rss_before = ResidentKiB(server.Pid());

  std::vector<int> readers;
  const std::string ask = "GET /comm/kesra_Download.asp?p_Act=DownLoad&p_CurrentFile=/qe/slow.zip HTTP/1.1\r\nHost: a\r\n\r\n";
  for (int i = 0; i < settings.slow_readers; ++i) {
    int sock = host_test::ConnectLoopback(server.Port(), 16 * 1024);
    if (sock >= 0 && host_test::SendAll(sock, ask)) readers.push_back(sock);
  }
  // The start page, over and over, while the readers hold their answers.
  std::vector<double> times;
  long rss_peak = ResidentKiB(server.Pid());
  uint64_t errors = 0;
  qe_test::HttpClient client(server.Port(), std::chrono::seconds(60));
  for (auto end = Clock::now() + std::chrono::seconds(settings.seconds); Clock::now() < end;) {
    auto start = Clock::now();
    auto answer = client.Get("/qe/index.asp");
    times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    if (!answer || !page_whole(answer->body)) ++errors;
    rss_peak = std::max(rss_peak, ResidentKiB(server.Pid()));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::sort(times.begin(), times.end());
  double slowest = times.empty() ? 0 : times.back(), middle = times.empty() ? 0 : times[times.size() / 2];
  std::printf("%zu slow readers of a %d MiB download: start page %zu times, slowest %.3f s, middle %.3f s, %llu errors\n",
              readers.size(), settings.slow_mib, times.size(), slowest, middle, static_cast<unsigned long long>(errors));
  std::printf("memory %ld KiB before, %ld KiB at most while they held their answers (+%ld KiB)\n", rss_before, rss_peak,
              rss_peak - rss_before);
  for (int sock : readers) ::close(sock);
  bool serving = server.Running();
  int status = server.Stop();
  return errors == 0 && serving && status == 0 && static_cast<int>(readers.size()) == settings.slow_readers;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && !std::strcmp(argv[1], "--serve-streaming")) {
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    return ServeStreaming(argv[2]);
  }
  Settings settings;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) settings.seconds = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--connections") && i + 1 < argc) settings.connections = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--stream-mib") && i + 1 < argc) settings.stream_mib = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--no-stream")) settings.stream = false;
    else if (!std::strcmp(argv[i], "--slow-readers") && i + 1 < argc) settings.slow_readers = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--slow-mib") && i + 1 < argc) settings.slow_mib = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--threads") && i + 1 < argc) settings.serve_options.insert(settings.serve_options.end(), {"--threads", argv[++i]});
    else if (!std::strcmp(argv[i], "--half-bodies") && i + 1 < argc) settings.half_bodies = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--session-flood") && i + 1 < argc) settings.session_flood = std::atol(argv[++i]);
    else if (!std::strcmp(argv[i], "--hostile-only")) settings.hostile_only = true;
    else if (!std::strcmp(argv[i], "--floods")) settings.floods = true;
    else if (!std::strcmp(argv[i], "--flood") && i + 1 < argc) settings.floods = true, settings.flood = argv[++i];
    else {
      std::fprintf(stderr,
                   "usage: %s [--seconds N] [--connections N] [--threads N] [--stream-mib N] [--no-stream]\n"
                   "          [--slow-readers N] [--slow-mib M]\n"
                   "          [--half-bodies N] [--session-flood N] [--hostile-only] [--floods | --flood NAME]\n",
                   argv[0]);
      return 2;
    }
  }
  signal(SIGPIPE, SIG_IGN);
  if (settings.floods) return load_test::Floods(settings.flood) ? 0 : 1;
  bool ok = settings.hostile_only || RequestsAndPages(settings);
  if (settings.stream && !settings.hostile_only) ok = Streaming(settings, "/proc/self/exe") && ok;
  if (settings.slow_readers > 0 && !settings.hostile_only) ok = SlowReaders(settings) && ok;
  load_test::SessionSize();
  if (settings.half_bodies > 0) ok = load_test::HalfBodies(settings.half_bodies) && ok;
  if (settings.session_flood > 0) ok = load_test::SessionFlood(settings.session_flood) && ok;
  return ok ? 0 : 1;
}
