#pragma once
// What one site's server allows its clients: how many at once, how large a
// request, and how long each step may take.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/asp/request_info.h"
#include "platform/asp/session.h"

namespace host {

// Page workers: twice the cores, 8 to 64. Pages mostly compute, and more
// workers than that only wait on one another; twice leaves room for pages
// that wait on a slow client or another server.
size_t DefaultPageWorkers();

struct ServerLimits {
  size_t threads = DefaultPageWorkers();  // pages run at once; more wait their turn
  // Open at once. For one more, a client holding more connections than the
  // newcomer's would (and more than a few) gives up one of its own, its
  // longest-held; else a connection that waits (between requests, for a
  // head or body behind the least pace below, 408 once it began one, or for
  // its client to take its answer) is reset: the one waiting longest of the
  // client holding the most, if it holds as many as the newcomer's. When none
  // may go, it is refused with 503.
  size_t max_connections = 10000;
  size_t max_connections_per_client = 64;  // from one address (IPv6: one /64); one more gets 503
  // The host names served (any case, without the port); any other Host gets
  // 421 and runs no page. Empty: any name.
  std::vector<std::string> host_names;
  // Larger bodies get 413; a larger upload (multipart) a page answers itself,
  // its body unread.
  uint64_t max_body_bytes = asp::kDefaultMaxBodyBytes;
  size_t max_header_fields = 100;  // of a request head: past them, 431
  // A URL-encoded form a page reads: past either, 413 (before the body is
  // held, when its length is declared).
  uint64_t max_form_bytes = asp::kDefaultMaxFormBytes;
  uint64_t max_form_fields = asp::kDefaultMaxFormFields;
  // A page that takes a small form from anyone (the login page): a longer
  // body gets 413 (before it is read when its length is declared), and the
  // form must come whole within the head's time.
  uint64_t small_form_bytes = 64 * 1024;
  // The heads being read, and what a connection keeps of its parsed head
  // until its request has been taken, all connections together: past it, of
  // the connections without a whole request, a client holding more of it
  // than the newcomer's would (and more than a few heads) gives up its
  // longest-held, else the one waiting longest is dropped with 408.
  uint64_t head_memory_budget = 64 << 20;
  std::chrono::milliseconds head_timeout{10000};        // from the head's first byte to its end: 408
  std::chrono::milliseconds idle_timeout{15000};        // a kept connection without a request is closed
  std::chrono::milliseconds body_timeout{30000};        // between two pieces of a body: 408
  std::chrono::milliseconds request_timeout{600000};    // a whole request, head and body: 408
  std::chrono::milliseconds send_timeout{30000};        // a client that takes nothing for that long is dropped
  // A body must keep up this pace after its first window, window by window:
  // one that sends less than rate × window in a window gets 408. At the
  // connection limit a head or body keeps its pace, and an answer's client
  // takes it at its pace, while each byte it sent (or took) buys 1/rate
  // seconds from when it came, never more than a window ahead: such a
  // connection does not wait, and is not closed for a newcomer from a client
  // holding as many.
  uint64_t min_body_bytes_per_second = 1024;
  std::chrono::milliseconds body_rate_window{10000};
  uint64_t body_memory_budget = 64 << 20;  // bodies held in memory, all connections together; then in files
  uint64_t body_disk_budget = 1ull << 30;  // ... and in files: past it, 503, and the body's file goes
  uint64_t body_disk_per_client = 0;       // ... of which one client holds at most this (0: a quarter)
  // A body that no page reads (a GET's, a refused request's) is read by its
  // framing only this far and this long; past either, the request is
  // answered and the connection closed.
  uint64_t dropped_body_bytes = 64 * 1024;
  std::chrono::milliseconds dropped_body_timeout{5000};
  size_t max_sessions = asp::MemorySessionStore::kDefaultMaxSessions;  // live at once
  // A page's output the client has not taken yet waits for it: past this
  // much for one answer, the page waits for its client.
  uint64_t max_held_output = 16 * 1024 * 1024;
  // ... and past this much for all answers together, an answer fails (503).
  uint64_t max_spooled_output = 1024 * 1024 * 1024;
  // Each socket's kernel send buffer (0: the system's own sizing): what a
  // client does not take waits in the spool, which has a budget, not in the
  // kernel's memory, which all processes share. The server's sockets hold
  // `send_buffers_total` at most as the kernel counts it (twice what a socket
  // asks, or what it has queued): an answer starts with `send_buffer_start`
  // at most and grows as its client takes bytes, to `send_buffer_bytes` at
  // most (send_buffers.h).
  int send_buffer_bytes = 256 * 1024;
  uint64_t send_buffers_total = 256ull << 20;
  int send_buffer_start = 16 * 1024;
  // The room all the rich-text editor's uploads of the site share, in MiB.
  uint64_t editor_room_mb = 1024;
  std::chrono::milliseconds drain_timeout{10000};  // a graceful stop waits this long for the answers under way
};

}  // namespace host
