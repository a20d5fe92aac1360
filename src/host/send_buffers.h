#pragma once
// The kernel's send buffers of the server's sockets, within a total for the
// whole server, counted as the kernel counts them: a socket holds its buffer's
// size (twice what it asks for), or what it has queued when that is more.
// An answer begins with a small share and doubles it each time its client has
// taken what filled it, up to an even share of the total among the answers
// being sent; the start of every open connection not sending is kept free
// for it. A client that takes nothing never holds more than the start, so
// thousands of them opened at once stay within the total.
//
// What a socket has queued but not sent yet stays within the start (the
// kernel's TCP_NOTSENT_LOWAT), so a client that stops taking bytes leaves
// about the start queued, whatever its share; once it has taken nothing for
// a quarter of a second, its share comes down to what the kernel holds for
// it as soon as another answer needs the room.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace host {

class SendShare;

class SendBufferTotal {
 public:
  // `most`: one socket's share at most; `start`: an answer's first share at
  // most (less when the total is small for `connections`, the server's limit).
  void Configure(uint64_t total, uint64_t most, uint64_t start, size_t connections);
  bool Enabled() const { return total_ > 0; }
  uint64_t Total() const { return total_; }
  uint64_t Start() const { return start_; }
  // What the server's sockets hold of it.
  uint64_t Used() const { return used_.load(); }

 private:
  friend class SendShare;
  // The starts kept for the open connections not sending.
  uint64_t Kept() const;
  // What a socket may grow by now, at most `wanted`: what the total leaves
  // beside the starts kept; taken. Short of room, the shares of clients that
  // stopped taking bytes come down first.
  uint64_t TakeRoom(uint64_t wanted, const SendShare* asking);
  // Brings down the shares of clients that stopped taking bytes, and counts
  // what the kernel still holds after the answers handed over; every so
  // often at most. `asking` is the caller's own share, left as it is.
  void Reclaim(const SendShare* asking);
  void Join(SendShare* share);
  void Leave(SendShare* share);

  uint64_t total_ = 0, most_ = 0, start_ = 0;
  std::atomic<uint64_t> used_{0};
  std::atomic<size_t> open_{0};     // connections
  std::atomic<size_t> sending_{0};  // answers being sent
  std::atomic<std::chrono::steady_clock::rep> next_reclaim_{0};
  std::mutex shares_mutex_;  // the list of shares
  SendShare* first_ = nullptr;
};

// One socket's share. Used by one thread at a time, the connection's event
// loop or the worker that runs its page, and brought down by another that
// needs the room.
class SendShare {
 public:
  SendShare(SendBufferTotal& total, int socket);
  ~SendShare() { Release(); }
  SendShare(const SendShare&) = delete;
  SendShare& operator=(const SendShare&) = delete;

  // An answer begins: it counts among those being sent, with the start.
  void Begin();
  // The client has taken what filled the socket: the share doubles, within
  // the even share, the most and the room left.
  void Grow();
  // Between two sends: brought down to the even share, and counted anew.
  void Step();
  // The answer is handed over whole: what the kernel still has queued for
  // the client stays counted until the next answer or the close.
  void End();
  // Before the socket closes.
  void Release();

  uint64_t Share() const;

 private:
  friend class SendBufferTotal;
  using Clock = std::chrono::steady_clock;

  uint64_t EvenShare() const;
  void Resize(uint64_t share);
  // Counts what the socket holds now.
  void Hold(bool sending);
  uint64_t Queued() const;
  // For another share short of room; the caller holds `mutex_`.
  void GiveBack(Clock::time_point now);

  SendBufferTotal& total_;
  const int socket_;
  mutable std::mutex mutex_;
  bool sending_ = false;
  bool released_ = false;
  uint64_t share_ = 0;  // the buffer's size, as the kernel counts it
  uint64_t held_ = 0;   // of the total
  Clock::time_point taken_;  // when the client last took what filled the socket
  SendShare* previous_ = nullptr;  // in the total's list, while open
  SendShare* next_ = nullptr;
};

}  // namespace host
