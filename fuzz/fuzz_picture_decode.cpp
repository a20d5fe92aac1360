// The picture loaders over any bytes behind each kind's signature: they give
// a picture within the caps or raise 481 (not a picture) or 5 (too large),
// and read nothing past the data.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/image/picture.h"
#include "platform/vb/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const std::string kSignatures[] = {"BM", "GIF89a", std::string("\xFF\xD8\xFF", 3), ""};
  std::string bytes = kSignatures[data[0] % 4] + std::string(reinterpret_cast<const char*>(data + 1), size - 1);
  std::unique_ptr<char[]> exact(new char[bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), exact.get());
  try {
    image::Bitmap b = image::DecodePicture(std::string_view(exact.get(), bytes.size()));
    if (b.Empty() || static_cast<uint64_t>(b.Width()) * b.Height() > image::kMaxPicturePixels) __builtin_trap();
  } catch (const vb::Error& e) {
    if (e.Number() != vb::kInvalidPicture && e.Number() != vb::kInvalidProcedureCall) __builtin_trap();
  }
  return 0;
}
