#pragma once
// The body of an upload request, read once into memory that the parser owns.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/vb/variant.h"

namespace qe {

// Bytes of one request body. Parsers keep it behind a shared pointer and hand
// their items a weak one, so an item reads its own parser's body or nothing.
class BodyBytes {
 public:
  BodyBytes() = default;
  explicit BodyBytes(std::string_view bytes);

  std::string_view View() const { return {data_.get(), size_}; }
  size_t Size() const { return size_; }
  // True when fewer bytes came than the request declared (the client went away).
  bool Short() const { return short_; }

 private:
  friend BodyBytes ReadRequestBody(const vb::Variant& request, double total, size_t block);

// A byte count as VB keeps it: a Long while it fits, else a Double.
vb::Variant ByteCount(double count);

  std::unique_ptr<char[]> data_;
  size_t size_ = 0;
  bool short_ = false;
};

// Reads `total` bytes through BinaryRead of `request` (the ASP Request, or
// any object with a BinaryRead member), at most `block` bytes a call, and
// stops early when a call delivers nothing. The memory for the whole body is
// taken only after the first block came, so a body that the server refuses
// raises (from BinaryRead) before it is reserved.
BodyBytes ReadRequestBody(const vb::Variant& request, double total, size_t block);

// A byte count as VB keeps it: a Long while it fits, else a Double.
vb::Variant ByteCount(double count);

}  // namespace qe
