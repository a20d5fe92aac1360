// Picture headers and the first part of a body over any bytes: both end,
// and neither reads a byte past the data (the copy is exactly as long).
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/vb/error.h"
#include "transfer/first_part_data.h"
#include "transfer/picture_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<char[]> exact(new char[size]);
  std::copy_n(reinterpret_cast<const char*>(data), size, exact.get());
  std::string_view bytes(exact.get(), size);
  qe::PictureHeaderInfo(bytes);
  try {
    std::string_view part = qe::FirstPartData(bytes);
    if (part.data() < bytes.data() || part.data() + part.size() > bytes.data() + bytes.size()) __builtin_trap();
  } catch (const vb::Error& e) {
    if (e.Number() != vb::kInvalidProcedureCall) __builtin_trap();
  }
  return 0;
}
