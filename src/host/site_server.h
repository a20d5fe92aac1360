#pragma once
// The web server of one site: HTTP/1.1 over Boost.Beast and Asio. A few event
// loops hold the connections (reading heads and bodies, sending files and
// refusals); a fixed pool of workers runs the pages, each page writing its
// response to its connection as it flushes. At the connection limit a
// waiting connection makes room for a new one, else it is refused with 503.
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "host/pages.h"
#include "host/server_limits.h"

namespace host {

class SiteServer {
 public:
  // The site is already mounted as drive C: (MountSite); `site_folder` is the
  // same folder, for the checks on what the site's files may be sent.
  SiteServer(std::filesystem::path site_folder, Pages pages, ServerLimits limits = {});
  ~SiteServer();
  SiteServer(const SiteServer&) = delete;
  SiteServer& operator=(const SiteServer&) = delete;

  // Binds to the address; port 0 takes a free port. The port bound, or -1
  // with the reason in `why` ("address in use"): a port another server
  // listens on is never shared.
  int Bind(const std::string& host, int port, std::string* why = nullptr);
  // Serves until Stop, or until a graceful stop has drained. False when it
  // could not serve at all.
  bool Run();
  // From any thread, a signal handler's thread included: stops at once;
  // the answers under way are cut off.
  void Stop();
  // From any thread: stops taking connections, closes those that wait for a
  // request, lets the requests under way end (their answers close their
  // connections), then stops; at the latest after `drain`.
  void StopGracefully(std::chrono::milliseconds drain);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace host
