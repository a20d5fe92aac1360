#include "transfer/upload_names.h"

#include <cstdio>

#include "platform/fs/paths.h"
#include "platform/vb/datetime.h"
#include "platform/vb/numbers.h"
#include "platform/vb/random.h"

namespace qe {

vb::String MakeNewName() {
  vb::Date now = vb::Now();
  // A number from 0 to 10000, of which the last four digits are kept.
  auto random = static_cast<int>(vb::Round(vb::Rnd() * 10000)) % 10000;
  char digits[32];
  std::snprintf(digits, sizeof digits, "%04d%02d%02d%02d%02d%02d%04d", vb::Year(now), vb::Month(now),
                vb::Day(now), vb::Hour(now), vb::Minute(now), vb::Second(now), random);
  return vb::FromUtf8(digits);
}

std::optional<vb::String> ClientLocalName(vb::StringView sent) {
  vb::String name;
  for (char16_t c : sent) {
    if (c == u'\0') continue;
    name += c == u'/' ? u'\\' : c;
  }
  if (name == u"blob") return MakeNewName() + u".png";
  name.erase(0, name.rfind(u'\\') + 1);  // npos + 1 is 0: no folder
  if (name.empty() || name == u"." || name == u"..") return std::nullopt;
  for (char16_t c : name)
    if (c < 0x20 || c == 0x7F) return std::nullopt;
  return ReportSafe(name);
}

vb::String FitHostName(vb::StringView base, vb::StringView tail) {
  const size_t tail_bytes = fs::HostNameBytes(tail);
  size_t bytes = fs::HostNameBytes(base) + tail_bytes;
  if (bytes <= fs::kMaxHostNameBytes) return vb::String(base) + vb::String(tail);
  size_t end = base.size();
  while (end > 0 && bytes > fs::kMaxHostNameBytes) {
    // A character off the end: both halves of a surrogate pair at once.
    size_t start = end - 1;
    if (start > 0 && base[start] >= 0xDC00 && base[start] <= 0xDFFF && base[start - 1] >= 0xD800 &&
        base[start - 1] <= 0xDBFF)
      --start;
    bytes -= fs::HostNameBytes(base.substr(start, end - start));
    end = start;
  }
  if (tail.empty())
    while (end > 0 && (base[end - 1] == u'.' || base[end - 1] == u' ')) --end;
  return vb::String(base.substr(0, end)) + vb::String(tail);
}

vb::String ReportSafe(vb::StringView text) {
  vb::String safe(text);
  for (char16_t& c : safe) {
    if (c == u'|') c = u',';
    else if (c == u'$' || c == u'#') c = u'_';
  }
  return safe;
}

}  // namespace qe
