#include "host/host_names.h"

#include <ifaddrs.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <boost/asio/ip/address.hpp>

#include <algorithm>
#include <cctype>

namespace host {

std::string HostNameOf(std::string_view host_field) {
  std::string_view name = host_field;
  if (name.starts_with('[')) {
    name = name.substr(1, name.find(']') == std::string_view::npos ? name.size() : name.find(']') - 1);
  } else if (std::count(name.begin(), name.end(), ':') == 1) {
    name = name.substr(0, name.find(':'));
  }
  if (name.ends_with('.')) name.remove_suffix(1);
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  boost::system::error_code error;
  boost::asio::ip::address address = boost::asio::ip::make_address(lower, error);
  return error ? lower : address.to_string();
}

bool ServesHost(std::string_view host_field, const std::vector<std::string>& names) {
  std::string name = HostNameOf(host_field);
  return !name.empty() && std::find(names.begin(), names.end(), name) != names.end();
}

std::vector<std::string> DefaultHostNames(const std::string& listen_host) {
  std::vector<std::string> names = {"localhost", "127.0.0.1", "::1"};
  boost::system::error_code error;
  boost::asio::ip::address listening = boost::asio::ip::make_address(listen_host, error);
  if (error || !listening.is_unspecified()) names.push_back(HostNameOf(listen_host));
  char machine[256] = {};
  if (::gethostname(machine, sizeof machine - 1) == 0 && machine[0]) names.push_back(HostNameOf(machine));
  ifaddrs* interfaces = nullptr;
  if (::getifaddrs(&interfaces) == 0) {
    for (ifaddrs* entry = interfaces; entry; entry = entry->ifa_next) {
      if (!entry->ifa_addr || (entry->ifa_addr->sa_family != AF_INET && entry->ifa_addr->sa_family != AF_INET6)) continue;
      char text[NI_MAXHOST] = {};
      socklen_t size = entry->ifa_addr->sa_family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
      if (::getnameinfo(entry->ifa_addr, size, text, sizeof text, nullptr, 0, NI_NUMERICHOST) != 0) continue;
      std::string address = text;
      address = address.substr(0, address.find('%'));  // a link-local address's zone
      names.push_back(HostNameOf(address));
    }
    ::freeifaddrs(interfaces);
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

}  // namespace host
