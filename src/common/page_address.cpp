#include "common/page_address.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "common/script_text.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

// Enough to undo what pages and browsers undo; an address still changing
// after this many rounds is refused.
constexpr int kDecodeRounds = 4;
constexpr uint32_t kPastLastCodePoint = 0x110000;

int HexValue(char16_t c) {
  const size_t at = std::u16string_view(u"0123456789abcdef").find(c >= u'A' && c <= u'F' ? c + 32 : c);
  return at == std::u16string_view::npos ? -1 : static_cast<int>(at);
}

vb::String PercentDecoded(vb::StringView text) {
  vb::String out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char16_t>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The references a browser reads in an attribute that can spell a scheme or
// hide one: numeric ones (the ";" optional, as browsers read them) and the
// named ones for ":", blanks and the characters that end a scheme.
vb::String ReferencesDecoded(vb::StringView text) {
  static const std::array<std::pair<std::u16string_view, char16_t>, 8> kNamed = {{{u"colon;", u':'},
                                                                                 {u"tab;", u'\t'},
                                                                                 {u"newline;", u'\n'},
                                                                                 {u"sol;", u'/'},
                                                                                 {u"quest;", u'?'},
                                                                                 {u"num;", u'#'},
                                                                                 {u"percnt;", u'%'},
                                                                                 {u"amp;", u'&'}}};
  vb::String out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'&') {
      out += text[i];
      continue;
    }
    vb::StringView rest = text.substr(i + 1);
    if (!rest.empty() && rest[0] == u'#') {
      bool hex = rest.size() > 1 && (rest[1] == u'x' || rest[1] == u'X');
      size_t at = hex ? 2 : 1;
      // Browsers read every digit, leading zeros included; a value past the
      // last code point stays there and reads as U+FFFD.
      uint32_t value = 0;
      size_t digits = 0;
      for (; at < rest.size(); ++at, ++digits) {
        int d = hex ? HexValue(rest[at]) : (rest[at] >= u'0' && rest[at] <= u'9' ? rest[at] - u'0' : -1);
        if (d < 0) break;
        value = std::min<uint32_t>(value * (hex ? 16 : 10) + static_cast<uint32_t>(d), kPastLastCodePoint);
      }
      if (digits > 0) {
        if (at < rest.size() && rest[at] == u';') ++at;
        out += value != 0 && value < 0x10000 && (value < 0xD800 || value > 0xDFFF) ? static_cast<char16_t>(value)
                                                                                  : u'\uFFFD';
        i += at;
        continue;
      }
    }
    const vb::String lower = vb::AsciiLowerCopy(rest.substr(0, 8));
    bool named = false;
    for (const auto& [name, c] : kNamed) {
      if (!std::u16string_view(lower).starts_with(name)) continue;
      out += c;
      i += name.size();
      named = true;
      break;
    }
    if (!named) out += u'&';
  }
  return out;
}

// No scheme, or an allowed one, once blanks and control characters (which
// browsers drop around and inside a scheme) are gone.
bool HasHarmlessScheme(vb::StringView text, bool player) {
  vb::String squeezed;
  for (char16_t c : text)
    if (c > u' ' && c != 0x7F) squeezed += c;
  const size_t end = squeezed.find_first_of(u":/?#\\");
  if (end == vb::String::npos || squeezed[end] != u':') return true;
  const vb::String scheme = vb::AsciiLowerCopy(vb::StringView(squeezed).substr(0, end));
  if (scheme == u"http" || scheme == u"https") return true;
  return player && (scheme == u"rtsp" || scheme == u"mms" || scheme == u"rtmp");
}

bool IsAllowedAddress(vb::StringView address, bool player) {
  vb::String text(address);
  for (int round = 0; round <= kDecodeRounds; ++round) {
    if (!HasHarmlessScheme(text, player)) return false;
    vb::String decoded = PercentDecoded(ReferencesDecoded(text));
    if (decoded == text) return true;
    text = std::move(decoded);
  }
  return false;
}

}  // namespace

bool IsPageAddress(vb::StringView address) { return IsAllowedAddress(address, false); }

vb::String PageAddressOrInert(vb::StringView address) {
  return IsPageAddress(address) ? vb::String(address) : vb::String(u"#");
}

bool IsPlayerAddress(vb::StringView address) { return IsAllowedAddress(address, true); }

vb::String PlayerAddressOrInert(vb::StringView address) {
  return IsPlayerAddress(address) ? vb::String(address) : vb::String(u"#");
}

vb::String PageAddressInAttribute(vb::StringView address, AttributeQuote quote) {
  return AttributeValueKeepingReferences(PageAddressOrInert(address), quote);
}

vb::String PlayerAddressInAttribute(vb::StringView address, AttributeQuote quote) {
  return AttributeValueKeepingReferences(PlayerAddressOrInert(address), quote);
}

vb::String PageAddressInScript(vb::StringView address) { return ScriptStringEscape(PageAddressOrInert(address)); }

vb::String PageAddressInAttributeScript(vb::StringView address, AttributeQuote quote) {
  return AttributeValueExact(PageAddressInScript(address), quote);
}

vb::String PageAddressInStyle(vb::StringView address, AttributeQuote quote) {
  return AttributeValueExact(StyleUrlEscape(PageAddressOrInert(address)), quote);
}

}  // namespace qe
