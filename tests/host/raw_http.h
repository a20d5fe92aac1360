#pragma once
// Bytes sent to a loopback server as they are, for requests that no HTTP
// client would write; the answer is what came back before the server closed
// the connection or went quiet.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <string_view>

namespace host_test {

inline std::string SendRaw(int port, std::string_view request, int quiet_ms = 1500) {
  int sock = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(sock);
    return "<no connection>";
  }
  size_t sent = 0;
  while (sent < request.size()) {
    ssize_t n = ::send(sock, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;  // the server may stop reading a request it refuses
    sent += static_cast<size_t>(n);
  }
  std::string answer;
  char buffer[8192];
  for (;;) {
    pollfd waiting{sock, POLLIN, 0};
    if (::poll(&waiting, 1, quiet_ms) <= 0) break;
    ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    answer.append(buffer, static_cast<size_t>(n));
  }
  ::close(sock);
  return answer;
}

// "HTTP/1.1 400 Bad Request\r\n..." -> 400; 0 when there is no status line.
inline int StatusOf(std::string_view answer) {
  if (answer.size() < 12 || answer.substr(0, 5) != "HTTP/") return 0;
  return std::stoi(std::string(answer.substr(9, 3)));
}

}  // namespace host_test
