#pragma once
// cpp-httplib's server with the guards its connections lack: the head of a
// request (request line and headers) is held to a size, so a client cannot
// fill memory with headers, and to a time, so a client sending it a byte at a
// time cannot hold a worker thread for long; a connection on which the server met a malformed
// or refused request is closed after its answer; and a refused request is
// answered even when the client is still sending.
#include <httplib.h>

#include <chrono>

namespace host {

class GuardedHttpServer : public httplib::Server {
 public:
  static constexpr size_t kMaxHeadBytes = 64 * 1024;

  // How long a client may take to send a head once it has begun.
  void SetHeadTimeout(std::chrono::milliseconds timeout) { head_timeout_ = timeout; }

  // For the handlers, about the connection of the request they answer.
  // The head has been read: what follows is the body.
  static void HeadRead();
  // The status for a head that was cut off: 431 past kMaxHeadBytes, 408 past
  // the head timeout; 0 when the head came whole.
  static int HeadCutOff();
  // Close the connection once this answer is sent.
  static void CloseAfterAnswer(httplib::Response& response);

 private:
  bool process_and_close_socket(socket_t sock) override;
  bool WaitForRequest(socket_t sock) const;

  std::chrono::milliseconds head_timeout_{30000};
};

}  // namespace host
