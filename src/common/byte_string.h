#pragma once
// VB byte strings: bytes held in a String two to a character, low byte
// first (what MidB and friends work on, and what a page gets when it reads
// binary data into a text).
#include <string>
#include <string_view>

#include "platform/vb/string.h"

namespace qe {

// An odd count leaves the last character's high byte 0.
inline vb::String ByteString(std::string_view bytes) {
  vb::String s((bytes.size() + 1) / 2, u'\0');
  for (size_t i = 0; i < bytes.size(); ++i)
    s[i / 2] |= static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) << (i % 2 ? 8 : 0));
  return s;
}

inline std::string BytesOfByteString(vb::StringView s) {
  std::string bytes;
  bytes.reserve(s.size() * 2);
  for (char16_t c : s) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

}  // namespace qe
