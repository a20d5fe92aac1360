#include "host/client_slots.h"

#include <algorithm>

namespace host {

std::string ClientOf(const boost::asio::ip::address& address) {
  if (address.is_v4()) return address.to_string();
  boost::asio::ip::address_v6 v6 = address.to_v6();
  if (v6.is_v4_mapped()) return boost::asio::ip::make_address_v4(boost::asio::ip::v4_mapped, v6).to_string();
  boost::asio::ip::address_v6::bytes_type bytes = v6.to_bytes();
  std::fill(bytes.begin() + 8, bytes.end(), 0);
  return boost::asio::ip::address_v6(bytes).to_string() + "/64";
}

bool ClientSlots::Take(const std::string& client) {
  std::lock_guard lock(mutex_);
  size_t& held = held_[client];
  if (held >= per_client_) return false;
  ++held;
  return true;
}

void ClientSlots::Give(const std::string& client) {
  std::lock_guard lock(mutex_);
  auto found = held_.find(client);
  if (found == held_.end()) return;
  if (--found->second == 0) held_.erase(found);
}

bool ClientShares::Take(const std::string& client, uint64_t bytes) {
  std::lock_guard lock(mutex_);
  uint64_t& held = held_[client];
  if (bytes > per_client_ - held) {
    if (held == 0) held_.erase(client);
    return false;
  }
  held += bytes;
  return true;
}

void ClientShares::Give(const std::string& client, uint64_t bytes) {
  std::lock_guard lock(mutex_);
  auto found = held_.find(client);
  if (found == held_.end()) return;
  found->second -= std::min(bytes, found->second);
  if (found->second == 0) held_.erase(found);
}

}  // namespace host
