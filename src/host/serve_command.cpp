#include "host/serve_command.h"

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "host/default_site.h"
#include "host/listen_address.h"
#include "host/site_drive.h"
#include "host/site_server.h"
#include "platform/vb/error.h"

namespace host {
namespace {

constexpr char kUsage[] =
    "usage: qe serve [--site DIR] [--listen HOST:PORT] [--threads N] [--max-sessions N]\n"
    "Serves the site in DIR (else the default site in the user's data folder, made on\n"
    "first run) over HTTP on HOST:PORT (127.0.0.1:8080; port 0 takes a free port).\n"
    "N threads serve connections at once (64). At most --max-sessions sessions live at\n"
    "once (100000): one more pushes out the session nearest its time-out.\n"
    "Prints the address once it listens; stops on SIGINT or SIGTERM.\n";

struct ServeOptions {
  std::filesystem::path site;
  ListenAddress listen{"127.0.0.1", 8080};
  ServerLimits limits;
};

// 0 when the options are read, else the exit status.
int ReadOptions(int argc, char** argv, ServeOptions& options) {
  for (int i = 0; i < argc; ++i) {
    std::string option = argv[i];
    if (option == "--help") {
      std::fputs(kUsage, stdout);
      return -1;
    }
    if (i + 1 >= argc || (option != "--site" && option != "--listen" && option != "--threads" &&
                          option != "--max-sessions")) {
      std::fprintf(stderr, "qe serve: %s %s\n%s", option.c_str(), i + 1 >= argc ? "needs a value" : "is unknown", kUsage);
      return 2;
    }
    std::string value = argv[++i];
    if (option == "--site") {
      options.site = value;
    } else if (option == "--listen") {
      auto address = ParseListenAddress(value);
      if (!address) {
        std::fprintf(stderr, "qe serve: --listen takes HOST:PORT, not %s\n", value.c_str());
        return 2;
      }
      options.listen = *address;
    } else {
      const bool threads = option == "--threads";
      const long highest = threads ? 4096 : 100000000;
      long number = std::atol(value.c_str());
      if (number < 1 || number > highest || value.find_first_not_of("0123456789") != std::string::npos) {
        std::fprintf(stderr, "qe serve: %s takes 1 to %ld, not %s\n", option.c_str(), highest, value.c_str());
        return 2;
      }
      (threads ? options.limits.threads : options.limits.max_sessions) = static_cast<size_t>(number);
    }
  }
  return 0;
}

int Serve(const ServeOptions& options, const sigset_t& stop_signals) {
  std::filesystem::path site = options.site;
  if (site.empty()) {
    site = DefaultSiteFolder();
    MakeDefaultSite(site);
  }
  site = std::filesystem::absolute(site);
  MountSite(site);
  SiteServer server(site, SitePages(), options.limits);
  int port = server.Bind(options.listen.host, options.listen.port);
  if (port < 0) {
    std::fprintf(stderr, "qe serve: cannot listen on %s:%d\n", options.listen.host.c_str(), options.listen.port);
    return 1;
  }
  std::printf("qe serve: %s (site %s)\n", AddressUrl(options.listen.host, port).c_str(), site.c_str());
  std::fflush(stdout);

  std::thread stopper([&] {
    int signal = 0;
    sigwait(&stop_signals, &signal);
    server.Stop();
  });
  bool served = server.Run();
  pthread_kill(stopper.native_handle(), SIGTERM);  // wakes the stopper when the server ended by itself
  stopper.join();
  return served ? 0 : 1;
}

}  // namespace

int RunServe(int argc, char** argv) {
  ServeOptions options;
  if (int status = ReadOptions(argc, argv, options)) return status < 0 ? 0 : status;

  // Every thread started from here on leaves these signals to the stopper.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  signal(SIGPIPE, SIG_IGN);  // a browser that went away is no reason to stop

  try {
    return Serve(options, stop_signals);
  } catch (const vb::Error& e) {
    std::fprintf(stderr, "qe serve: error %d: %s\n", e.Number(), vb::ToUtf8(e.Description()).c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qe serve: %s\n", e.what());
  }
  return 1;
}

}  // namespace host
