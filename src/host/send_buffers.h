#pragma once
// The kernel's send buffers of the server's sockets, within a total for the
// whole server, counted as the kernel counts them: a socket holds its buffer's
// size (twice what it asks for), or what it has queued when that is more.
// An answer begins with a small share and doubles it each time its client has
// taken what filled it, up to an even share of the total among the answers
// being sent; the start of every connection that may still come is kept free
// for it. A client that takes nothing never holds more than the start, so
// thousands of them opened at once stay within the total.
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace host {

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
  // What a socket may grow by now, at most `wanted`: what the total leaves
  // beside the starts kept for the connections not sending; taken.
  uint64_t TakeRoom(uint64_t wanted);

  uint64_t total_ = 0, most_ = 0, start_ = 0;
  size_t connections_ = 0;
  std::atomic<uint64_t> used_{0};
  std::atomic<size_t> sending_{0};  // answers being sent
};

// One socket's share. Used by one thread at a time: the connection's event
// loop, or the worker that runs its page.
class SendShare {
 public:
  SendShare(SendBufferTotal& total, int socket) : total_(total), socket_(socket) {}
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

  uint64_t Share() const { return share_; }

 private:
  uint64_t EvenShare() const;
  void Resize(uint64_t share);
  // Counts what the socket holds now.
  void Hold(bool sending);
  uint64_t Queued() const;

  SendBufferTotal& total_;
  const int socket_;
  bool sending_ = false;
  uint64_t share_ = 0;  // the buffer's size, as the kernel counts it
  uint64_t held_ = 0;   // of the total
};

}  // namespace host
