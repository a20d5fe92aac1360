#include "platform/asp/text_codec.h"

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

std::atomic<DecodeFunction> g_decode{&Latin1Decode};
std::atomic<EncodeFunction> g_encode{&Latin1Encode};

}  // namespace

TextCodec Latin1Codec() { return {&Latin1Decode, &Latin1Encode}; }

void SetTextCodec(TextCodec codec) {
  g_decode = codec.decode ? codec.decode : &Latin1Decode;
  g_encode = codec.encode ? codec.encode : &Latin1Encode;
}

TextCodec GetTextCodec() { return {g_decode.load(), g_encode.load()}; }

String DecodeText(std::string_view bytes) { return g_decode.load()(bytes); }
std::string EncodeText(StringView text) { return g_encode.load()(text); }

}  // namespace asp
