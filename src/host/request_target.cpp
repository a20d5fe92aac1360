#include "host/request_target.h"

#include <algorithm>

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

// Windows drops the trailing dots and blanks of a name, so a name of only
// dots and blanks is "." or "..".
bool IsDotName(vb::StringView name) {
  return !name.empty() && name.find_first_not_of(u". ") == vb::StringView::npos;
}

}  // namespace

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
  found_ = seam.find("%00") != std::string::npos || bytes.find('\0') != std::string_view::npos ||
           bytes.find("%00") != std::string_view::npos;
  seam = tail_ + std::string(bytes.substr(bytes.size() > 2 ? bytes.size() - 2 : 0));
  tail_ = seam.substr(seam.size() > 2 ? seam.size() - 2 : 0);
}

bool CookiesHoldNul(const asp::HeaderList& fields) {
  for (const auto& [name, value] : fields) {
    if (name.size() != 6 || !vb::EqualsNoCase(vb::FromUtf8(name), u"Cookie")) continue;
    if (value.find('\0') != std::string::npos || value.find("%00") != std::string::npos) return true;
  }
  return false;
}

}  // namespace host
