// Code page 936 conversion on arbitrary bytes: the buffer forms stay inside
// the room they promise to need, and text decoded once survives a round trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "platform/text/ansi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // Exactly the promised room, so that the sanitizer sees any write past it.
  auto units = std::make_unique<char16_t[]>(size);
  const size_t count = text::DecodeAnsi(bytes, units.get());
  if (count > size) std::abort();
  const vb::StringView decoded(units.get(), count);
  if (text::DecodeAnsi(bytes) != decoded) std::abort();

  auto encoded = std::make_unique<char[]>(2 * count);
  const size_t length = text::EncodeAnsi(decoded, encoded.get());
  if (length != text::ByteLength(decoded)) std::abort();
  if (text::DecodeAnsi(std::string_view(encoded.get(), length)) != decoded) std::abort();
  return 0;
}
