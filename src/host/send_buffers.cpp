#include "host/send_buffers.h"

#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>

namespace host {
namespace {

// The least send buffer the kernel gives a socket, whatever it asks for.
constexpr uint64_t kKernelLeast = 4608;
// A client that took nothing for this long has stopped taking bytes: its
// share comes down to what the kernel holds for it, which costs one that
// only paused the doubling back.
constexpr auto kStopped = std::chrono::milliseconds(250);
// How often the shares are looked over at most, when room is short.
constexpr auto kReclaimEvery = std::chrono::milliseconds(100);

}  // namespace

void SendBufferTotal::Configure(uint64_t total, uint64_t most, uint64_t start, size_t connections) {
  total_ = total;
  most_ = std::max(most, kKernelLeast);
  connections = std::max<size_t>(connections, 1);
  // The starts of all connections at once take half the total at most.
  start_ = std::clamp<uint64_t>(total / (2 * connections), kKernelLeast, std::max(start, kKernelLeast));
}

uint64_t SendBufferTotal::Kept() const {
  const size_t open = open_.load(), sending = sending_.load();
  // Half the total at most, as Configure means it: the kernel's least buffer
  // for every connection may be more than the whole total, and answers must
  // still grow then.
  return std::min<uint64_t>(start_ * (open > sending ? open - sending : 0), total_ / 2);
}

uint64_t SendBufferTotal::TakeRoom(uint64_t wanted, const SendShare* asking) {
  if (used_.load() + Kept() + wanted > total_) Reclaim(asking);
  const uint64_t kept = Kept();
  uint64_t used = used_.load(), taken = 0;
  do {
    if (used + kept >= total_) return 0;
    taken = std::min(wanted, total_ - kept - used);
  } while (!used_.compare_exchange_weak(used, used + taken));
  return taken;
}

void SendBufferTotal::Reclaim(const SendShare* asking) {
  const auto now = SendShare::Clock::now();
  auto due = next_reclaim_.load();
  if (now.time_since_epoch().count() < due ||
      !next_reclaim_.compare_exchange_strong(due, (now + kReclaimEvery).time_since_epoch().count()))
    return;
  std::lock_guard list(shares_mutex_);
  for (SendShare* share = first_; share; share = share->next_) {
    // One busy on its own thread is taking bytes, or about to.
    if (share == asking || !share->mutex_.try_lock()) continue;
    share->GiveBack(now);
    share->mutex_.unlock();
  }
}

void SendBufferTotal::Join(SendShare* share) {
  std::lock_guard list(shares_mutex_);
  share->next_ = first_;
  if (first_) first_->previous_ = share;
  first_ = share;
  ++open_;
}

void SendBufferTotal::Leave(SendShare* share) {
  std::lock_guard list(shares_mutex_);
  if (share->previous_) share->previous_->next_ = share->next_;
  else first_ = share->next_;
  if (share->next_) share->next_->previous_ = share->previous_;
  share->previous_ = share->next_ = nullptr;
  --open_;
}

SendShare::SendShare(SendBufferTotal& total, int socket) : total_(total), socket_(socket) {
  if (!total_.Enabled()) {
    released_ = true;
    return;
  }
  // The kernel takes more of an answer only once what it has not sent yet
  // is less than the start: a client that stops taking bytes leaves that
  // much queued, not its share.
  int unsent = static_cast<int>(total_.start_);
  ::setsockopt(socket_, IPPROTO_TCP, TCP_NOTSENT_LOWAT, &unsent, sizeof unsent);
  total_.Join(this);
}

void SendShare::Begin() {
  std::lock_guard lock(mutex_);
  if (released_) return;
  if (!sending_) {
    sending_ = true;
    ++total_.sending_;
  }
  taken_ = Clock::now();
  if (share_ != total_.start_) Resize(total_.start_);
  Hold(true);
  // Connections that came while the answers being sent held the rest.
  if (total_.used_.load() + total_.Kept() > total_.total_) total_.Reclaim(this);
}

void SendShare::Grow() {
  std::lock_guard lock(mutex_);
  if (!sending_) return;
  taken_ = Clock::now();
  const uint64_t wanted = std::min(EvenShare(), 2 * share_);
  if (wanted <= share_) return;
  const uint64_t granted = total_.TakeRoom(wanted - share_, this);
  if (granted == 0) return;
  held_ += granted;
  Resize(share_ + granted);
  Hold(true);
}

void SendShare::Step() {
  std::lock_guard lock(mutex_);
  if (!sending_) return;
  if (const uint64_t even = std::max(EvenShare(), total_.start_); share_ > even) Resize(even);
  Hold(true);
}

void SendShare::End() {
  std::lock_guard lock(mutex_);
  if (!sending_) return;
  sending_ = false;
  --total_.sending_;
  Hold(false);
}

void SendShare::Release() {
  std::lock_guard lock(mutex_);
  if (released_) return;
  released_ = true;
  if (sending_) {
    sending_ = false;
    --total_.sending_;
  }
  total_.used_ -= held_;
  held_ = 0;
  total_.Leave(this);
}

uint64_t SendShare::Share() const {
  std::lock_guard lock(mutex_);
  return share_;
}

void SendShare::GiveBack(Clock::time_point now) {
  if (released_) return;
  // After its answer only what the kernel holds now is counted.
  if (!sending_) {
    if (held_ > 0) Hold(false);
    return;
  }
  // A client that stopped taking bytes keeps what is queued for it, or the start.
  if (now - taken_ < kStopped) return;
  if (const uint64_t kept = std::max(Queued(), total_.start_); share_ > kept) Resize(kept);
  Hold(true);
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
