#pragma once
// The connections each client holds, so that one client (one address; for
// IPv6 one /64, what one subscriber is given) cannot take them all, and so
// that at the server's limit the clients holding most make room first.
#include <boost/asio/ip/address.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>

namespace host {

// The client an address stands for: an IPv4 address whole (an IPv4-mapped
// IPv6 one too), an IPv6 address by its first 64 bits.
std::string ClientOf(const boost::asio::ip::address& address);

// The connections each client holds, and of them those that wait (between
// requests, or for more of a request), which may be closed to make room for
// a newcomer at the server's limit.
class ClientSlots {
 public:
  using Ticks = int64_t;  // when a connection began to wait, on a steady clock

  explicit ClientSlots(size_t per_client = 64) : per_client_(per_client) {}
  void SetLimit(size_t per_client) { per_client_ = per_client; }
  // False when the client holds its limit already.
  bool Take(const std::string& client);
  // Its connection is gone (and waits no longer).
  void Give(const std::string& client);

  // `connection` of `client` waits since `since` (again, if it waited already).
  void Waits(const std::string& client, const void* connection, Ticks since);
  // ... waits no longer: a request of it is being answered, or it closes.
  void Busy(const void* connection);
  // The waiting connection to close to make room, which then no longer
  // counts as waiting: of those `may_close` lets go, the one waiting longest
  // of the client holding the most connections (of clients holding as many,
  // the one whose connection waits longest). Null when none may go.
  const void* ChooseToClose(const std::function<bool(const void*)>& may_close);

 private:
  struct Client {
    size_t held = 0;
    std::set<std::pair<Ticks, const void*>> waiting;  // the one waiting longest first
  };
  // Clients with a waiting connection: most connections first, then the one
  // whose connection waits longest.
  struct Ranked {
    size_t held;
    Ticks since;
    Client* client;
    bool operator<(const Ranked& other) const {
      if (held != other.held) return held > other.held;
      if (since != other.since) return since < other.since;
      return client < other.client;
    }
  };
  // Around each change of a client's count or of its waiting connections.
  void Unrank(Client& client);
  void Rerank(Client& client);

  size_t per_client_;
  std::mutex mutex_;
  std::unordered_map<std::string, Client> clients_;
  std::set<Ranked> ranked_;
  std::unordered_map<const void*, std::pair<std::string, Ticks>> waiting_;
};

// The bytes each client holds of a budget the server shares (its bodies'
// files), so that one client cannot take all of it.
class ClientShares {
 public:
  explicit ClientShares(uint64_t per_client = UINT64_MAX) : per_client_(per_client) {}
  void SetLimit(uint64_t per_client) { per_client_ = per_client; }
  // False, taking nothing, past the client's share.
  bool Take(const std::string& client, uint64_t bytes);
  void Give(const std::string& client, uint64_t bytes);

 private:
  uint64_t per_client_;
  std::mutex mutex_;
  std::unordered_map<std::string, uint64_t> held_;
};

}  // namespace host
