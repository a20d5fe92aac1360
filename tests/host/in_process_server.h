#pragma once
// The site's server in this process with pages of the test's own, on a free
// loopback port, serving from a thread of its own until the end of the test.
#include <memory>
#include <stdexcept>
#include <thread>

#include "host/site_drive.h"
#include "host/site_server.h"
#include "support/http_client.h"

namespace host_test {

class InProcessServer {
 public:
  InProcessServer(const std::filesystem::path& site_folder, host::Pages pages, host::ServerLimits limits = {}) {
    host::MountSite(site_folder);
    server_ = std::make_unique<host::SiteServer>(site_folder, std::move(pages), limits);
    port_ = server_->Bind("127.0.0.1", 0);
    if (port_ <= 0) throw std::runtime_error("cannot listen on the loopback interface");
    runner_ = std::thread([this] { server_->Run(); });
  }
  ~InProcessServer() {
    server_->Stop();
    runner_.join();
  }
  InProcessServer(const InProcessServer&) = delete;
  InProcessServer& operator=(const InProcessServer&) = delete;

  int Port() const { return port_; }
  qe_test::HttpClient Client() const { return qe_test::HttpClient(port_, std::chrono::seconds(30)); }

 private:
  std::unique_ptr<host::SiteServer> server_;
  std::thread runner_;
  int port_ = 0;
};

}  // namespace host_test
