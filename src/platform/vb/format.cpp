// Format: named formats and the choice between date and number patterns.
#include "platform/vb/format.h"

#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "platform/vb/format_internal.h"

namespace vb {
namespace {

struct Named {
  const char16_t* name;
  const char16_t* pattern;
};

// The zh-CN forms of the named formats that are patterns.
const Named kNamed[] = {
    {u"long date", u"yyyy年m月d日"}, {u"short date", u"yyyy/m/d"}, {u"long time", u"h:nn:ss"},
    {u"short time", u"h:nn"},       {u"fixed", u"0.00"},          {u"standard", u"#,##0.00"},
    {u"percent", u"0.00%"},
};

bool ReadDate(const Variant& value, Date& out) {
  if (value.IsString()) {
    double serial;
    if (ParseDate(value.As<String>(), out)) return true;
    if (!ParseNumber(value.As<String>(), serial) || !IsDateSerialInRange(serial)) return false;
    out = Date{serial};
    return true;
  }
  out = CDate(value);
  return true;
}

bool ReadNumber(const Variant& value, double& out) {
  if (value.IsString()) return ParseNumber(value.As<String>(), out);
  out = CDbl(value);
  return true;
}

}  // namespace

String Format(const Variant& value, StringView pattern) {
  if (value.IsNull()) return {};
  if (pattern.empty()) return CStr(value);
  for (const Named& named : kNamed)
    if (EqualsNoCase(pattern, named.name)) return Format(value, named.pattern);
  Date date;
  double number;
  if (EqualsNoCase(pattern, u"general date"))
    return ReadDate(value, date) ? FormatDateDefault(date) : value.As<String>();
  if (EqualsNoCase(pattern, u"general number"))
    return ReadNumber(value, number) ? DoubleToString(number) : value.As<String>();
  if (format::IsDatePattern(pattern))
    return ReadDate(value, date) ? format::DatePattern(date, pattern) : value.As<String>();
  return ReadNumber(value, number) ? format::NumberPattern(number, pattern) : value.As<String>();
}

}  // namespace vb
