#pragma once
// Bytes sent to a loopback server as they are, for requests that no HTTP
// client would write; the answer is what came back before the server closed
// the connection or went quiet.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <boost/beast/http.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace host_test {

// A connected socket, or -1. A `receive_buffer` in bytes makes a client
// whose system holds little of what the server sends before it reads; a
// `source` address of the loopback network (127.0.0.2) makes another client.
inline int ConnectLoopback(int port, int receive_buffer = 0, const char* source = nullptr) {
  int sock = ::socket(AF_INET, SOCK_STREAM, 0);
  if (receive_buffer > 0) ::setsockopt(sock, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
  if (source) {
    sockaddr_in from{};
    from.sin_family = AF_INET;
    ::inet_pton(AF_INET, source, &from.sin_addr);
    if (::bind(sock, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0) {
      ::close(sock);
      return -1;
    }
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(sock);
    return -1;
  }
  return sock;
}

// False when the server no longer takes bytes (it may stop reading a request
// it refuses).
inline bool SendAll(int sock, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::send(sock, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// What arrives until the server closes the connection or is quiet that long.
inline std::string ReadAnswer(int sock, int quiet_ms) {
  std::string answer;
  char buffer[8192];
  for (;;) {
    pollfd waiting{sock, POLLIN, 0};
    if (::poll(&waiting, 1, quiet_ms) <= 0) break;
    ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    answer.append(buffer, static_cast<size_t>(n));
  }
  return answer;
}

// What arrives, and whether the server closed the connection (rather than
// falling quiet for `quiet_ms`).
struct Received {
  std::string bytes;
  bool closed = false;
};
inline Received ReadUntilClosed(int sock, int quiet_ms) {
  Received received;
  char buffer[8192];
  for (;;) {
    pollfd waiting{sock, POLLIN, 0};
    if (::poll(&waiting, 1, quiet_ms) <= 0) return received;
    ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
    if (n <= 0) {
      received.closed = true;
      return received;
    }
    received.bytes.append(buffer, static_cast<size_t>(n));
  }
}

inline Received Exchange(int port, std::string_view request, int quiet_ms = 1500, const char* source = nullptr) {
  int sock = ConnectLoopback(port, 0, source);
  if (sock < 0) return {"<no connection>", true};
  SendAll(sock, request);
  Received received = ReadUntilClosed(sock, quiet_ms);
  ::close(sock);
  return received;
}

// The answers one after another in what a connection received, read by
// their framing; a HEAD's answer has no body, so `heads` says which are.
struct Answer {
  int status = 0;
  std::string head;  // status line and headers
  std::string body;
};
inline std::vector<Answer> AnswersIn(std::string_view bytes, std::vector<bool> heads = {}) {
  namespace http = boost::beast::http;
  std::vector<Answer> answers;
  while (!bytes.empty()) {
    http::response_parser<http::string_body> parser;
    parser.body_limit(boost::none);
    parser.eager(true);
    if (answers.size() < heads.size() && heads[answers.size()]) parser.skip(true);
    boost::beast::error_code error;
    size_t used = parser.put(boost::asio::buffer(bytes.data(), bytes.size()), error);
    if (!error && !parser.is_done() && parser.is_header_done() && !parser.chunked() && !parser.content_length())
      parser.put_eof(error);  // a body that the end of the connection ends
    if (error || !parser.is_done()) break;
    auto& message = parser.get();
    Answer answer{static_cast<int>(message.result_int()), std::string(bytes.substr(0, bytes.find("\r\n\r\n"))),
                  message.body()};
    answers.push_back(std::move(answer));
    bytes.remove_prefix(used);
  }
  return answers;
}

inline std::string SendRaw(int port, std::string_view request, int quiet_ms = 1500) {
  int sock = ConnectLoopback(port);
  if (sock < 0) return "<no connection>";
  SendAll(sock, request);
  std::string answer = ReadAnswer(sock, quiet_ms);
  ::close(sock);
  return answer;
}

// "HTTP/1.1 400 Bad Request\r\n..." -> 400; 0 when there is no status line.
inline int StatusOf(std::string_view answer) {
  if (answer.size() < 12 || answer.substr(0, 5) != "HTTP/") return 0;
  return std::stoi(std::string(answer.substr(9, 3)));
}

}  // namespace host_test
