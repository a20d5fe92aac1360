#include "platform/asp/url_encoding.h"

#include <algorithm>

namespace asp {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::string PercentDecodeBytes(std::string_view bytes, bool plus_is_blank) {
  // Copied run by run between escapes: forms at the limit go through here
  // whole, mostly plain text.
  std::string out;
  out.reserve(bytes.size());
  size_t at = 0;
  while (at < bytes.size()) {
    size_t escape = std::min(bytes.find('%', at), bytes.size());
    std::string_view run = bytes.substr(at, escape - at);
    size_t run_start = out.size();
    out.append(run);
    if (plus_is_blank && run.find('+') != std::string_view::npos)
      std::replace(out.begin() + static_cast<std::ptrdiff_t>(run_start), out.end(), '+', ' ');
    at = escape;
    if (at == bytes.size()) break;
    int high = at + 2 < bytes.size() ? HexValue(bytes[at + 1]) : -1;
    int low = at + 2 < bytes.size() ? HexValue(bytes[at + 2]) : -1;
    if (high >= 0 && low >= 0) {
      out.push_back(static_cast<char>(high * 16 + low));
      at += 3;
    } else {
      out.push_back('%');
      ++at;
    }
  }
  return out;
}

String UrlDecode(std::string_view bytes) { return DecodeText(PercentDecodeBytes(bytes, true)); }

bool ReadsAsUtf8(std::string_view url_encoded) {
  const std::string bytes = PercentDecodeBytes(url_encoded, true);
  // Plain ASCII (most forms) reads the same both ways: the code page's.
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) return false;
  return !IsCodecText(bytes) && IsUtf8Text(bytes);
}

NameValueList ParseUrlEncoded(std::string_view bytes) { return ParseUrlEncoded(bytes, ReadsAsUtf8(bytes)); }

NameValueList ParseUrlEncoded(std::string_view bytes, bool utf8) {
  auto decode = [utf8](std::string_view piece) {
    return utf8 ? vb::FromUtf8(PercentDecodeBytes(piece, true)) : UrlDecode(piece);
  };
  NameValueList pairs;
  size_t start = 0;
  while (start <= bytes.size()) {
    size_t end = bytes.find('&', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view piece = bytes.substr(start, end - start);
    if (!piece.empty()) {
      size_t eq = piece.find('=');
      if (eq == std::string_view::npos)
        pairs.emplace_back(decode(piece), String());
      else
        pairs.emplace_back(decode(piece.substr(0, eq)), decode(piece.substr(eq + 1)));
    }
    start = end + 1;
  }
  return pairs;
}

String UrlEncode(StringView text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  String out;
  for (unsigned char b : EncodeText(text)) {
    if (IsAsciiAlnum(b)) {
      out.push_back(b);
    } else if (b == ' ') {
      out.push_back(u'+');
    } else {
      out.push_back(u'%');
      out.push_back(static_cast<char16_t>(kDigits[b >> 4]));
      out.push_back(static_cast<char16_t>(kDigits[b & 15]));
    }
  }
  return out;
}

String HtmlEncode(StringView text) {
  String out;
  out.reserve(text.size());
  for (char16_t c : text) {
    switch (c) {
      case u'<': out += u"&lt;"; break;
      case u'>': out += u"&gt;"; break;
      case u'&': out += u"&amp;"; break;
      case u'"': out += u"&quot;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

}  // namespace asp
