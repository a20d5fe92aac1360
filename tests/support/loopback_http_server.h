#pragma once
// A small HTTP server on 127.0.0.1 for the duration of a test, on a free
// port, in a thread of its own. It answers by path:
//   /status/NNN       status NNN with a short body
//   /redirect/NNN     302 to /status/NNN
//   /silent           takes the request and never answers
//   a path given a reply with Set: that reply
//   anything else     200 with a short body
// and keeps the head of every request it received.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace qe_test {

class LoopbackHttpServer {
 public:
  LoopbackHttpServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("cannot listen on the loopback interface");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LoopbackHttpServer() {
    stop_ = true;
    thread_.join();
    for (int held : silent_) ::close(held);
    ::close(listener_);
  }
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  struct Reply {
    std::string status = "200";
    std::string headers;        // whole lines, each ending in CRLF
    std::string body;
    bool with_length = true;    // false: the body ends with the connection
    bool never = false;         // true: takes the request and never answers
  };
  // Answers the path with the reply from now on.
  void Set(const std::string& path, Reply reply) {
    std::lock_guard lock(mutex_);
    replies_[path] = std::move(reply);
  }

  int Port() const { return port_; }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  std::vector<std::string> Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  void Serve() {
    while (!stop_) {
      pollfd ready{listener_, POLLIN, 0};
      if (::poll(&ready, 1, 50) <= 0) continue;
      int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client >= 0) Answer(client);
    }
  }

  void Answer(int client) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
      pollfd ready{client, POLLIN, 0};
      if (::poll(&ready, 1, 2000) <= 0) break;
      ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      head.append(buffer, static_cast<size_t>(got));
    }
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(head);
    }
    std::string path = head.substr(head.find(' ') + 1);
    path = path.substr(0, path.find(' '));
    if (path == "/silent") {
      silent_.push_back(client);
      return;
    }
    std::optional<Reply> set;
    {
      std::lock_guard lock(mutex_);
      if (auto it = replies_.find(path); it != replies_.end()) set = it->second;
    }
    if (set && set->never) {
      silent_.push_back(client);
      return;
    }
    if (set) {
      std::string reply = "HTTP/1.1 " + set->status + " X\r\nConnection: close\r\n" + set->headers;
      if (set->with_length) reply += "Content-Length: " + std::to_string(set->body.size()) + "\r\n";
      reply += "\r\n" + set->body;
      (void)::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
      ::close(client);
      return;
    }
    std::string status = "200", extra;
    if (path.rfind("/status/", 0) == 0) status = path.substr(8);
    if (path.rfind("/redirect/", 0) == 0) {
      status = "302";
      extra = "Location: /status/" + path.substr(10) + "\r\n";
    }
    std::string body = "body of " + path;
    std::string reply = "HTTP/1.1 " + status + " X\r\nContent-Length: " + std::to_string(body.size()) +
                        "\r\nConnection: close\r\n" + extra + "\r\n" + body;
    (void)::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
    ::close(client);
  }

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::vector<int> silent_;
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::map<std::string, Reply> replies_;
};

}  // namespace qe_test
