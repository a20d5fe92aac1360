#include "transfer/upload_names.h"

#include <cstdio>

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

vb::String ReportSafe(vb::StringView text) {
  vb::String safe(text);
  for (char16_t& c : safe) {
    if (c == u'|') c = u',';
    else if (c == u'$' || c == u'#') c = u'_';
  }
  return safe;
}

}  // namespace qe
