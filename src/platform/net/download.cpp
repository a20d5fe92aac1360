#include "platform/net/download.h"

#include <curl/curl.h>

#include <cstdio>
#include <mutex>
#include <random>

#include "platform/text/ansi.h"

namespace net {
namespace {

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The file being written: a temporary name beside the target, taken away
// unless the transfer completes and it is renamed into place.
class PartFile {
 public:
  PartFile(const std::filesystem::path& target, uint64_t max_bytes) : target_(target), max_bytes_(max_bytes) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    part_ = target.parent_path() / ("." + target.filename().string() + ".part-" + std::to_string(random()));
    file_ = std::fopen(part_.c_str(), "wbx");
  }
  ~PartFile() {
    if (file_) std::fclose(file_);
    if (!kept_) {
      std::error_code ignored;
      std::filesystem::remove(part_, ignored);
    }
  }
  bool IsOpen() const { return file_ != nullptr; }

  static size_t Write(char* data, size_t size, size_t count, void* self) {
    auto* part = static_cast<PartFile*>(self);
    size_t bytes = size * count;
    part->written_ += bytes;
    if (part->written_ > part->max_bytes_) return 0;  // refuses the rest: the transfer fails
    return std::fwrite(data, 1, bytes, part->file_) == bytes ? bytes : 0;
  }

  bool KeepAsTarget() {
    bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed) return false;
    std::error_code error;
    std::filesystem::rename(part_, target_, error);
    kept_ = !error;
    return kept_;
  }

 private:
  std::filesystem::path target_, part_;
  uint64_t max_bytes_;
  uint64_t written_ = 0;
  std::FILE* file_ = nullptr;
  bool kept_ = false;
};

void ApplyLimits(CURL* c, const TransferLimits& limits) {
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count()));
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.total.count()));
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, limits.low_speed_bytes);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.stall.count()));
  curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.max_bytes));
}

// Each segment of a path escaped for a URL, the separators kept.
std::string EscapePath(CURL* c, std::string_view path) {
  std::string out;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    std::string_view segment = path.substr(start, end - start);
    if (char* escaped = curl_easy_escape(c, segment.data(), static_cast<int>(segment.size()))) {
      out += escaped;
      curl_free(escaped);
    }
    if (end < path.size()) out += '/';
    start = end + 1;
  }
  return out;
}

}  // namespace

struct FtpSession::Handle {
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl{curl_easy_init(), &curl_easy_cleanup};
  std::string user, password;
};

FtpSession::FtpSession(std::string host, uint16_t port, std::string user, std::string password,
                       TransferLimits limits)
    : handle_(std::make_unique<Handle>()), limits_(limits) {
  InitCurlOnce();
  CURL* c = handle_->curl.get();
  if (!c || host.empty()) {
    error_ = host.empty() ? "no server named" : "the transfer library could not start";
    return;
  }
  bool bare_v6 = host.find(':') != std::string::npos && host.front() != '[';
  base_ = "ftp://" + (bare_v6 ? "[" + host + "]" : host) + ":" + std::to_string(port ? port : 21);
  handle_->user = std::move(user);
  handle_->password = std::move(password);
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp");
  curl_easy_setopt(c, CURLOPT_USERNAME, handle_->user.c_str());
  curl_easy_setopt(c, CURLOPT_PASSWORD, handle_->password.c_str());
  curl_easy_setopt(c, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
  curl_easy_setopt(c, CURLOPT_TRANSFERTEXT, 0L);
  ApplyLimits(c, limits_);
  // Connecting and logging in, with nothing transferred; the connection is
  // kept for the files that follow.
  std::string root = base_ + "/";
  curl_easy_setopt(c, CURLOPT_URL, root.c_str());
  curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
  CURLcode result = curl_easy_perform(c);
  connected_ = result == CURLE_OK;
  if (!connected_) error_ = curl_easy_strerror(result);
}

FtpSession::~FtpSession() = default;

bool FtpSession::GetFile(std::string_view remote, const std::filesystem::path& local) {
  if (!connected_) return false;
  CURL* c = handle_->curl.get();
  PartFile part(local, limits_.max_bytes);
  if (!part.IsOpen()) return false;
  // "%2F" makes the path absolute on the server.
  std::string relative(remote.starts_with('/') ? remote.substr(1) : remote);
  std::string url = base_ + "/%2F" + EscapePath(c, relative);
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_NOBODY, 0L);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &PartFile::Write);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &part);
  CURLcode result = curl_easy_perform(c);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, nullptr);
  if (result != CURLE_OK) {
    error_ = curl_easy_strerror(result);
    return false;
  }
  return part.KeepAsTarget();
}

bool UrlDownloadToFile(vb::StringView url, const std::filesystem::path& local, const TransferLimits& limits) {
  InitCurlOnce();
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
  if (!curl) return false;
  PartFile part(local, limits.max_bytes);
  if (!part.IsOpen()) return false;
  CURL* c = curl.get();
  std::string address = text::EncodeAnsi(url);
  curl_easy_setopt(c, CURLOPT_URL, address.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(c, CURLOPT_FRESH_CONNECT, 1L);
  ApplyLimits(c, limits);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &PartFile::Write);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &part);
  if (curl_easy_perform(c) != CURLE_OK) return false;
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  return status == 200 && part.KeepAsTarget();
}

}  // namespace net
