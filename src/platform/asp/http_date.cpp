#include "platform/asp/http_date.h"

#include <cstdio>

#include "platform/vb/datetime.h"

namespace asp {
namespace {

vb::String FormatGmt(std::time_t when, char separator) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm parts{};
  gmtime_r(&when, &parts);
  char text[40];
  std::snprintf(text, sizeof text, "%s, %02d%c%s%c%04d %02d:%02d:%02d GMT", kDays[parts.tm_wday],
                parts.tm_mday, separator, kMonths[parts.tm_mon], separator, parts.tm_year + 1900,
                parts.tm_hour, parts.tm_min, parts.tm_sec);
  return vb::FromUtf8(text);
}

}  // namespace

vb::String HttpDate(std::time_t when) { return FormatGmt(when, ' '); }
vb::String CookieDate(std::time_t when) { return FormatGmt(when, '-'); }

std::time_t TimeOfLocalDate(vb::Date date) {
  vb::DateParts p = vb::PartsOfDate(date);
  std::tm parts{};
  parts.tm_year = p.year - 1900;
  parts.tm_mon = p.month - 1;
  parts.tm_mday = p.day;
  parts.tm_hour = p.hour;
  parts.tm_min = p.minute;
  parts.tm_sec = p.second;
  parts.tm_isdst = -1;
  return std::mktime(&parts);
}

}  // namespace asp
