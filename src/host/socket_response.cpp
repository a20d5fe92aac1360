#include "host/socket_response.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace host {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWaitSliceMs = 100;  // how soon a page waiting on its client sees the server stop
constexpr size_t kMaxPieces = 4;
// What a worker sends of the queue at one go; a client that takes more
// gets the rest from the connection's event loop.
constexpr uint64_t kWorkerSendStep = 8 * 1024 * 1024;

std::string ChunkSize(size_t size) {
  char text[24];
  int n = std::snprintf(text, sizeof text, "%zx\r\n", size);
  return std::string(text, static_cast<size_t>(n));
}

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

}  // namespace

SocketResponse::SocketResponse(int socket, ExchangeSettings settings, const std::atomic<bool>& stopping,
                               OutboxBudget& budget, SendShare& share)
    : socket_(socket), settings_(settings), stopping_(stopping), outbox_(std::make_unique<Outbox>(budget)),
      share_(share) {
  close_ = !settings_.keep_alive;
}

bool SocketResponse::Send(std::initializer_list<std::string_view> pieces, bool more_follows) {
  if (dropped_ || cut_off_) return false;
  size_t taken = 0;
  if (outbox_->Empty()) {
    // Nothing waits: straight to the socket, and only the rest is queued.
    iovec vectors[kMaxPieces];
    size_t count = 0;
    for (std::string_view piece : pieces)
      if (!piece.empty() && count < kMaxPieces) vectors[count++] = {const_cast<char*>(piece.data()), piece.size()};
    if (count == 0) return true;
    msghdr message{};
    message.msg_iov = vectors;
    message.msg_iovlen = count;
    ssize_t sent = ::sendmsg(socket_, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0 && !WouldBlock(errno)) {
      dropped_ = true;
      return false;
    }
    last_progress_ = Clock::now();
    if (sent > 0) {
      sent_any_ = true;
      taken = static_cast<size_t>(sent);
    }
  }
  size_t rest = 0;
  for (std::string_view piece : pieces) rest += piece.size();
  rest -= taken;
  // A file being sent and a spool would be two descriptors.
  if (outbox_->WouldSpool(rest) && !outbox_->MayTakeDescriptor() && !Pump(true, true)) return false;
  for (std::string_view piece : pieces) {
    size_t skipped = std::min(taken, piece.size());
    taken -= skipped;
    if (!outbox_->Append(piece.substr(skipped))) return SpoolFull();
  }
  return Pump(more_follows);
}

bool SocketResponse::Pump(bool may_wait, bool free_descriptor) const {
  for (;;) {
    if (stopping_) dropped_ = true;
    if (dropped_) break;
    if (outbox_->Empty()) return true;
    Outbox::Sent sent = outbox_->SendSome(socket_, kWorkerSendStep);
    if (sent.bytes > 0) {
      sent_any_ = true;
      last_progress_ = Clock::now();
    }
    if (sent.error != 0 && !WouldBlock(sent.error)) dropped_ = true;
    else if (!may_wait || (outbox_->HeldBytes() <= settings_.max_held && (!free_descriptor || outbox_->MayTakeDescriptor())))
      return true;
    else if (Clock::now() - last_progress_ >= settings_.send_timeout) dropped_ = true;
    if (dropped_) break;
    // Far ahead of its client: the page waits while the client takes bytes.
    pollfd writable{socket_, POLLOUT, 0};
    if (::poll(&writable, 1, kWaitSliceMs) > 0 && (writable.revents & POLLOUT)) share_.Grow();
  }
  outbox_->Clear();
  return false;
}

bool SocketResponse::SpoolFull() {
  std::fprintf(stderr, "qe serve: an answer failed: the server's spool for answers is full\n");
  cut_off_ = true;
  close_ = true;
  if (!sent_any_) {
    outbox_->Clear();
    outbox_->Append(StatusAnswer(503, true, settings_.head_only));
  }
  return false;
}

std::string SocketResponse::TakeHead() {
  std::string head;
  head.swap(pending_head_);
  return head;
}

