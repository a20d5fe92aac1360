#pragma once
// The web server of one site: HTTP/1.1 over cpp-httplib, each request on one
// worker thread from start to end, many at once. Pages run through the ASP
// objects; the site's other files are sent as they are.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "host/pages.h"
#include "platform/asp/request_info.h"
#include "platform/asp/session.h"

namespace host {

struct ServerLimits {
  size_t threads = 64;  // connections served at once; more wait for a thread
  uint64_t max_body_bytes = asp::kDefaultMaxBodyBytes;  // larger bodies get 413
  std::chrono::milliseconds head_timeout{30000};        // slower heads get 408
  size_t max_sessions = asp::MemorySessionStore::kDefaultMaxSessions;  // live at once
};

class SiteServer {
 public:
  // The site is already mounted as drive C: (MountSite); `site_folder` is the
  // same folder, for the checks on what the site's files may be sent.
  SiteServer(std::filesystem::path site_folder, Pages pages, ServerLimits limits = {});
  ~SiteServer();
  SiteServer(const SiteServer&) = delete;
  SiteServer& operator=(const SiteServer&) = delete;

  // Binds to the address; port 0 takes a free port. The port bound, or -1.
  int Bind(const std::string& host, int port);
  // Serves until Stop. False when it could not serve at all.
  bool Run();
  // From any thread, a signal handler's thread included.
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace host
