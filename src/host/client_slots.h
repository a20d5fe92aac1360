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

// A client holding no more connections than this is never made to give up
// one that does not wait: a browser opens six to a server, so a visitor's
// upload or download beside a few pages stays, whatever a flood from many
// addresses does.
inline constexpr size_t kFewConnections = 8;
// ... nor a head or a body at its pace (an upload's) while it holds no more
// of the heads' budget than this, two heads at their limit.
inline constexpr uint64_t kFewHeadBytes = 128 * 1024;

// The connections each client holds, by when each opened; of them those that
// wait (between requests, or for more of a request, or for their client to
// take an answer); and what each holds of the heads' budget without a whole
// request. At the server's limits the client holding the most makes room.
class ClientSlots {
 public:
  using Ticks = int64_t;  // on a steady clock
  using Filter = std::function<bool(const void*)>;
  // The connection to close, and whether it was taken from a client holding
  // more than its share (it goes whether or not it waits).
  struct Choice {
    const void* connection = nullptr;
    bool over_share = false;
  };

  explicit ClientSlots(size_t per_client = 64) : per_client_(per_client) {}
  void SetLimit(size_t per_client) { per_client_ = per_client; }
  // False when the client holds its limit already.
  bool Take(const std::string& client);
  // Its connection is gone.
  void Give(const std::string& client);

  // `connection` of `client`, open since `since`, until Closed.
  void Opened(const std::string& client, const void* connection, Ticks since);
  void Closed(const void* connection);
  // `connection` of `client` waits since `since` (again, if it waited already).
  void Waits(const std::string& client, const void* connection, Ticks since);
  // ... waits no longer: a request of it is being answered, or it closes.
  void Busy(const void* connection);
  // `connection` holds `bytes` of the heads' budget without a whole request,
  // its request begun at `since` (0 bytes: none).
  void HoldsHead(const void* connection, uint64_t bytes, Ticks since);

  // The connection to close to make room for a newcomer of `newcomer`
  // (counted already). A client holding more connections than the
  // newcomer's and more than kFewConnections gives up one of its own: one
  // that `waits`, else its longest-held that `may_go`. Else, of the waiting
  // connections that `waits` lets go, of clients holding at least as many as
  // the newcomer's, the one waiting longest of the client holding the most
  // (of clients holding as many, the one whose connection waits longest).
  // Null when none may go.
  Choice ChooseToClose(const std::string& newcomer, const Filter& waits, const Filter& may_go);
  // The head to drop when the heads' budget is past for a newcomer's
  // `more` bytes: of the client holding the most of it, more than the
  // newcomer's would with them and more than kFewHeadBytes, the one whose
  // request began first that `may_go`. Null when every client holds no more
  // than its share.
  const void* ChooseHeadToDrop(const std::string& newcomer, uint64_t more, const Filter& may_go);

 private:
  using Listed = std::set<std::pair<Ticks, const void*>>;  // the earliest first
  struct Client {
    const std::string* name = nullptr;  // its key in clients_
    size_t held = 0;
    uint64_t head_bytes = 0;
    Listed open, waiting, heads;
  };
  struct Connection {
    Client* client = nullptr;
    Ticks opened = 0, waiting = 0, head_since = 0;  // 0: not listed so
    uint64_t head_bytes = 0;
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
  using Most = std::set<std::pair<uint64_t, Client*>, std::greater<>>;  // the most first

  // The client of that name, listed if it was not.
  Client& Named(const std::string& client);
  Connection& Entry(const std::string& client, const void* connection);
  // `change` made to the listing of `connection` and its client, which is
  // ranked again after it; null when the connection is not listed.
  Connection* Relist(const void* connection, const std::function<void(Connection&, Client&)>& change);
  // No longer listed, its client forgotten once it holds nothing.
  void Unlist(const void* connection, Connection& entry);
  // Around each change of a client's count, waiting connections or heads.
  void Unrank(Client& client);
  void Rerank(Client& client);
  // Gone from the tables once it holds nothing.
  void ForgetIfEmpty(Client& client);

  size_t per_client_;
  std::mutex mutex_;
  std::unordered_map<std::string, Client> clients_;
  std::unordered_map<const void*, Connection> connections_;
  std::set<Ranked> ranked_;
  Most by_held_, by_heads_;
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
