#pragma once
// Numbers in archive headers: little-endian, at any byte position.
#include <cstdint>

namespace ziparc {

inline uint16_t Get16(const char* p) {
  return static_cast<uint16_t>(static_cast<uint8_t>(p[0]) | static_cast<uint8_t>(p[1]) << 8);
}
inline uint32_t Get32(const char* p) { return Get16(p) | static_cast<uint32_t>(Get16(p + 2)) << 16; }
inline uint64_t Get64(const char* p) { return Get32(p) | static_cast<uint64_t>(Get32(p + 4)) << 32; }
inline void Put16(char* p, uint16_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>(v >> 8);
}
inline void Put32(char* p, uint32_t v) {
  Put16(p, static_cast<uint16_t>(v & 0xFFFF));
  Put16(p + 2, static_cast<uint16_t>(v >> 16));
}

}  // namespace ziparc
