#include "host/request_target.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "platform/asp/url_encoding.h"
#include "platform/text/ansi.h"
#include "platform/vb/strings.h"

namespace host {
namespace {

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool EscapesAreWellFormed(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '%') continue;
    if (i + 2 >= bytes.size()) return false;
    if (!IsHexDigit(bytes[i + 1]) || !IsHexDigit(bytes[i + 2])) return false;
    i += 2;
  }
  return true;
}

// NUL, as a byte or escaped: "%00" anywhere decodes to NUL, since a "%" is
// never a hex digit of an escape before it.
bool HoldsNul(std::string_view bytes) {
  return bytes.find('\0') != std::string_view::npos || bytes.find("%00") != std::string_view::npos;
}

// The cookies of a Cookie field but those holding NUL.
std::string CookiesWithoutNul(std::string_view value) {
  std::string kept;
  for (size_t start = 0; start <= value.size();) {
    const size_t end = std::min(value.find(';', start), value.size());
    const std::string_view cookie = value.substr(start, end - start);
    start = end + 1;
    if (cookie.find_first_not_of(" \t") == std::string_view::npos || HoldsNul(cookie)) continue;
    if (!kept.empty()) kept += ';';
    kept += cookie;
  }
  kept.erase(0, kept.find_first_not_of(" \t"));
  return kept;
}

// Windows drops the trailing dots and blanks of a name, so a name of only
// dots and blanks is "." or "..".
bool IsDotName(vb::StringView name) {
  return !name.empty() && name.find_first_not_of(u". ") == vb::StringView::npos;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsAnsiText(std::string_view bytes) {
  // The decoder turns what makes no character into "?", one for each.
  vb::String text = text::DecodeAnsi(bytes);
  return std::count(text.begin(), text.end(), u'?') == std::count(bytes.begin(), bytes.end(), '?');
}

std::optional<vb::String> TargetVirtualPath(std::string_view path) {
  if (path.empty() || path[0] != '/' || !EscapesAreWellFormed(path)) return std::nullopt;
  std::string bytes = asp::PercentDecodeBytes(path, false);
  for (unsigned char c : bytes)
    if (c < 0x20 || c == 0x7F || c == '\\') return std::nullopt;
  vb::String decoded;
  if (asp::IsUtf8Text(bytes)) decoded = vb::FromUtf8(bytes);
  else if (IsAnsiText(bytes)) decoded = text::DecodeAnsi(bytes);
  else return std::nullopt;
  size_t start = 0;
  while (start <= decoded.size()) {
    size_t end = std::min(decoded.find(u'/', start), decoded.size());
    if (IsDotName(vb::StringView(decoded).substr(start, end - start))) return std::nullopt;
    start = end + 1;
  }
  return decoded;
}

bool IsReadableQuery(std::string_view query) {
  if (!EscapesAreWellFormed(query)) return false;
  const std::string bytes = asp::PercentDecodeBytes(query, true);
  return bytes.find('\0') == std::string::npos && (IsAnsiText(bytes) || asp::IsUtf8Text(bytes));
}

void FormNulFinder::Add(std::string_view bytes) {
  if (found_ || bytes.empty()) return;
  // An escape split between pieces is seen whole with the bytes before.
  std::string seam = tail_ + std::string(bytes.substr(0, 2));
  found_ = HoldsNul(seam) || HoldsNul(bytes);
  seam = tail_ + std::string(bytes.substr(bytes.size() > 2 ? bytes.size() - 2 : 0));
  tail_ = seam.substr(seam.size() > 2 ? seam.size() - 2 : 0);
}

void DropCookiesHoldingNul(asp::HeaderList& fields) {
  for (auto field = fields.begin(); field != fields.end();) {
    if (field->first.size() != 6 || !vb::EqualsNoCase(vb::FromUtf8(field->first), u"Cookie") ||
        !HoldsNul(field->second)) {
      ++field;
      continue;
    }
    field->second = CookiesWithoutNul(field->second);
    field = field->second.empty() ? fields.erase(field) : std::next(field);
  }
}

}  // namespace host
