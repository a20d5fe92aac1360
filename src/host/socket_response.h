#pragma once
// A page's response written to its connection as the page sends it, on the
// worker thread that runs the page: the head once, then each flushed piece,
// framed by the page's Content-Length, in chunks, or (HTTP/1.0) by the end of
// the connection. A client that stops reading holds the page for at most the
// send time-out: after that, as after the client left, IsClientConnected is
// false and what the page writes is dropped.
#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "host/http_answer.h"
#include "platform/asp/response_sink.h"

namespace host {

struct ExchangeSettings {
  bool head_only = false;  // HEAD: the head a GET would get, no body
  bool http11 = true;      // chunks are HTTP/1.1
  bool keep_alive = true;  // what the client asked for
  std::chrono::milliseconds send_timeout{30000};
};

class SocketResponse : public asp::ResponseSink {
 public:
  // `socket` stays open and is written by nobody else until Finish.
  // `stopping` turns true when the server stops: writes are dropped then.
  SocketResponse(int socket, ExchangeSettings settings, const std::atomic<bool>& stopping);

  void SendHead(const asp::ResponseHead& head) override;
  void SendBody(std::string_view bytes) override;
  void SendWhole(const asp::ResponseHead& head, std::string_view body) override;
  bool IsClientConnected() const override;

  // The end of the page: the last chunk of a chunked body. True when the
  // connection can take the next request (the body was whole and framed).
  bool Finish();

 private:
  // Everything or nothing more: false once the client is gone or too slow.
  bool Send(std::initializer_list<std::string_view> pieces);

  const int socket_;
  const ExchangeSettings settings_;
  const std::atomic<bool>& stopping_;
  BodyFraming framing_ = BodyFraming::kNone;
  bool close_ = false;
  std::string pending_head_;  // sent with the first body bytes
  uint64_t length_left_ = 0;  // kLength: what the page's length still allows
  mutable bool dropped_ = false;
};

}  // namespace host
