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
  Client& entry = Named(client);
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
  Client& entry = found->second;
  Unrank(entry);
  if (entry.held > 0) --entry.held;
  Rerank(entry);
  ForgetIfEmpty(entry);
}

ClientSlots::Client& ClientSlots::Named(const std::string& client) {
  auto found = clients_.try_emplace(client).first;
  found->second.name = &found->first;
  return found->second;
}

ClientSlots::Connection& ClientSlots::Entry(const std::string& client, const void* connection) {
  Connection& entry = connections_[connection];
  if (!entry.client) entry.client = &Named(client);
  return entry;
}

void ClientSlots::Opened(const std::string& client, const void* connection, Ticks since) {
  std::lock_guard lock(mutex_);
  Connection& entry = Entry(client, connection);
  if (entry.opened) entry.client->open.erase({entry.opened, connection});
  entry.opened = since;
  entry.client->open.insert({since, connection});
}

ClientSlots::Connection* ClientSlots::Relist(const void* connection,
                                             const std::function<void(Connection&, Client&)>& change) {
  auto listed = connections_.find(connection);
  if (listed == connections_.end()) return nullptr;
  Client& client = *listed->second.client;
  Unrank(client);
  change(listed->second, client);
  Rerank(client);
  return &listed->second;
}

void ClientSlots::Unlist(const void* connection, Connection& entry) {
  Client& client = *entry.client;
  connections_.erase(connection);
  ForgetIfEmpty(client);
}

void ClientSlots::Closed(const void* connection) {
  std::lock_guard lock(mutex_);
  Connection* entry = Relist(connection, [&](Connection& listed, Client& client) {
    client.open.erase({listed.opened, connection});
    client.waiting.erase({listed.waiting, connection});
    client.heads.erase({listed.head_since, connection});
    client.head_bytes -= listed.head_bytes;
  });
  if (entry) Unlist(connection, *entry);
}

void ClientSlots::Waits(const std::string& client, const void* connection, Ticks since) {
  std::lock_guard lock(mutex_);
  Connection& entry = Entry(client, connection);
  Client& owner = *entry.client;
  Unrank(owner);
  if (entry.waiting) owner.waiting.erase({entry.waiting, connection});
  entry.waiting = since;
  owner.waiting.insert({since, connection});
  Rerank(owner);
}

void ClientSlots::Busy(const void* connection) {
  std::lock_guard lock(mutex_);
  Connection* entry = Relist(connection, [&](Connection& listed, Client& client) {
    client.waiting.erase({listed.waiting, connection});
    listed.waiting = 0;
  });
  if (entry && !entry->opened && !entry->head_bytes) Unlist(connection, *entry);  // listed only while it waited
}

void ClientSlots::HoldsHead(const void* connection, uint64_t bytes, Ticks since) {
  std::lock_guard lock(mutex_);
  Relist(connection, [&](Connection& listed, Client& client) {
    client.heads.erase({listed.head_since, connection});
    client.head_bytes -= listed.head_bytes;
    listed.head_bytes = bytes;
    listed.head_since = since;
    if (bytes) client.heads.insert({since, connection});
    client.head_bytes += bytes;
  });
}

ClientSlots::Choice ClientSlots::ChooseToClose(const std::string& newcomer, const Filter& waits, const Filter& may_go) {
  std::lock_guard lock(mutex_);
  auto own = clients_.find(newcomer);
  const size_t newcomers = own == clients_.end() ? 0 : own->second.held;
  for (const auto& [held, client] : by_held_) {
    if (held <= std::max(newcomers, kFewConnections)) break;
    for (const auto& [since, connection] : client->waiting)
      if (waits(connection)) return {connection, true};
    for (const auto& [since, connection] : client->open)
      if (may_go(connection)) return {connection, true};
  }
  // A client holding fewer than the newcomer's keeps even what waits.
  for (const Ranked& rank : ranked_) {
    if (rank.held < newcomers) break;
    for (const auto& [since, connection] : rank.client->waiting)
      if (waits(connection)) return {connection, false};
  }
  return {};
}

const void* ClientSlots::ChooseHeadToDrop(const std::string& newcomer, uint64_t more, const Filter& may_go) {
  std::lock_guard lock(mutex_);
  auto own = clients_.find(newcomer);
  const uint64_t share = std::max((own == clients_.end() ? 0 : own->second.head_bytes) + more, kFewHeadBytes);
  for (const auto& [bytes, client] : by_heads_) {
    if (bytes <= share) break;
    for (const auto& [since, connection] : client->heads)
      if (may_go(connection)) return connection;
  }
  return nullptr;
}

void ClientSlots::Unrank(Client& client) {
  if (!client.waiting.empty()) ranked_.erase({client.held, client.waiting.begin()->first, &client});
  by_held_.erase({client.held, &client});
  by_heads_.erase({client.head_bytes, &client});
}

void ClientSlots::Rerank(Client& client) {
  if (!client.waiting.empty()) ranked_.insert({client.held, client.waiting.begin()->first, &client});
  if (client.held) by_held_.insert({client.held, &client});
  if (client.head_bytes) by_heads_.insert({client.head_bytes, &client});
}

void ClientSlots::ForgetIfEmpty(Client& client) {
  if (client.held || !client.open.empty() || !client.waiting.empty() || !client.heads.empty()) return;
  const std::string name = *client.name;
  clients_.erase(name);
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
