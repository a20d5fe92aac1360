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
  Client& entry = clients_[client];
  if (entry.held >= per_client_) return false;
  Unrank(entry);
  ++entry.held;
  Rerank(entry);
  return true;
}

void ClientSlots::Give(const std::string& client) {
  std::lock_guard lock(mutex_);
  auto found = clients_.find(client);
  if (found == clients_.end()) return;
  Unrank(found->second);
  if (found->second.held > 0) --found->second.held;
  if (found->second.held == 0 && found->second.waiting.empty()) clients_.erase(found);
  else Rerank(found->second);
}

void ClientSlots::Waits(const std::string& client, const void* connection, Ticks since) {
  std::lock_guard lock(mutex_);
  auto [listed, added] = waiting_.try_emplace(connection, client, since);
  Client& entry = clients_[client];
  Unrank(entry);
  if (!added) {
    entry.waiting.erase({listed->second.second, connection});
    listed->second.second = since;
  }
  entry.waiting.insert({since, connection});
  Rerank(entry);
}

void ClientSlots::Busy(const void* connection) {
  std::lock_guard lock(mutex_);
  auto listed = waiting_.find(connection);
  if (listed == waiting_.end()) return;
  auto found = clients_.find(listed->second.first);
  if (found != clients_.end()) {
    Unrank(found->second);
    found->second.waiting.erase({listed->second.second, connection});
    Rerank(found->second);
  }
  waiting_.erase(listed);
}

const void* ClientSlots::ChooseToClose(const std::function<bool(const void*)>& may_close) {
  std::lock_guard lock(mutex_);
  for (const Ranked& rank : ranked_) {
    Client& client = *rank.client;
    for (const auto& [since, connection] : client.waiting) {
      if (!may_close(connection)) continue;
      const std::pair<Ticks, const void*> chosen_entry{since, connection};
      const void* chosen = connection;
      Unrank(client);  // `rank` and the loops' iterators end here
      client.waiting.erase(chosen_entry);
      waiting_.erase(chosen);
      Rerank(client);
      return chosen;
    }
  }
  return nullptr;
}

void ClientSlots::Unrank(Client& client) {
  if (!client.waiting.empty()) ranked_.erase({client.held, client.waiting.begin()->first, &client});
}

void ClientSlots::Rerank(Client& client) {
  if (!client.waiting.empty()) ranked_.insert({client.held, client.waiting.begin()->first, &client});
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
