#pragma once
// The Range header of a request for a static file (RFC 9110): the server
// sends one range, or the whole file; a header it does not read, or one that
// asks for several ranges, gets the whole file, so a request can never make
// an answer larger than the file.
#include <cstdint>
#include <string_view>

namespace host {

struct ByteRange {
  enum Kind { kWhole, kPart, kUnsatisfiable } kind = kWhole;
  uint64_t first = 0;   // kPart: the first byte sent
  uint64_t length = 0;  // kPart: how many
};

// What "bytes=0-99", "bytes=100-", "bytes=-100" ask of a file of `size`
// bytes. A range that starts past the end, or asks for the last 0 bytes, or
// any bytes of an empty file, is unsatisfiable (416).
ByteRange ReadByteRange(std::string_view header, uint64_t size);

}  // namespace host
