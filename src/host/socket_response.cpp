#include "host/socket_response.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace host {
namespace {

constexpr int kWaitSliceMs = 100;  // how soon a blocked send sees the server stop
constexpr size_t kMaxPieces = 4;

std::string ChunkSize(size_t size) {
  char text[24];
  int n = std::snprintf(text, sizeof text, "%zx\r\n", size);
  return std::string(text, static_cast<size_t>(n));
}

}  // namespace

SocketResponse::SocketResponse(int socket, ExchangeSettings settings, const std::atomic<bool>& stopping)
    : socket_(socket), settings_(settings), stopping_(stopping) {
  close_ = !settings_.keep_alive;
}

bool SocketResponse::Send(std::initializer_list<std::string_view> pieces) {
  iovec vectors[kMaxPieces];
  size_t count = 0;
  for (std::string_view piece : pieces)
    if (!piece.empty() && count < kMaxPieces) vectors[count++] = {const_cast<char*>(piece.data()), piece.size()};
  iovec* next = vectors;
  auto waited = std::chrono::milliseconds(0);
  while (count > 0 && !dropped_) {
    if (stopping_) {
      dropped_ = true;
      break;
    }
    msghdr message{};
    message.msg_iov = next;
    message.msg_iovlen = count;
    ssize_t sent = ::sendmsg(socket_, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // The client reads slower than the page writes: wait while it makes
      // progress, up to the time-out between two steps.
      pollfd writable{socket_, POLLOUT, 0};
      if (::poll(&writable, 1, kWaitSliceMs) == 0) waited += std::chrono::milliseconds(kWaitSliceMs);
      if (waited >= settings_.send_timeout) dropped_ = true;
      continue;
    }
    if (sent <= 0) {
      dropped_ = true;
      break;
    }
    waited = std::chrono::milliseconds(0);
    size_t done = static_cast<size_t>(sent);
    while (count > 0 && done >= next->iov_len) {
      done -= next->iov_len;
      ++next;
      --count;
    }
    if (count > 0) {
      next->iov_base = static_cast<char*>(next->iov_base) + done;
      next->iov_len -= done;
    }
  }
  return !dropped_;
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
  std::string head;
  head.swap(pending_head_);
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
  Send({page.Text(framing_, length, close_, settings_.http11), body});
}

bool SocketResponse::IsClientConnected() const {
  if (dropped_) return false;
  pollfd peer{socket_, POLLRDHUP, 0};
  if (::poll(&peer, 1, 0) > 0 && (peer.revents & (POLLRDHUP | POLLHUP | POLLERR))) dropped_ = true;
  return !dropped_;
}

bool SocketResponse::Finish() {
  if (!pending_head_.empty()) SendBody({});
  if (framing_ == BodyFraming::kChunked && !settings_.head_only) Send({"0\r\n\r\n"});
  if (framing_ == BodyFraming::kLength && length_left_ > 0 && !settings_.head_only) close_ = true;
  return !dropped_ && !close_;
}

}  // namespace host