void SocketResponse::SendHead(const asp::ResponseHead& head) {
  PageHead page(head);
  if (!page.BodyAllowed()) {
    framing_ = BodyFraming::kNone;
  } else if (page.page_length) {
    framing_ = BodyFraming::kLength;
    length_left_ = *page.page_length;
  } else if (settings_.http11) {
    framing_ = BodyFraming::kChunked;
  } else {
    framing_ = BodyFraming::kToClose;
    close_ = true;
  }
  pending_head_ = page.Text(framing_, length_left_, close_, settings_.http11);
}

void SocketResponse::SendBody(std::string_view bytes) {
  std::string head = TakeHead();
  if (settings_.head_only || framing_ == BodyFraming::kNone) {
    Send({head});
    return;
  }
  if (framing_ == BodyFraming::kLength) {
    bytes = bytes.substr(0, std::min<uint64_t>(bytes.size(), length_left_));
    length_left_ -= bytes.size();
  }
  if (framing_ == BodyFraming::kChunked && !bytes.empty()) {
    Send({head, ChunkSize(bytes.size()), bytes, "\r\n"});
    return;
  }
  Send({head, bytes});
}

void SocketResponse::SendWhole(const asp::ResponseHead& head, std::string_view body) {
  PageHead page(head);
  uint64_t length = 0;
  framing_ = BodyFraming::kNone;
  if (page.BodyAllowed()) {
    framing_ = BodyFraming::kLength;
    length = page.page_length.value_or(body.size());
    body = body.substr(0, std::min<uint64_t>(length, body.size()));
  }
  if (settings_.head_only || framing_ == BodyFraming::kNone) body = {};
  else if (length > body.size()) close_ = true;  // a page that ends short
  // The page has ended: nothing is gained by waiting for its client.
  Send({page.Text(framing_, length, close_, settings_.http11), body}, false);
}

void SocketResponse::SendFileRange(int descriptor, uint64_t offset, uint64_t length) {
  if (settings_.head_only || framing_ == BodyFraming::kNone) return SendBody({});
  if (framing_ == BodyFraming::kLength) length = std::min(length, length_left_);
  if (length == 0 || dropped_ || cut_off_) return SendBody({});
  if (!outbox_->MayTakeDescriptor() && !Pump(true, true)) return;
  int copy = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return asp::ResponseSink::SendFileRange(descriptor, offset, length);  // out of descriptors
  if (framing_ == BodyFraming::kLength) length_left_ -= length;
  std::string head = TakeHead();
  if (!Send({head, framing_ == BodyFraming::kChunked ? ChunkSize(length) : std::string()})) {
    ::close(copy);
    return;
  }
  if (outbox_->Empty()) last_progress_ = Clock::now();
  outbox_->AppendFile(copy, offset, length);
  if (framing_ == BodyFraming::kChunked) outbox_->Append("\r\n");
  Pump();
}

bool SocketResponse::IsClientConnected() const {
  if (dropped_ || cut_off_) return false;
  pollfd peer{socket_, POLLRDHUP, 0};
  if (::poll(&peer, 1, 0) > 0 && (peer.revents & (POLLRDHUP | POLLHUP | POLLERR))) {
    dropped_ = true;
    outbox_->Clear();
    return false;
  }
  if (Pump() && !outbox_->Empty() && Clock::now() - last_progress_ >= settings_.send_timeout) {
    dropped_ = true;
    outbox_->Clear();
  }
  return !dropped_;
}

bool SocketResponse::Finish() {
  if (!pending_head_.empty()) SendBody({});
  if (framing_ == BodyFraming::kChunked && !settings_.head_only) Send({"0\r\n\r\n"}, false);
  if (framing_ == BodyFraming::kLength && length_left_ > 0 && !settings_.head_only) close_ = true;
  return !dropped_ && !cut_off_ && !close_;
}

std::unique_ptr<Outbox> SocketResponse::TakeOutbox() {
  if (dropped_) outbox_->Clear();
  return std::move(outbox_);
}

}  // namespace host
