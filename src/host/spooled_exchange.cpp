#include "host/spooled_exchange.h"

namespace host {

size_t SpooledBody::Read(uint8_t* out, size_t max) {
  size_t n = spool_->ReadAt(position_, reinterpret_cast<char*>(out), max);
  position_ += n;
  return n;
}

}  // namespace host
