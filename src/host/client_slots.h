#pragma once
// The connections each client holds, so that one client (one address; for
// IPv6 one /64, what one subscriber is given) cannot take them all.
#include <boost/asio/ip/address.hpp>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace host {

// The client an address stands for: an IPv4 address whole (an IPv4-mapped
// IPv6 one too), an IPv6 address by its first 64 bits.
std::string ClientOf(const boost::asio::ip::address& address);

class ClientSlots {
 public:
  explicit ClientSlots(size_t per_client = 64) : per_client_(per_client) {}
  void SetLimit(size_t per_client) { per_client_ = per_client; }
  // False when the client holds its limit already.
  bool Take(const std::string& client);
  void Give(const std::string& client);

 private:
  size_t per_client_;
  std::mutex mutex_;
  std::unordered_map<std::string, size_t> held_;
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
