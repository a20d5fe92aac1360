#include "host/send_buffers.h"

#include <linux/sock_diag.h>
#include <sys/socket.h>

#include <algorithm>

namespace host {
namespace {

// The least send buffer the kernel gives a socket, whatever it asks for.
constexpr uint64_t kKernelLeast = 4608;

}  // namespace

void SendBufferTotal::Configure(uint64_t total, uint64_t most, uint64_t start, size_t connections) {
  total_ = total;
  most_ = std::max(most, kKernelLeast);
  connections_ = std::max<size_t>(connections, 1);
  // The starts of all connections at once take half the total at most.
  start_ = std::clamp<uint64_t>(total / (2 * connections_), kKernelLeast, std::max(start, kKernelLeast));
}

uint64_t SendBufferTotal::TakeRoom(uint64_t wanted) {
  const size_t sending = std::min(sending_.load(), connections_);
  // Half the total at most, as Configure means it: the kernel's least buffer
  // for every connection may be more than the whole total, and answers must
  // still grow then.
  const uint64_t kept = std::min<uint64_t>(start_ * (connections_ - sending), total_ / 2);
  uint64_t used = used_.load(), taken = 0;
  do {
    if (used + kept >= total_) return 0;
    taken = std::min(wanted, total_ - kept - used);
  } while (!used_.compare_exchange_weak(used, used + taken));
  return taken;
}

void SendShare::Begin() {
  if (!total_.Enabled()) return;
  if (!sending_) {
    sending_ = true;
    ++total_.sending_;
  }
  if (share_ != total_.start_) Resize(total_.start_);
  Hold(true);
}

void SendShare::Grow() {
  if (!sending_) return;
  const uint64_t wanted = std::min(EvenShare(), 2 * share_);
  if (wanted <= share_) return;
  const uint64_t granted = total_.TakeRoom(wanted - share_);
  if (granted == 0) return;
  held_ += granted;
  Resize(share_ + granted);
  Hold(true);
}

void SendShare::Step() {
  if (!sending_) return;
  if (const uint64_t even = std::max(EvenShare(), total_.start_); share_ > even) Resize(even);
  Hold(true);
}

void SendShare::End() {
  if (!sending_) return;
  sending_ = false;
  --total_.sending_;
  Hold(false);
}

void SendShare::Release() {
  if (sending_) {
    sending_ = false;
    --total_.sending_;
  }
  total_.used_ -= held_;
  held_ = 0;
}

uint64_t SendShare::EvenShare() const {
  return std::min(total_.most_, total_.total_ / std::max<size_t>(total_.sending_.load(), 1));
}

void SendShare::Resize(uint64_t share) {
  int asked = static_cast<int>(std::min<uint64_t>(share / 2, INT32_MAX));
  ::setsockopt(socket_, SOL_SOCKET, SO_SNDBUF, &asked, sizeof asked);
  int size = 0;
  socklen_t length = sizeof size;
  share_ = ::getsockopt(socket_, SOL_SOCKET, SO_SNDBUF, &size, &length) == 0 ? static_cast<uint64_t>(size) : share;
}

void SendShare::Hold(bool sending) {
  const uint64_t queued = Queued();
  const uint64_t hold = sending ? std::max(share_, queued) : queued;
  if (hold > held_) total_.used_ += hold - held_;
  else total_.used_ -= held_ - hold;
  held_ = hold;
}

uint64_t SendShare::Queued() const {
  uint32_t memory[SK_MEMINFO_VARS] = {};
  socklen_t length = sizeof memory;
  if (::getsockopt(socket_, SOL_SOCKET, SO_MEMINFO, memory, &length) != 0) return 0;
  return memory[SK_MEMINFO_WMEM_QUEUED];
}

}  // namespace host
