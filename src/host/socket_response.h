#pragma once
// A page's response written to its connection as the page sends it, on the
// worker thread that runs the page: the head once, then each flushed piece,
// framed by the page's Content-Length, in chunks, or (HTTP/1.0) by the end of
// the connection. What the client does not take at once waits in the
// answer's outbox, and a file the page sends whole waits there as a range of
// the file: the page goes on without waiting, and once it ends the
// connection sends the rest at the client's pace. Only a page that gets more
// than `max_held` bytes ahead of its client waits for the client, as long as
// the client takes something within the send time-out.
//
// IsClientConnected turns false once the client left or took nothing for the
// send time-out; from then on, what the page writes is dropped. When the
// server's spool is full the answer fails: "503 Service Unavailable" if no
// byte of it went out yet, else the client gets what was queued and the
// connection closes.
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "host/http_answer.h"
#include "host/outbox.h"
#include "host/send_buffers.h"
#include "platform/asp/response_sink.h"

namespace host {

struct ExchangeSettings {
  bool head_only = false;  // HEAD: the head a GET would get, no body
  bool http11 = true;      // chunks are HTTP/1.1
  bool keep_alive = true;  // what the client asked for
  std::chrono::milliseconds send_timeout{30000};
  uint64_t max_held = 16 * 1024 * 1024;  // bytes of the answer held for the client before the page waits
};

class SocketResponse : public asp::ResponseSink {
 public:
  // `socket` is non-blocking, stays open and is written by nobody else until
  // the connection takes the outbox back. `stopping` turns true when the
  // server stops: writes are dropped then. `share` is the socket's share of
  // the send buffers, grown as the client takes bytes.
  SocketResponse(int socket, ExchangeSettings settings, const std::atomic<bool>& stopping, OutboxBudget& budget,
                 SendShare& share);

  void SendHead(const asp::ResponseHead& head) override;
  void SendBody(std::string_view bytes) override;
  void SendWhole(const asp::ResponseHead& head, std::string_view body) override;
  void SendFileRange(int descriptor, uint64_t offset, uint64_t length) override;
  bool IsClientConnected() const override;

  // The end of the page: the last chunk of a chunked body. True when the
  // connection can take the next request once the rest is sent (the body is
  // whole and framed).
  bool Finish();
  // What is still to be sent, for the connection to send.
  std::unique_ptr<Outbox> TakeOutbox();
  // Whether the client was given up (it left, or took nothing for the send
  // time-out) or the server stopped: nothing more goes to it.
  bool Dropped() const { return dropped_; }

 private:
  // Queued after what waits already, and sent as far as the client takes
  // it; false once the answer is dropped or cut off. `more_follows`: the
  // page goes on writing (it may have to wait for its client).
  bool Send(std::initializer_list<std::string_view> pieces, bool more_follows = true);
  // Sends what the socket takes now; with `may_wait`, past `max_held` it
  // waits for the client, and with `free_descriptor` until the answer may
  // take another descriptor (one it holds went, or the server has a second
  // one to spare): a connection whose page has ended holds two with its
  // socket, but for a few.
  bool Pump(bool may_wait = true, bool free_descriptor = false) const;
  bool SpoolFull();
  std::string TakeHead();

  const int socket_;
  const ExchangeSettings settings_;
  const std::atomic<bool>& stopping_;
  std::unique_ptr<Outbox> outbox_;
  SendShare& share_;
  BodyFraming framing_ = BodyFraming::kNone;
  bool close_ = false;
  std::string pending_head_;  // sent with the first body bytes
  uint64_t length_left_ = 0;  // kLength: what the page's length still allows
  bool cut_off_ = false;      // the spool was full: what is queued goes, then the connection closes
  mutable bool dropped_ = false;  // the client left or stalled: nothing more goes
  mutable bool sent_any_ = false;
  mutable std::chrono::steady_clock::time_point last_progress_;
};

}  // namespace host
