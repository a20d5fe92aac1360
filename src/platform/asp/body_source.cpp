#include "platform/asp/body_source.h"

#include <algorithm>
#include <cstring>

namespace asp {

size_t MemoryBody::Read(uint8_t* out, size_t max) {
  size_t n = std::min(max, bytes_.size() - position_);
  if (n > 0) std::memcpy(out, bytes_.data() + position_, n);
  position_ += n;
  return n;
}

}  // namespace asp
