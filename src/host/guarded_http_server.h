#pragma once
// cpp-httplib's server with the guards its connections lack: the head of a
// request (request line and headers) is held to a size, so a client cannot
// fill memory with headers; a connection on which the server met a malformed
// or refused request is closed after its answer; and a refused request is
// answered even when the client is still sending.
#include <httplib.h>

namespace host {

class GuardedHttpServer : public httplib::Server {
 public:
  static constexpr size_t kMaxHeadBytes = 64 * 1024;

  // For the handlers, about the connection of the request they answer.
  // The head has been read: what follows is the body.
  static void HeadRead();
  // True when the head was cut off at kMaxHeadBytes.
  static bool HeadTooLarge();
  // Close the connection once this answer is sent.
  static void CloseAfterAnswer(httplib::Response& response);

 private:
  bool process_and_close_socket(socket_t sock) override;
  bool WaitForRequest(socket_t sock) const;
};

}  // namespace host
