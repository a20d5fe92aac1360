#include "platform/asp/text_codec.h"

#include "platform/text/ansi.h"

#include <unicode/ustring.h>

#include <atomic>

namespace asp {
namespace {

String Latin1Decode(std::string_view bytes) {
  String text;
  text.reserve(bytes.size());
  for (unsigned char b : bytes) text.push_back(static_cast<char16_t>(b));
  return text;
}

std::string Latin1Encode(StringView text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (char16_t c : text) bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
  return bytes;
}

// The server's ANSI code page, 936, unless a test sets another.
String AnsiDecode(std::string_view bytes) { return text::DecodeAnsi(bytes); }
std::string AnsiEncode(StringView s) { return text::EncodeAnsi(s); }

std::atomic<DecodeFunction> g_decode{&AnsiDecode};
std::atomic<EncodeFunction> g_encode{&AnsiEncode};

}  // namespace

TextCodec Latin1Codec() { return {&Latin1Decode, &Latin1Encode}; }

void SetTextCodec(TextCodec codec) {
  g_decode = codec.decode ? codec.decode : &AnsiDecode;
  g_encode = codec.encode ? codec.encode : &AnsiEncode;
}

TextCodec GetTextCodec() { return {g_decode.load(), g_encode.load()}; }

String DecodeText(std::string_view bytes) { return g_decode.load()(bytes); }
std::string EncodeText(StringView text) { return g_encode.load()(text); }

bool IsCodecText(std::string_view bytes) { return EncodeText(DecodeText(bytes)) == bytes; }

bool IsUtf8Text(std::string_view bytes) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strFromUTF8(nullptr, 0, &length, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  return status == U_BUFFER_OVERFLOW_ERROR || status == U_ZERO_ERROR || status == U_STRING_NOT_TERMINATED_WARNING;
}

}  // namespace asp
