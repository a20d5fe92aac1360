#pragma once
// Where a response goes: the HTTP host writes it to the connection, tests and
// `qe call` keep it in memory.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/vb/string.h"

namespace asp {

using TextHeaderList = std::vector<std::pair<vb::String, vb::String>>;

struct ResponseHead {
  vb::String status;  // "200 OK"
  TextHeaderList headers;
};

class ResponseSink {
 public:
  virtual ~ResponseSink() = default;
  // Once, before any body bytes.
  virtual void SendHead(const ResponseHead& head) = 0;
  // After the head; at each Flush, empty when nothing is buffered (the head
  // must go out then all the same).
  virtual void SendBody(std::string_view bytes) = 0;
  // Instead of both, when the request ends before anything was sent: the
  // head with the whole body, so the body can go with its length.
  virtual void SendWhole(const ResponseHead& head, std::string_view body) {
    SendHead(head);
    SendBody(body);
  }
  // After the head: `length` bytes of the open file from `offset`, as body
  // bytes. A sink may keep its own descriptor of the file and send them
  // after the page ended, straight from the file (the caller may close its
  // own at once); this one reads them in blocks and sends each as SendBody
  // does, while the client is there. A file that ends early leaves the body
  // short.
  virtual void SendFileRange(int descriptor, uint64_t offset, uint64_t length);
  virtual bool IsClientConnected() const = 0;
};

class MemorySink : public ResponseSink {
 public:
  void SendHead(const ResponseHead& head) override { head_ = head; }
  void SendBody(std::string_view bytes) override {
    if (connected_) body_.append(bytes);
  }
  bool IsClientConnected() const override { return connected_; }

  void SetClientConnected(bool connected) { connected_ = connected; }
  const std::optional<ResponseHead>& Head() const { return head_; }
  const std::string& Body() const { return body_; }

 private:
  std::optional<ResponseHead> head_;
  std::string body_;
  bool connected_ = true;
};

}  // namespace asp
