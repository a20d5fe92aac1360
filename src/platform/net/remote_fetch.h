#pragma once
// Fetching one address from another server for the site (pictures pasted
// into an article), with the limits that keep a page's request safe: http and
// https only, public addresses only (public_address.h: checked on the address
// actually connected, for every redirection), no proxy, bounded time and size.
#include <chrono>
#include <cstdint>
#include <string>

#include "platform/net/public_address.h"
#include "platform/vb/string.h"

namespace net {

struct FetchLimits {
  std::chrono::milliseconds connect{10'000};
  std::chrono::milliseconds total{30'000};
  uint64_t max_bytes = 10 * 1024 * 1024;
  long max_redirects = 5;
};

struct FetchAnswer {
  bool answered = false;  // a server answered with a status and a whole body
  long status = 0;
  std::string body;
  std::string error;      // why there is no answer
};

// A GET of the address (sent as the bytes of its ANSI form), following at most
// `max_redirects` redirections.
FetchAnswer Fetch(vb::StringView address, const FetchLimits& limits = {});

// Makes every connection of the curl transfer `curl` (a CURL*), the first and
// each redirection's, pass the public-address check, without a proxy;
// `*refused` turns true when one was refused. Every fetch made for a page
// goes through it.
void CheckEveryPeer(void* curl, bool* refused);

// For tests in this process only (never from a request or the command line):
// lets fetches reach loopback addresses (and no other refused ones), so that a
// test can serve them, and sets the limits. Undone by the destructor.
class TestFetchAllowance {
 public:
  explicit TestFetchAllowance(FetchLimits limits = {});
  ~TestFetchAllowance();
  TestFetchAllowance(const TestFetchAllowance&) = delete;
  TestFetchAllowance& operator=(const TestFetchAllowance&) = delete;
};

// While it lives, no fetch this thread starts takes longer than `total`,
// connecting included: for a page whose client gives up after a time of its
// own. Nested deadlines keep the tightest.
class FetchDeadline {
 public:
  explicit FetchDeadline(std::chrono::milliseconds total);
  ~FetchDeadline();
  FetchDeadline(const FetchDeadline&) = delete;
  FetchDeadline& operator=(const FetchDeadline&) = delete;

 private:
  std::chrono::milliseconds previous_;
};

// The limits fetches run with: the defaults, or a test allowance's, within
// the thread's deadline.
FetchLimits CurrentFetchLimits();

}  // namespace net
