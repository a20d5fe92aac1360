#pragma once
// Query strings, form bodies and cookie values as the web server reads and
// writes them: %XX escapes over bytes of the server's code page.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/asp/text_codec.h"

namespace asp {

using NameValueList = std::vector<std::pair<String, String>>;

// %XX escapes (either letter case) become bytes; a "%" not followed by two hex
// digits stays as it is ("%zz", a trailing "%4"). With `plus_is_blank`, "+" is
// a blank, as in query strings and form bodies (not in paths).
std::string PercentDecodeBytes(std::string_view bytes, bool plus_is_blank);

// Percent-decoded, "+" as a blank, then decoded with the text codec.
String UrlDecode(std::string_view bytes);

// True for a whole query string or form body whose decoded bytes are not the
// codec's text but are UTF-8: what a link made by encodeURIComponent sends.
// When the bytes read both ways, the code page wins: the site's own links
// and Server.URLEncode send code page 936, and those must keep their meaning.
// The whole text decides at once, so one value that only UTF-8 can read
// settles the others (a browser encodes a whole address one way).
bool ReadsAsUtf8(std::string_view url_encoded);

// "a=1&b=x+y": pairs in order; a piece without "=" is a name with an empty
// value; empty pieces ("a=1&&b=2") are skipped. Every piece is decoded as
// ReadsAsUtf8 decides for the whole text.
NameValueList ParseUrlEncoded(std::string_view bytes);
// The same, the pieces decoded as UTF-8 or not as the caller has decided.
NameValueList ParseUrlEncoded(std::string_view bytes, bool utf8);

// Server.URLEncode: the text's bytes in the codec; letters and digits stay,
// a blank becomes "+", every other byte %XX with upper-case digits.
String UrlEncode(StringView text);

// Server.HTMLEncode: "<", ">", "&" and '"' as entities.
String HtmlEncode(StringView text);

}  // namespace asp
