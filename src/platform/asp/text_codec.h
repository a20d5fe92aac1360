#pragma once
// The server's byte <-> text conversion for requests and responses: query
// strings, form bodies, cookies and headers are decoded with it, and response
// text is encoded with it: the server's ANSI code page (936) by default.
#include <string>
#include <string_view>

#include "platform/vb/string.h"

namespace asp {

using vb::String;
using vb::StringView;

using DecodeFunction = String (*)(std::string_view bytes);
// Characters the code page cannot represent become "?".
using EncodeFunction = std::string (*)(StringView text);

struct TextCodec {
  DecodeFunction decode;
  EncodeFunction encode;
};

// Process-wide, set once by the host before requests run (or by a test);
// an empty function restores code page 936.
void SetTextCodec(TextCodec codec);
TextCodec GetTextCodec();
TextCodec Latin1Codec();

String DecodeText(std::string_view bytes);
std::string EncodeText(StringView text);

// True when the bytes are text of the codec: decoding and encoding again
// gives them back unchanged (a broken lead byte decodes to "?").
bool IsCodecText(std::string_view bytes);

// True for well-formed UTF-8: no stray continuation byte, no truncated,
// overlong or surrogate sequence.
bool IsUtf8Text(std::string_view bytes);

}  // namespace asp
