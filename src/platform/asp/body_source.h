#pragma once
// Where a request body comes from: the HTTP host streams it from the
// connection, tests and `qe call` hold it in memory.
#include <cstddef>
#include <cstdint>
#include <string>

namespace asp {

class BodySource {
 public:
  virtual ~BodySource() = default;
  // The declared length (Content-Length); 0 when there is no body.
  virtual uint64_t Length() const = 0;
  // Up to `max` next bytes into `out`; 0 only at the end of the body.
  virtual size_t Read(uint8_t* out, size_t max) = 0;
};

class MemoryBody : public BodySource {
 public:
  explicit MemoryBody(std::string bytes = {}) : bytes_(std::move(bytes)) {}
  uint64_t Length() const override { return bytes_.size(); }
  size_t Read(uint8_t* out, size_t max) override;

 private:
  std::string bytes_;
  size_t position_ = 0;
};

}  // namespace asp
