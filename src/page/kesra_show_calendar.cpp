#include "page/kesra_show_calendar.h"

#include <array>
#include <optional>
#include <vector>

#include "common/markup_encode.h"
#include "common/record_values.h"
#include "common/request_values.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "platform/vb/operators.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

using vb::String;

constexpr int32_t kOpenKeyset = 1, kLockReadOnly = 1;
constexpr std::array<const char16_t*, 13> kMonthNames = {
    u"", u"一月", u"二月", u"三月", u"四月", u"五月", u"六月", u"七月", u"八月", u"九月", u"十月", u"十一月", u"十二月"};
constexpr std::array<const char16_t*, 7> kWeekdays = {u"日", u"一", u"二", u"三", u"四", u"五", u"六"};

String Decimal(int value) { return vb::FromUtf8(std::to_string(value)); }
String TwoDigits(int value) { return vb::Right(u"0" + Decimal(value), 2); }

struct Month {
  int year = 0, month = 0;
};

// One part of a query key: digits only, as the stamps are written.
std::optional<int> DigitsOf(const String& part) {
  if (part.empty()) return std::nullopt;
  int value = 0;
  for (char16_t c : part) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  return value;
}

// The year and month of a key (its first six characters), when they are one.
std::optional<Month> MonthOfKey(const String& key) {
  const auto year = DigitsOf(vb::Mid(key, 1, 4)), month = DigitsOf(vb::Mid(key, 5, 2));
  if (!year || !month || *month < 1 || *month > 12) return std::nullopt;
  return Month{*year, *month};
}

// A month link's key: the year, the two-digit month, and the page's extra.
String MonthKey(const Month& m, const String& href_add) {
  return Decimal(m.year) + TwoDigits(m.month) + (href_add.empty() ? String() : u"&" + href_add);
}

struct LinkedDay {
  String month, day, link;
};

// One entry for each run of the month's records with the same day.
std::vector<LinkedDay> LinkedDays(vb::Variant& Conn, vb::Variant& Rs, const String& table, const String& sql_add,
                                  const String& year_month, const String& href_add) {
  String sql = u"Select [DateAndTime] From [" + table + u"] Where Left(DateAndTime,6)='" + year_month + u"'";
  if (!sql_add.empty()) sql += u" And " + sql_add;
  sql += u" Order By [DateAndTime]";
  com::Call(Rs, u"Open", sql, Conn, kOpenKeyset, kLockReadOnly);
  std::vector<LinkedDay> days;
  String previous = u"00";
  for (; !vb::CBool(com::Call(Rs, u"EOF")); com::Call(Rs, u"MoveNext")) {
    const String stamp = RecordText(Rs, u"DateAndTime");
    const String day = vb::Mid(stamp, 7, 2);
    if (day == previous) continue;
    days.push_back({vb::Mid(stamp, 5, 2), day,
                    u"?date=" + year_month + QueryValueEncode(day) + (href_add.empty() ? String() : u"&" + href_add)});
    previous = day;
  }
  com::Call(Rs, u"Close");
  return days;
}

}  // namespace

String KesraShowCalendar(vb::Variant& Request, vb::Variant& Conn, vb::Variant& Rs, String p_TableName,
                         String p_SqlAdd, String p_HrefAdd, String p_CalendarBackColor,
                         String p_CalendarHeaderBackColor, String p_CalendarWeekColor, String p_CalendarDayColor,
                         String p_CalendarCurrentDayColor, String p_CalendarTodayColor,
                         String p_CalendarHeaderForeColor) {
  const vb::DateParts today = vb::PartsOfDate(vb::Today());
  Month shown{today.year, today.month};
  int selected = 0;
  const String date_key = vb::Trim(QueryStringText(Request, u"date"));
  if (!date_key.empty()) {
    const auto month = MonthOfKey(date_key);
    const auto day = DigitsOf(vb::Mid(date_key, 7, 2));
    if (month && day) shown = *month, selected = *day;
  }
  const String month_key = vb::Trim(QueryStringText(Request, u"month"));
  if (!month_key.empty()) {
    if (const auto month = MonthOfKey(month_key)) shown = *month, selected = 0;
  }
  const int year = shown.year, month = shown.month;
  const String year_month = Decimal(year) + TwoDigits(month);

  const std::vector<LinkedDay> linked = LinkedDays(Conn, Rs, p_TableName, p_SqlAdd, year_month, p_HrefAdd);

  const int days = vb::DaysInMonth(year, month);
  const int blanks = vb::Weekday(vb::DateSerial(year, month, 1)) - 1;
  const Month next = month == 12 ? Month{year + 1, 1} : Month{year, month + 1};
  const Month previous = month == 1 ? Month{year - 1, 12} : Month{year, month - 1};

  String out = u"<table border='0' width='100%' align='center' cellspacing='1' cellpadding='1' bgcolor='" +
               p_CalendarBackColor + u"'>" + u"<tr>";
  out += u"<td colspan='1'  bgcolor='" + p_CalendarHeaderBackColor +
         u"' style='font-size:16px; font-family:;text-align :center'>";
  out += u"<a href='?month=" + MonthKey({year - 1, month}, p_HrefAdd) + u"' title='上一年'>&laquo;</a> ";
  out += u"<a href='?month=" + MonthKey(previous, p_HrefAdd) + u"' title='上一月'>&#8249;</a>";
  out += u"</td>";
  out += u"<td colspan='5' style='color:" + p_CalendarHeaderForeColor +
         u";font-size:14px;font-family:;text-align :center'><b>" + kMonthNames[month] + u"&nbsp;" + Decimal(year) +
         u"</b></td>";
  out += u"<td colspan='1' bgcolor='" + p_CalendarHeaderBackColor +
         u"' style='font-size:16px; font-family:;text-align :center';>";
  out += u"<a href='?month=" + MonthKey(next, p_HrefAdd) + u"' title='下一月'>&#8250;</a> ";
  out += u"<a href='?month=" + MonthKey({year + 1, month}, p_HrefAdd) + u"' title='下一年'>&raquo;</a>";
  out += u"</td></tr>";

  out += u"<tr>";
  for (const char16_t* weekday : kWeekdays)
    out += u"<td align='center' bgcolor='" + p_CalendarWeekColor + u"'>" + weekday + u"</td>";
  out += u"</tr>";

  out += u"<tr>";
  for (int i = 0; i < blanks; ++i) out += u"<td bgcolor='" + p_CalendarDayColor + u"'></td>";
  const bool this_month = year == today.year && month == today.month;
  int day = 1;
  for (int column = blanks;; column = 0) {
    for (; column <= 6; ++column, ++day) {
      const String& color = day == selected                    ? p_CalendarCurrentDayColor
                            : this_month && day == today.day ? p_CalendarTodayColor
                                                               : p_CalendarDayColor;
      out += u"<td align='center' bgcolor='" + color + u"' style='font-size:10px;";
      bool matched = false;
      for (const LinkedDay& entry : linked)
        if (vb::Equals(vb::Variant(entry.month), vb::Variant(month)) &&
            vb::Equals(vb::Variant(entry.day), vb::Variant(day))) {
          out += u"cursor:hand;' ><a href='" + entry.link + u"'>";
          matched = true;
        }
      if (!matched) out += u"' >";
      if (day <= days) out += Decimal(day);
      if (matched) out += u"</a>";
      out += u"</td>";
    }
    out += u"</tr>";
    if (day > days) break;
    out += u"<tr>";
  }
  out += u"<tr><td colspan='7' bgcolor='" + p_CalendarWeekColor + u"' align='center'>" + u"</td></tr></table>";
  return out;
}

}  // namespace qe
