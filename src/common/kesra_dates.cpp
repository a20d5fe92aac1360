#include "common/kesra_dates.h"

#include <string>

#include "common/kesra_string.h"
#include "common/kesra_value_checks.h"
#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "platform/vb/information.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

vb::String Number(int value) { return vb::FromUtf8(std::to_string(value)); }

vb::String TwoDigits(int value) { return vb::Right(u"0" + Number(value), 2); }

vb::String DateStamp(const vb::DateParts& parts, vb::StringView separator) {
  return Number(parts.year) + vb::String(separator) + TwoDigits(parts.month) + vb::String(separator) +
         TwoDigits(parts.day);
}

vb::String WithoutWeekdayNames(const vb::String& text) { return KesraReplaceExp(text, u"星期[一二三四五六日]+", u""); }

}  // namespace

vb::String KesraGetDate(vb::Date p_Date) {
  if (p_Date == kDateStampNow) p_Date = vb::Now();
  return DateStamp(vb::PartsOfDate(p_Date), u"");
}

vb::String KesraGetDateTime() {
  vb::DateParts now = vb::PartsOfDate(vb::Now());
  return DateStamp(now, u"") + TwoDigits(now.hour) + TwoDigits(now.minute) + TwoDigits(now.second);
}

vb::String KesraPutDate(vb::String p_String) {
  vb::String t = vb::Trim(p_String);
  if (!KesraCheckIsNumeric(t)) return t;
  return vb::Mid(t, 1, 4) + u"-" + vb::Mid(t, 5, 2) + u"-" + vb::Mid(t, 7, 2);
}

vb::String KesraPutDateTime(vb::String p_String) {
  vb::String t = vb::Trim(p_String);
  if (!KesraCheckIsNumeric(t)) return t;
  return KesraPutDate(t) + u" " + vb::Mid(t, 9, 2) + u":" + vb::Mid(t, 11, 2) + u":" + vb::Mid(t, 13, 2);
}

vb::String KesraDateVB2VFP(vb::String p_VbDateString) {
  vb::Date date = vb::Trim(p_VbDateString).empty() ? vb::Today() : vb::CDate(vb::Variant(p_VbDateString));
  vb::DateParts parts = vb::PartsOfDate(date);
  return Number(parts.month) + u"/" + Number(parts.day) + u"/" + Number(parts.year);
}

vb::String KesraDateVFP2VB(vb::String p_VfpDateString) {
  vb::String r = WithoutWeekdayNames(p_VfpDateString);
  if (vb::Trim(r).empty()) return DateStamp(vb::PartsOfDate(vb::Today()), u"-");
  if (vb::IsDate(vb::Variant(r)) && r.find(u'/') == vb::String::npos) return r;
  return vb::Right(r, 4) + u"-" + vb::Left(r, 2) + u"-" + vb::Mid(r, 4, 2);
}

}  // namespace qe
