#include "host/guarded_http_server.h"

#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <string_view>

#include "host/http_exchange.h"

namespace host {
namespace {

constexpr int kPollSliceMs = 100;  // how soon a waiting connection sees the server stop
constexpr size_t kMaxDrainBytes = 1024 * 1024;
constexpr int kDrainMs = 1000;

// The socket stream of one request, counting what it reads and writes.
class GuardedStream : public httplib::Stream {
 public:
  GuardedStream(httplib::Stream& inner, std::chrono::steady_clock::time_point head_deadline)
      : inner_(inner), head_deadline_(head_deadline) {}

  bool is_readable() const override { return inner_.is_readable(); }
  bool is_writable() const override { return inner_.is_writable(); }
  ssize_t read(char* ptr, size_t size) override {
    if (!head_read_) {
      if (head_bytes_ >= GuardedHttpServer::kMaxHeadBytes) cut_off_ = 431;
      else if (std::chrono::steady_clock::now() >= head_deadline_) cut_off_ = 408;
      if (cut_off_) return -1;
      size = std::min(size, GuardedHttpServer::kMaxHeadBytes - head_bytes_);
    }
    ssize_t n = inner_.read(ptr, size);
    if (!head_read_ && n > 0) head_bytes_ += static_cast<size_t>(n);
    return n;
  }
  ssize_t write(const char* ptr, size_t size) override {
    ssize_t n = inner_.write(ptr, size);
    if (n > 0) written_ = true;
    return n;
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override { inner_.get_remote_ip_and_port(ip, port); }
  void get_local_ip_and_port(std::string& ip, int& port) const override { inner_.get_local_ip_and_port(ip, port); }
  socket_t socket() const override { return inner_.socket(); }

  bool head_read_ = false;
  int cut_off_ = 0;
  bool close_ = false;
  bool written_ = false;

 private:
  httplib::Stream& inner_;
  const std::chrono::steady_clock::time_point head_deadline_;
  size_t head_bytes_ = 0;
};

thread_local GuardedStream* g_stream = nullptr;

struct CurrentStream {
  explicit CurrentStream(GuardedStream& stream) { g_stream = &stream; }
  ~CurrentStream() { g_stream = nullptr; }
};

// A head cut off before httplib had a request line to answer: the answer
// written here.
void AnswerCutOff(GuardedStream& stream) {
  std::string status = std::to_string(stream.cut_off_) + " " + std::string(ReasonPhrase(stream.cut_off_));
  std::string answer = "HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: " +
                       std::to_string(status.size() + 1) + "\r\n\r\n" + status + "\n";
  stream.write(answer.data(), answer.size());
}

// Closing with unread bytes makes the peer's system reset the connection and
// drop the answer it has not read yet; reading a little more first lets the
// answer arrive.
void DrainBeforeClose(socket_t sock) {
  ::shutdown(sock, SHUT_WR);
  char buffer[16 * 1024];
  size_t drained = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kDrainMs);
  while (drained < kMaxDrainBytes) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd waiting{sock, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&waiting, 1, static_cast<int>(left.count())) <= 0) return;
    ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
    if (n <= 0) return;
    drained += static_cast<size_t>(n);
  }
}

}  // namespace

void GuardedHttpServer::HeadRead() {
  if (g_stream) g_stream->head_read_ = true;
}

int GuardedHttpServer::HeadCutOff() { return g_stream ? g_stream->cut_off_ : 0; }

void GuardedHttpServer::CloseAfterAnswer(httplib::Response& response) {
  response.set_header("Connection", "close");
  if (g_stream) g_stream->close_ = true;
}

bool GuardedHttpServer::WaitForRequest(socket_t sock) const {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(keep_alive_timeout_sec_);
  while (svr_sock_ != INVALID_SOCKET && std::chrono::steady_clock::now() < deadline) {
    pollfd waiting{sock, POLLIN, 0};
    int ready = ::poll(&waiting, 1, kPollSliceMs);
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
  return false;
}

// As httplib serves a connection (up to keep_alive_max_count_ requests, each
// on a fresh socket stream), with each stream guarded.
bool GuardedHttpServer::process_and_close_socket(socket_t sock) {
  bool served = false;
  bool drain = false;
  for (size_t left = keep_alive_max_count_; left > 0 && WaitForRequest(sock); --left) {
    bool close_connection = left == 1;
    bool connection_closed = false;
    served = httplib::detail::process_client_socket(
        sock, read_timeout_sec_, read_timeout_usec_, write_timeout_sec_, write_timeout_usec_,
        [&](httplib::Stream& socket_stream) {
          GuardedStream stream(socket_stream, std::chrono::steady_clock::now() + head_timeout_);
          CurrentStream current(stream);
          bool ok = process_request(stream, close_connection, connection_closed, nullptr);
          if (stream.cut_off_ && !stream.written_) AnswerCutOff(stream);
          drain = stream.close_ || stream.cut_off_;
          return ok && !drain;
        });
    if (!served || connection_closed) break;
  }
  if (drain) DrainBeforeClose(sock);
  ::shutdown(sock, SHUT_RDWR);
  httplib::detail::close_socket(sock);
  return served;
}

}  // namespace host
