// Load on `qe serve` over loopback: many connections at once for a bounded
// time on the start page, then on a static file of the same server as the
// reference. Prints requests per second, errors and the server's memory.
//
//   qe_load_test [--seconds N] [--connections N] [--no-cookies]
//
// Each connection keeps its session cookie, as a browser does, unless
// --no-cookies: then every start-page request begins a session of its own.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "host/default_site.h"
#include "host/serve_process.h"
#include "support/http_client.h"
#include "support/temp_site.h"

namespace {

struct Settings {
  int seconds = 30;
  int connections = 50;
  bool cookies = true;
};

struct Tally {
  uint64_t requests = 0;
  uint64_t errors = 0;
  double seconds = 0;
};

// The resident memory of a process in KiB, from /proc.
long ResidentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

Tally Load(int port, const std::string& path, const Settings& settings) {
  std::atomic<uint64_t> requests = 0, errors = 0;
  auto start = std::chrono::steady_clock::now();
  auto deadline = start + std::chrono::seconds(settings.seconds);
  std::vector<std::thread> connections;
  for (int c = 0; c < settings.connections; ++c) {
    connections.emplace_back([&] {
      qe_test::HttpClient client(port);
      qe_test::HttpHeaders headers;
      uint64_t done = 0, failed = 0;
      while (std::chrono::steady_clock::now() < deadline) {
        auto answer = client.Get(path, headers);
        ++done;
        if (!answer || answer->status != 200 || answer->body.empty()) {
          ++failed;
          continue;
        }
        std::string set_cookie = answer->Header("Set-Cookie");
        if (settings.cookies && !set_cookie.empty()) headers = {{"Cookie", set_cookie.substr(0, set_cookie.find(';'))}};
      }
      requests += done;
      errors += failed;
    });
  }
  for (auto& t : connections) t.join();
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return {requests, errors, seconds};
}

void Report(const char* what, const Tally& tally, long rss_before, long rss_after) {
  std::printf("%-28s %9llu requests %10.0f req/s %6llu errors   memory %7ld KiB -> %7ld KiB\n", what,
              static_cast<unsigned long long>(tally.requests), tally.requests / tally.seconds,
              static_cast<unsigned long long>(tally.errors), rss_before, rss_after);
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) settings.seconds = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--connections") && i + 1 < argc) settings.connections = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--no-cookies")) settings.cookies = false;
    else {
      std::fprintf(stderr, "usage: %s [--seconds N] [--connections N] [--no-cookies]\n", argv[0]);
      return 2;
    }
  }
  qe_test::TempSite site;
  host::MakeDefaultSite(site.SiteFolder());
  host_test::ServeProcess server(site.SiteFolder());
  std::printf("%s%d connections, %d s each, %s\n", server.FirstLine().c_str(), settings.connections,
              settings.seconds, settings.cookies ? "cookies kept" : "no cookies");

  long rss_idle = ResidentKiB(server.Pid());
  // The first seconds start the worker threads and fill the allocator's
  // caches: the memory measured from here on is the steady state.
  Settings warm_up = settings;
  warm_up.seconds = 2;
  Load(server.Port(), "/qe/index.asp", warm_up);
  long rss_start = ResidentKiB(server.Pid());
  std::printf("memory idle %ld KiB, after a 2 s warm-up %ld KiB\n", rss_idle, rss_start);
  Tally page = Load(server.Port(), "/qe/index.asp", settings);
  long rss_page = ResidentKiB(server.Pid());
  Tally file = Load(server.Port(), "/qe/qe.css", settings);
  long rss_file = ResidentKiB(server.Pid());
  Report("start page /qe/index.asp", page, rss_start, rss_page);
  Report("static file /qe/qe.css", file, rss_page, rss_file);
  bool serving = server.Running();
  int status = server.Stop();
  std::printf("server %s, exit status %d\n", serving ? "still serving" : "GONE", status);
  return page.errors + file.errors == 0 && serving && status == 0 ? 0 : 1;
}
