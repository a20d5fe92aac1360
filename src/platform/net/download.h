#pragma once
// Fetching a file into the local file system: WinINet's FTP session
// (InternetOpen, InternetConnect, FtpGetFile) and urlmon's URLDownloadToFile.
// A file is written under a temporary name beside its target and renamed
// into place only when the transfer is complete, so a target is either the
// whole file or what it was before.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/vb/string.h"

namespace net {

struct TransferLimits {
  std::chrono::milliseconds connect{15'000};
  std::chrono::milliseconds total{300'000};
  // Slower than this many bytes a second for `stall` ends a transfer.
  long low_speed_bytes = 1;
  std::chrono::seconds stall{30};
  uint64_t max_bytes = uint64_t{256} << 20;  // a larger file is refused
};

// A logged-in session with an FTP server (InternetConnect with the FTP
// service). Port 0 is the service's own, 21.
class FtpSession {
 public:
  FtpSession(std::string host, uint16_t port, std::string user, std::string password,
             TransferLimits limits = {});
  ~FtpSession();
  FtpSession(const FtpSession&) = delete;
  FtpSession& operator=(const FtpSession&) = delete;

  // Whether the server answered and took the login; what went wrong if not.
  bool Connected() const { return connected_; }
  const std::string& Error() const { return error_; }

  // FtpGetFile in binary mode, replacing the local file: `remote` is an
  // absolute path on the server ("/DIR/name"). True when the whole file came.
  bool GetFile(std::string_view remote, const std::filesystem::path& local);

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
  std::string base_;  // "ftp://host:port"
  TransferLimits limits_;
  bool connected_ = false;
  std::string error_;
};

// URLDownloadToFile: an http or https address (redirections followed, only
// to those) into the local file, replacing it. True only for a whole body
// answered with status 200.
bool UrlDownloadToFile(vb::StringView url, const std::filesystem::path& local, const TransferLimits& limits = {});

}  // namespace net
