#include "host/listen_address.h"

#include <charconv>

namespace host {

std::optional<ListenAddress> ParseListenAddress(std::string_view text) {
  size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return std::nullopt;
  std::string_view host = text.substr(0, colon), port_text = text.substr(colon + 1);
  ListenAddress address;
  auto [end, error] = std::from_chars(port_text.data(), port_text.data() + port_text.size(), address.port);
  if (port_text.empty() || error != std::errc() || end != port_text.data() + port_text.size() || address.port < 0 ||
      address.port > 65535)
    return std::nullopt;
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  address.host = host.empty() ? "0.0.0.0" : std::string(host);
  return address;
}

std::string AddressUrl(const std::string& host, int port) {
  bool ipv6 = host.find(':') != std::string::npos;
  return "http://" + (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port) + "/";
}

}  // namespace host
