#pragma once
// The server's ANSI code page, code page 936: whole-text conversion, the ANSI
// code of a character, byte lengths and display widths, VB's Asc and Chr.
//
// A character here is one UTF-16 code unit, as VB counts them. A code unit that
// the page cannot represent (a surrogate half, most characters outside Chinese
// and the common symbols) becomes "?" (0x3F), one per code unit; no look-alike
// ("best fit") replacement is made.
//
// DecodeAnsi and EncodeAnsi are the whole-text codec of the server's pages:
// request decoding and response encoding plug them in as they are.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/vb/string.h"

namespace text {

// Bytes of code page 936 to text. A lead byte whose next byte is no trail
// byte, or that ends the input, becomes "?", and the next byte is read on its
// own (so a broken code never swallows the ASCII after it).
vb::String DecodeAnsi(std::string_view bytes);
// The same into a buffer of at least bytes.size() units; returns the count.
size_t DecodeAnsi(std::string_view bytes, char16_t* out);

// Text to bytes of code page 936; what the page cannot represent becomes "?".
std::string EncodeAnsi(vb::StringView text);
// The same into a buffer of at least 2 * text.size() bytes; returns the count.
size_t EncodeAnsi(vb::StringView text, char* out);

// The page's code of a character, unsigned: 0..255 for a single byte,
// lead * 256 + trail for a double byte; 63 ("?") when it cannot be represented.
uint16_t AnsiCodeUnsigned(char16_t c);

// The ANSI code of a character: the code read as a signed 16-bit number, so a
// double-byte character gives lead * 256 + trail - 65536 (always negative).
inline int16_t AnsiCode(char16_t c) { return static_cast<int16_t>(AnsiCodeUnsigned(c)); }

// True for a character that takes two bytes (every Chinese character and
// full-width sign); false for ASCII, "€" and unrepresentable characters.
inline bool IsDoubleByte(char16_t c) { return AnsiCodeUnsigned(c) > 0xFF; }

// The number of bytes of the text in code page 936: a double-byte character
// counts 2, any other character 1.
size_t ByteLength(vb::StringView text);

// The display width of a text: a double-byte character takes two columns,
// any other character one. The same count as ByteLength.
inline size_t DisplayWidth(vb::StringView text) { return ByteLength(text); }

// VB's Asc: the ANSI code of the first character. Error 5 for "".
int16_t Asc(vb::StringView text);

// VB's Chr: the character whose ANSI code is given, -32768..65535 (a negative
// code and code + 65536 name the same double-byte character). Error 5 for a
// code outside that range or one that names no character of the page (a lone
// lead byte, a bad trail byte).
vb::String Chr(int32_t code);

}  // namespace text
