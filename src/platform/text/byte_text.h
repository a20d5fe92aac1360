#pragma once
// Bytes carried in text with the server's ANSI code page (936), so that any
// byte sequence comes back whole: each character or pair of bytes that the
// page decodes becomes its character, and each byte that decodes to nothing on
// its own (a lead byte without its trail byte) becomes the escape U+DC00 + byte,
// a lone low surrogate that no real text holds. Encoding the text gives the
// bytes back exactly.
//
// DecodeAnsi and EncodeAnsi are the codec for text; these are for bytes that
// are not text of the page (UTF-8 carried through a code-page string).
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/vb/string.h"

namespace text {

vb::String BytesToText(std::string_view bytes);
// The inverse for what BytesToText makes; any other character the page cannot
// represent becomes "?", as EncodeAnsi does.
std::string TextToBytes(vb::StringView text);

// The character one byte gives on its own: itself below 0x80, "€" for 0x80,
// U+F8F5 for 0xFF, and the escape for a lead byte 0x81..0xFE.
char16_t ByteAsCharacter(uint8_t byte);

}  // namespace text
