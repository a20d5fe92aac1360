#include "host/serve_command.h"

#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/default_site.h"
#include "host/host_names.h"
#include "host/listen_address.h"
#include "host/site_drive.h"
#include "host/site_server.h"
#include "platform/vb/error.h"

namespace host {
namespace {

constexpr char kUsage[] =
    "usage: qe serve [--site DIR] [--listen HOST:PORT] [--host NAME]... [--threads N]\n"
    "                [--max-connections N] [--max-per-client N] [--max-sessions N]\n"
    "                [--max-header-fields N] [--max-body-mb N] [--max-form-bytes N]\n"
    "                [--max-form-fields N] [--body-disk-mb N] [--body-disk-client-mb N]\n"
    "                [--send-buffers-mb N] [--editor-room-mb N] [--drain-seconds N]\n"
    "Serves the site in DIR (an existing folder; else the default site in the user's data\n"
    "folder, made on first run) over HTTP on HOST:PORT (127.0.0.1:8080; \":PORT\" listens on\n"
    "every interface; port 0 takes a free port). It answers the Host names given by --host\n"
    "(by default the listen address, localhost and this machine's addresses and name); any\n"
    "other gets 421. N threads run pages at once (twice the cores, 8 to 64). At most\n"
    "--max-connections connections are open at once (10000, and half of the descriptors\n"
    "the system allows beyond 256): past it an address holding more than the new one's\n"
    "(and more than 8) gives up one of its own, else a connection that waits (for a request,\n"
    "behind the least pace, or for its client to take its answer) is closed to make room,\n"
    "the one waiting longest of the address holding the most; else the new one gets 503. At most\n"
    "--max-per-client come from one address (64; IPv6: one /64): past it, 503. A request\n"
    "head has at most --max-header-fields fields (100): past them, 431. A body is at most\n"
    "--max-body-mb MiB (256): past it, 413, or an upload's page answers it. A URL-encoded\n"
    "form is read up to --max-form-bytes (2097152) and --max-form-fields (10000): past\n"
    "them, 413. Request bodies held in files take at most --body-disk-mb MiB in all\n"
    "(1024), those of one client address at most --body-disk-client-mb (a quarter of it):\n"
    "past it, 503. The kernel's send buffers of the server's sockets take\n"
    "--send-buffers-mb MiB in all (256), each socket at most 512 KiB of it, growing as its\n"
    "client takes bytes. The rich-text editor's uploads share --editor-room-mb MiB (1024).\n"
    "At most --max-sessions sessions live at once (100000): one more pushes out a session\n"
    "without values, else one not logged in, else the one idle longest, an administrator's\n"
    "last.\n"
    "A host name binds the first of its addresses that can be bound.\n"
    "Prints the address once it listens. On SIGINT or SIGTERM it stops taking connections,\n"
    "lets the requests under way end for up to --drain-seconds (10; 0 to 3600), then stops;\n"
    "a second signal stops it at once.\n";

struct ServeOptions {
  std::optional<std::filesystem::path> site;  // none: the default site
  ListenAddress listen{"127.0.0.1", 8080};
  std::vector<std::string> hosts;  // --host: none, the defaults
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
    static const std::vector<std::string> kNumbers = {
        "--threads",       "--max-connections", "--max-per-client", "--max-sessions",        "--max-header-fields",
        "--max-body-mb",   "--max-form-bytes",  "--max-form-fields", "--body-disk-mb",       "--body-disk-client-mb",
        "--send-buffers-mb", "--editor-room-mb", "--drain-seconds"};
    const bool number_option = std::find(kNumbers.begin(), kNumbers.end(), option) != kNumbers.end();
    if (i + 1 >= argc || (option != "--site" && option != "--listen" && option != "--host" && !number_option)) {
      std::fprintf(stderr, "qe serve: %s %s\n%s", option.c_str(), i + 1 >= argc ? "needs a value" : "is unknown", kUsage);
      return 2;
    }
    std::string value = argv[++i];
    if (option == "--site") {
      options.site = value;
    } else if (option == "--host") {
      if (value.empty() || HostNameOf(value).empty()) {
        std::fprintf(stderr, "qe serve: --host takes a host name\n");
        return 2;
      }
      options.hosts.push_back(HostNameOf(value));
    } else if (option == "--listen") {
      auto address = ParseListenAddress(value);
      if (!address) {
        std::fprintf(stderr, "qe serve: --listen takes HOST:PORT, not %s\n", value.c_str());
        return 2;
      }
      options.listen = *address;
    } else {
      const bool drain = option == "--drain-seconds";
      const long lowest = drain ? 0 : 1;
      const long highest = option == "--threads" ? 4096 : drain ? 3600 : option.ends_with("-mb") ? 1000000 : 100000000;
      long number = std::atol(value.c_str());
      if (value.empty() || number < lowest || number > highest ||
          value.find_first_not_of("0123456789") != std::string::npos) {
        std::fprintf(stderr, "qe serve: %s takes %ld to %ld, not %s\n", option.c_str(), lowest, highest, value.c_str());
        return 2;
      }
      if (drain) {
        options.limits.drain_timeout = std::chrono::seconds(number);
        continue;
      }
      const auto n = static_cast<uint64_t>(number);
      if (option == "--threads") options.limits.threads = n;
      else if (option == "--max-connections") options.limits.max_connections = n;
      else if (option == "--max-per-client") options.limits.max_connections_per_client = n;
      else if (option == "--max-sessions") options.limits.max_sessions = n;
      else if (option == "--max-form-bytes") options.limits.max_form_bytes = n;
      else if (option == "--max-form-fields") options.limits.max_form_fields = n;
      else if (option == "--max-header-fields") options.limits.max_header_fields = n;
      else if (option == "--max-body-mb") options.limits.max_body_bytes = n << 20;
      else if (option == "--body-disk-client-mb") options.limits.body_disk_per_client = n << 20;
      else if (option == "--send-buffers-mb") options.limits.send_buffers_total = n << 20;
      else if (option == "--editor-room-mb") options.limits.editor_room_mb = n;
      else options.limits.body_disk_budget = n << 20;
    }
  }
  return 0;
}

// As many descriptors as the system allows this process.
size_t ConnectionsTheSystemAllows(size_t wanted) {
  rlimit files{};
  if (::getrlimit(RLIMIT_NOFILE, &files) != 0) return wanted;
  if (files.rlim_cur < files.rlim_max) {
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);
    ::getrlimit(RLIMIT_NOFILE, &files);
  }
  if (files.rlim_cur == RLIM_INFINITY) return wanted;
  return ConnectionsForDescriptors(files.rlim_cur, wanted);
}

