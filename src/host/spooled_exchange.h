#pragma once
// A request body and a response that pass through spools: the body is
// received before the page runs and BinaryRead reads it back in pieces; the
// page's output (head once, then body pieces at each Flush) is held until the
// page ends, when the server sends it.
#include <memory>
#include <optional>

#include "host/spool.h"
#include "platform/asp/body_source.h"
#include "platform/asp/response_sink.h"

namespace host {

class SpooledBody : public asp::BodySource {
 public:
  explicit SpooledBody(std::shared_ptr<const Spool> spool) : spool_(std::move(spool)) {}
  uint64_t Length() const override { return spool_->Size(); }
  size_t Read(uint8_t* out, size_t max) override;

 private:
  std::shared_ptr<const Spool> spool_;
  uint64_t position_ = 0;
};

class SpooledResponse : public asp::ResponseSink {
 public:
  void SendHead(const asp::ResponseHead& head) override { head_ = head; }
  void SendBody(std::string_view bytes) override { body_->Append(bytes); }
  bool IsClientConnected() const override { return true; }

  const std::optional<asp::ResponseHead>& Head() const { return head_; }
  const std::shared_ptr<Spool>& Body() const { return body_; }

 private:
  std::optional<asp::ResponseHead> head_;
  std::shared_ptr<Spool> body_ = std::make_shared<Spool>();
};

}  // namespace host
