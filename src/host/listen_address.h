#pragma once
// "HOST:PORT" as --listen takes it: "127.0.0.1:8080", "[::1]:8080", ":8080"
// (all addresses), port 0 for a free port.
#include <optional>
#include <string>
#include <string_view>

namespace host {

struct ListenAddress {
  std::string host;
  int port = 0;
};

// nullopt when the text has no ":PORT" or the port is not 0..65535.
std::optional<ListenAddress> ParseListenAddress(std::string_view text);
// The address as a URL: "http://127.0.0.1:8080/", "http://[::1]:8080/".
std::string AddressUrl(const std::string& host, int port);

}  // namespace host
