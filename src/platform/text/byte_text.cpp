#include "platform/text/byte_text.h"

#include "platform/text/ansi.h"

namespace text {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsEscape(char16_t c) { return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF; }

}  // namespace

char16_t ByteAsCharacter(uint8_t byte) {
  if (byte < 0x80) return byte;
  // The page's own character when it has one for the byte alone.
  const char single = static_cast<char>(byte);
  char16_t c[1];
  if (DecodeAnsi(std::string_view(&single, 1), c) == 1 && AnsiCodeUnsigned(c[0]) == byte) return c[0];
  return static_cast<char16_t>(kEscapeBase + byte);
}

vb::String BytesToText(std::string_view bytes) {
  vb::String out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<uint8_t>(bytes[i]);
    if (b >= 0x81 && b <= 0xFE && i + 1 < bytes.size()) {
      char16_t pair[2];
      const auto code = static_cast<uint16_t>(b << 8 | static_cast<uint8_t>(bytes[i + 1]));
      if (DecodeAnsi(bytes.substr(i, 2), pair) == 1 && AnsiCodeUnsigned(pair[0]) == code) {
        out.push_back(pair[0]);
        i += 2;
        continue;
      }
    }
    out.push_back(ByteAsCharacter(b));
    ++i;
  }
  return out;
}

std::string TextToBytes(vb::StringView text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char16_t c : text) {
    if (IsEscape(c)) {
      out.push_back(static_cast<char>(c - kEscapeBase));
      continue;
    }
    const uint16_t code = AnsiCodeUnsigned(c);
    if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
  }
  return out;
}

}  // namespace text