int Serve(ServeOptions options, const sigset_t& stop_signals) {
  std::filesystem::path site = options.site.value_or(std::filesystem::path());
  if (!options.site) {
    site = DefaultSiteFolder();
    MakeDefaultSite(site);
  } else if (site.empty() || !std::filesystem::is_directory(site)) {  // "": an unset shell variable
    // A typing slip would otherwise start a new, empty site.
    std::fprintf(stderr, "qe serve: the site folder %s does not exist\n", site.c_str());
    return 1;
  }
  site = std::filesystem::absolute(site);
  MountSite(site);
  options.limits.max_connections = ConnectionsTheSystemAllows(options.limits.max_connections);
  options.limits.host_names = options.hosts.empty() ? DefaultHostNames(options.listen.host) : options.hosts;
  SiteServer server(site, SitePages(), options.limits);
  std::string why;
  int port = server.Bind(options.listen.host, options.listen.port, &why);
  if (port < 0) {
    std::fprintf(stderr, "qe serve: cannot listen on %s: %s\n",
                 AddressUrl(options.listen.host, options.listen.port).c_str(), why.c_str());
    return 1;
  }
  std::printf("qe serve: %s (site %s)\n", AddressUrl(options.listen.host, port).c_str(), site.c_str());
  std::fflush(stdout);

  // The first signal drains the server, a second one stops it at once.
  std::atomic<bool> served_all{false};
  std::thread stopper([&] {
    for (int signals = 0;; ++signals) {
      int signal = 0;
      sigwait(&stop_signals, &signal);
      if (served_all) return;
      if (signals == 0) server.StopGracefully(options.limits.drain_timeout);
      else server.Stop();
    }
  });
  bool served = server.Run();
  served_all = true;
  pthread_kill(stopper.native_handle(), SIGTERM);  // wakes the stopper, which ends
  stopper.join();
  return served ? 0 : 1;
}

}  // namespace

size_t ConnectionsForDescriptors(uint64_t descriptors, size_t wanted) {
  constexpr uint64_t kKeptForPages = 256;
  constexpr uint64_t kPerConnection = 2;
  uint64_t allowed = descriptors > 2 * kKeptForPages ? descriptors - kKeptForPages : descriptors / 2;
  return std::min<size_t>(wanted, std::max<size_t>(static_cast<size_t>(allowed / kPerConnection), 1));
}

int RunServe(int argc, char** argv) {
  ServeOptions options;
  if (int status = ReadOptions(argc, argv, options)) return status < 0 ? 0 : status;

  // Every thread started from here on leaves these signals to the stopper.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

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
