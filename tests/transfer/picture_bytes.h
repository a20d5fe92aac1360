#pragma once
// The first bytes of small pictures of each kind, as their formats lay them out.
#include <cstdint>
#include <string>

namespace picture_bytes {

inline void Be16(std::string& s, uint32_t v) {
  s += static_cast<char>((v >> 8) & 0xFF);
  s += static_cast<char>(v & 0xFF);
}
inline void Le16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
inline void Le32(std::string& s, uint32_t v) {
  Le16(s, v & 0xFFFF);
  Le16(s, v >> 16);
}
inline void Be32(std::string& s, uint32_t v) {
  Be16(s, v >> 16);
  Be16(s, v & 0xFFFF);
}

// SOI, an APP0 segment, `fill` extra 0xFF bytes, a start of frame `sof`.
inline std::string Jpeg(uint32_t width, uint32_t height, uint8_t components, uint8_t sof = 0xC0, int fill = 0) {
  std::string s("\xFF\xD8\xFF\xE0", 4);
  Be16(s, 16);
  s += std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14);
  s += std::string(static_cast<size_t>(fill) + 1, '\xFF');
  s += static_cast<char>(sof);
  Be16(s, 8 + 3 * components);
  s += '\x08';
  Be16(s, height);
  Be16(s, width);
  s += static_cast<char>(components);
  s += std::string(3 * components, '\x11');
  return s + "\xFF\xD9";
}

inline std::string Gif(uint32_t width, uint32_t height, uint8_t packed) {
  std::string s = "GIF89a";
  Le16(s, width);
  Le16(s, height);
  s += static_cast<char>(packed);
  return s + std::string("\0\0;", 3);
}

inline std::string Bmp(uint32_t width, uint32_t height, uint16_t bits) {
  std::string s = "BM";
  Le32(s, 54);
  Le32(s, 0);
  Le32(s, 54);
  Le32(s, 40);
  Le32(s, width);
  Le32(s, height);
  Le16(s, 1);
  Le16(s, bits);
  return s + std::string(24, '\0');
}

inline std::string Png(uint32_t width, uint32_t height, uint8_t depth, uint8_t colour_type) {
  std::string s("\x89PNG\r\n\x1A\n", 8);
  Be32(s, 13);
  s += "IHDR";
  Be32(s, width);
  Be32(s, height);
  s += static_cast<char>(depth);
  s += static_cast<char>(colour_type);
  s += std::string(3, '\0');
  return s + std::string(4, '\x5A');
}

}  // namespace picture_bytes
