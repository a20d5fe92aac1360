#pragma once
// A plain HTTP/1.1 client for the tests and the load test: one kept
// connection to a loopback server, requests one after another, answers read
// whole by their framing (a length or chunks).
#include <sys/socket.h>
#include <sys/time.h>

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qe_test {

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

struct HttpAnswer {
  int status = 0;
  HttpHeaders headers;
  std::string body;
  bool keep_alive = true;

  bool HasHeader(std::string_view name) const { return Find(name) != nullptr; }
  // The first header of that name, any letter case; "" when there is none.
  std::string Header(std::string_view name) const {
    const std::string* value = Find(name);
    return value ? *value : std::string();
  }

 private:
  const std::string* Find(std::string_view name) const {
    for (const auto& [key, value] : headers)
      if (key.size() == name.size() && std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
          }))
        return &value;
    return nullptr;
  }
};

class HttpClient {
 public:
  explicit HttpClient(int port, std::chrono::seconds timeout = std::chrono::seconds(30))
      : port_(port), timeout_(timeout) {}

  std::optional<HttpAnswer> Get(const std::string& target, const HttpHeaders& headers = {}) {
    return Send("GET", target, {}, headers);
  }
  std::optional<HttpAnswer> Post(const std::string& target, const std::string& body, const std::string& content_type,
                                 HttpHeaders headers = {}) {
    headers.emplace_back("Content-Type", content_type);
    return Send("POST", target, body, headers);
  }
  // The body in chunks of `chunk` bytes, without a length.
  std::optional<HttpAnswer> PostChunked(const std::string& target, const std::string& body, size_t chunk) {
    return Send("POST", target, body, {{"Content-Type", "application/octet-stream"}}, chunk);
  }

  // Once a request failed on a kept connection that the server had closed,
  // it is sent again on a new one.
  std::optional<HttpAnswer> Send(const std::string& method, const std::string& target, const std::string& body,
                                 const HttpHeaders& headers, size_t chunk = 0) {
    for (int attempt = 0; attempt < 2; ++attempt) {
      bool reused = socket_.is_open();
      if (!reused && !Connect()) return std::nullopt;
      if (auto answer = Exchange(method, target, body, headers, chunk)) {
        if (!answer->keep_alive) Close();
        return answer;
      }
      Close();
      if (!reused) break;
    }
    return std::nullopt;
  }

  void Close() {
    boost::system::error_code ignored;
    socket_.close(ignored);
    buffer_.clear();
  }

 private:
  using tcp = boost::asio::ip::tcp;

  bool Connect() {
    boost::system::error_code error;
    socket_.connect(tcp::endpoint(boost::asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port_)),
                    error);
    if (error) return false;
    timeval limit{static_cast<time_t>(timeout_.count()), 0};
    ::setsockopt(socket_.native_handle(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(socket_.native_handle(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    socket_.set_option(tcp::no_delay(true), error);
    return true;
  }

  std::optional<HttpAnswer> Exchange(const std::string& method, const std::string& target, const std::string& body,
                                     const HttpHeaders& headers, size_t chunk) {
    namespace http = boost::beast::http;
    boost::system::error_code error;
    std::string head = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port_) + "\r\n";
    for (const auto& [name, value] : headers) head += name + ": " + value + "\r\n";
    if (chunk > 0) head += "Transfer-Encoding: chunked\r\n";
    else if (!body.empty() || method == "POST") head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    head += "\r\n";
    if (chunk > 0) {
      boost::asio::write(socket_, boost::asio::buffer(head), error);
      for (size_t at = 0; at < body.size() && !error; at += chunk) {
        std::string piece = body.substr(at, chunk);
        char size[24];
        int n = std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
        boost::asio::write(socket_, boost::asio::buffer(std::string(size, static_cast<size_t>(n)) + piece + "\r\n"), error);
      }
      if (!error) boost::asio::write(socket_, boost::asio::buffer(std::string("0\r\n\r\n")), error);
    } else {
      boost::asio::write(socket_, boost::asio::buffer(head + body), error);
    }
    // A server that refuses a request may close before it read all of it:
    // its answer is still there to read.
    http::response_parser<http::string_body> parser;
    parser.header_limit(256 * 1024);  // as Chromium takes
    parser.body_limit(boost::none);
    parser.skip(method == "HEAD");
    http::read(socket_, buffer_, parser, error);
    if (error) return std::nullopt;
    HttpAnswer answer;
    auto& message = parser.get();
    answer.status = static_cast<int>(message.result_int());
    for (const auto& field : message) answer.headers.emplace_back(std::string(field.name_string()), std::string(field.value()));
    answer.body = std::move(message.body());
    answer.keep_alive = message.keep_alive();
    return answer;
  }

  int port_;
  std::chrono::seconds timeout_;
  boost::asio::io_context context_;
  tcp::socket socket_{context_};
  boost::beast::flat_buffer buffer_;
};

}  // namespace qe_test
