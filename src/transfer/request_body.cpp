#include "transfer/request_body.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>
#include <vector>

#include "platform/asp/request.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"

namespace qe {
namespace {

using BlockReader = std::function<size_t(uint8_t* out, size_t count)>;

// Our own Request reads straight into the buffer; any other object goes
// through its late-bound BinaryRead and hands back a byte array.
BlockReader ReaderFor(const vb::Variant& request) {
  if (auto typed = std::dynamic_pointer_cast<asp::Request>(request.GetObject()))
    return [typed](uint8_t* out, size_t count) { return typed->BinaryRead(out, count); };
  return [&request](uint8_t* out, size_t count) -> size_t {
    vb::Variant asked = static_cast<int32_t>(count);
    vb::Variant bytes = com::Call(request, u"BinaryRead", asked);
    if (!bytes.IsArray() || !bytes.As<vb::Array>().IsBytes()) return 0;
    const std::vector<uint8_t>& got = bytes.As<vb::Array>().Bytes();
    size_t n = std::min(got.size(), count);
    if (n > 0) std::memcpy(out, got.data(), n);
    return n;
  };
}

}  // namespace

BodyBytes::BodyBytes(std::string_view bytes)
    : data_(std::make_unique_for_overwrite<char[]>(bytes.size())), size_(bytes.size()) {
  if (!bytes.empty()) std::memcpy(data_.get(), bytes.data(), bytes.size());
}

BodyBytes ReadRequestBody(const vb::Variant& request, double total, size_t block) {
  BodyBytes body;
  if (!(total > 0)) return body;
  if (total >= 0x1p62) vb::Raise(vb::kOutOfMemory);
  const size_t wanted = static_cast<size_t>(total);
  BlockReader read = ReaderFor(request);

  std::vector<uint8_t> first(std::min(block, wanted));
  size_t got = read(first.data(), first.size());
  try {
    body.data_ = std::make_unique_for_overwrite<char[]>(wanted);
  } catch (const std::bad_alloc&) {
    vb::Raise(vb::kOutOfMemory);
  }
  if (got > 0) std::memcpy(body.data_.get(), first.data(), got);
  body.size_ = got;
  bool more = got > 0;
  while (more && body.size_ < wanted) {
    size_t asked = std::min(block, wanted - body.size_);
    size_t n = read(reinterpret_cast<uint8_t*>(body.data_.get()) + body.size_, asked);
    body.size_ += n;
    more = n > 0;
  }
  body.short_ = body.size_ < wanted;
  return body;
}

vb::Variant ByteCount(double count) {
  if (count >= INT32_MIN && count <= INT32_MAX) return static_cast<int32_t>(count);
  return count;
}

}  // namespace qe
