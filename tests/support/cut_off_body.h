#pragma once
// A request body that declares more bytes than it has, as a client that went
// away before sending them all.
#include <algorithm>
#include <string>

#include "platform/asp/body_source.h"

namespace qe_test {

class CutOffBody : public asp::BodySource {
 public:
  CutOffBody(std::string bytes, uint64_t declared) : bytes_(std::move(bytes)), declared_(declared) {}
  uint64_t Length() const override { return declared_; }
  size_t Read(uint8_t* out, size_t max) override {
    size_t n = std::min(max, bytes_.size() - position_);
    std::copy_n(bytes_.data() + position_, n, out);
    position_ += n;
    return n;
  }

 private:
  std::string bytes_;
  uint64_t declared_;
  size_t position_ = 0;
};

}  // namespace qe_test
