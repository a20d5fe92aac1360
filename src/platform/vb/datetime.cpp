#include "platform/vb/datetime.h"

#include <chrono>
#include <cmath>
#include <ctime>

#include "platform/vb/error.h"

namespace vb {
namespace {

// Days from 1970-01-01 for a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);  // serial 0 in days since 1970
// VB's range, 100-01-01 to 9999-12-31 23:59:59. Before 1899-12-30 the time
// of day is subtracted (-1.25 is 1899-12-29 06:00), so the day is the
// integral part in both directions.
bool InRange(double serial) { return IsDateSerialInRange(serial); }

double SerialOf(int64_t days_since_1970, double time_fraction) {
  double day = static_cast<double>(days_since_1970 - kEpochOffset);
  return day >= 0 ? day + time_fraction : day - time_fraction;
}

// Floor division, so that boundaries are counted alike before and after 1970.
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// vbUseSystemDayOfWeek (0): the zh-CN week starts on Monday.
int FirstDayOfWeek(int first_day_of_week) {
  if (first_day_of_week < 0 || first_day_of_week > 7) Raise(kInvalidProcedureCall);
  return first_day_of_week == 0 ? 2 : first_day_of_week;
}

}  // namespace

bool IsDateSerialInRange(double serial) { return serial > -657435.0 && serial < 2958466.0; }

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
  return kDays[month - 1];
}

Date DateFromParts(const DateParts& p) {
  int64_t days = DaysFromCivil(p.year, p.month, p.day);
  double t = (p.hour * 3600.0 + p.minute * 60.0 + p.second) / 86400.0;
  double serial = SerialOf(days, t);
  if (!InRange(serial)) Raise(kOverflow);
  return Date{serial};
}

DateParts PartsOfDate(Date date) {
  if (!InRange(date.serial)) Raise(kOverflow);
  double day = std::trunc(date.serial);
  double frac = std::fabs(date.serial - day);
  int64_t secs = std::llround(frac * 86400.0);
  if (secs >= 86400) {
    secs -= 86400;
    day += date.serial >= 0 ? 1 : -1;
  }
  DateParts p;
  CivilFromDays(static_cast<int64_t>(day) + kEpochOffset, p.year, p.month, p.day);
  p.hour = static_cast<int>(secs / 3600);
  p.minute = static_cast<int>(secs / 60 % 60);
  p.second = static_cast<int>(secs % 60);
  return p;
}

Date DateSerial(int year, int month, int day) {
  if (year >= 0 && year < 30) year += 2000;
  else if (year >= 30 && year < 100) year += 1900;
  int64_t m0 = static_cast<int64_t>(year) * 12 + (month - 1);
  int y = static_cast<int>(m0 >= 0 ? m0 / 12 : (m0 - 11) / 12);
  int m = static_cast<int>(m0 - static_cast<int64_t>(y) * 12) + 1;
  int64_t days = DaysFromCivil(y, m, 1) + (day - 1);
  double serial = SerialOf(days, 0);
  if (!InRange(serial)) Raise(kInvalidProcedureCall);
  return Date{serial};
}

Date TimeSerial(int hour, int minute, int second) {
  int64_t secs = hour * 3600LL + minute * 60LL + second;
  int64_t days = FloorDiv(secs, 86400);
  double serial = SerialOf(days + kEpochOffset, static_cast<double>(secs - days * 86400) / 86400.0);
  if (!InRange(serial)) Raise(kInvalidProcedureCall);
  return Date{serial};
}

static String TwoDigits(int v) {
  String s;
  s.push_back(static_cast<char16_t>(u'0' + v / 10));
  s.push_back(static_cast<char16_t>(u'0' + v % 10));
  return s;
}

static String Number(int v) {
  std::string s = std::to_string(v);
  return String(s.begin(), s.end());
}

String FormatDateDefault(Date date) {
  DateParts p = PartsOfDate(date);
  bool has_date = !(p.year == 1899 && p.month == 12 && p.day == 30);
  bool has_time = p.hour != 0 || p.minute != 0 || p.second != 0;
  String date_text = Number(p.year) + u"/" + Number(p.month) + u"/" + Number(p.day);
  String time_text = Number(p.hour) + u":" + TwoDigits(p.minute) + u":" + TwoDigits(p.second);
  if (!has_date) return time_text;  // day 0 shows its time, even midnight
  return has_time ? date_text + u" " + time_text : date_text;
}

Date Now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return DateFromParts({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec});
}

Date Today() { return Date{std::trunc(Now().serial)}; }

Date TimeOfDay() {
  Date n = Now();
  return Date{n.serial - std::trunc(n.serial)};
}

double Timer() {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count() % 1000000;
  return tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec + micros / 1e6;
}

int Year(Date d) { return PartsOfDate(d).year; }
int Month(Date d) { return PartsOfDate(d).month; }
int Day(Date d) { return PartsOfDate(d).day; }
int Hour(Date d) { return PartsOfDate(d).hour; }
int Minute(Date d) { return PartsOfDate(d).minute; }
int Second(Date d) { return PartsOfDate(d).second; }

int Weekday(Date d, int first_day_of_week) {
  int first = FirstDayOfWeek(first_day_of_week);
  DateParts p = PartsOfDate(d);
  // 1970-01-01 was a Thursday (vbThursday = 5).
  int64_t days = DaysFromCivil(p.year, p.month, p.day);
  int w = static_cast<int>(((days + 4) % 7 + 7) % 7) + 1;  // 1 = Sunday
  return (w - first + 7) % 7 + 1;
}

Date DateAdd(StringView interval, double number, Date date) {
  String iv = AsciiLowerCopy(interval);
  // A count that reaches past the whole range of dates in seconds is an error
  // whatever the interval; a fractional count is rounded to a whole one, as
  // CLng rounds (ties to even).
  if (!(std::fabs(number) < 1e12)) Raise(kInvalidProcedureCall);
  int64_t k = static_cast<int64_t>(std::nearbyint(number));
  auto add_months = [&](int64_t months) {
    DateParts p = PartsOfDate(date);
    int64_t m0 = static_cast<int64_t>(p.year) * 12 + (p.month - 1) + months;
    p.year = static_cast<int>(m0 / 12);
    p.month = static_cast<int>(m0 % 12) + 1;
    if (p.year < 100 || p.year > 9999) Raise(kInvalidProcedureCall);
    p.day = std::min(p.day, DaysInMonth(p.year, p.month));
    return DateFromParts(p);
  };
  double secs;
  if (iv == u"yyyy") return add_months(k * 12);
  if (iv == u"q") return add_months(k * 3);
  if (iv == u"m") return add_months(k);
  if (iv == u"y" || iv == u"d" || iv == u"w") secs = k * 86400.0;
  else if (iv == u"ww") secs = k * 7 * 86400.0;
  else if (iv == u"h") secs = k * 3600.0;
  else if (iv == u"n") secs = k * 60.0;
  else if (iv == u"s") secs = static_cast<double>(k);
  else Raise(kInvalidProcedureCall);
  DateParts p = PartsOfDate(date);
  int64_t base_days = DaysFromCivil(p.year, p.month, p.day);
  double total = p.hour * 3600.0 + p.minute * 60.0 + p.second + secs;
  int64_t extra_days = static_cast<int64_t>(std::floor(total / 86400.0));
  double rest = total - extra_days * 86400.0;
  double serial = SerialOf(base_days + extra_days, rest / 86400.0);
  if (!InRange(serial)) Raise(kInvalidProcedureCall);
  return Date{serial};
}

int64_t DateDiff(StringView interval, Date date1, Date date2, int first_day_of_week) {
  String iv = AsciiLowerCopy(interval);
  DateParts a = PartsOfDate(date1), b = PartsOfDate(date2);
  int64_t da = DaysFromCivil(a.year, a.month, a.day), db = DaysFromCivil(b.year, b.month, b.day);
  int64_t sa = da * 86400 + a.hour * 3600 + a.minute * 60 + a.second;
  int64_t sb = db * 86400 + b.hour * 3600 + b.minute * 60 + b.second;
  if (iv == u"yyyy") return b.year - a.year;
  if (iv == u"q") return (b.year * 4 + (b.month - 1) / 3) - (a.year * 4 + (a.month - 1) / 3);
  if (iv == u"m") return (b.year * 12LL + b.month) - (a.year * 12LL + a.month);
  if (iv == u"y" || iv == u"d") return db - da;
  if (iv == u"w") return (db - da) / 7;
  if (iv == u"ww") {
    auto week_start = [&](int64_t days) {
      int w = Weekday(Date{static_cast<double>(days - kEpochOffset)}, first_day_of_week);
      return days - (w - 1);
    };
    return (week_start(db) - week_start(da)) / 7;
  }
  if (iv == u"h") return FloorDiv(sb, 3600) - FloorDiv(sa, 3600);
  if (iv == u"n") return FloorDiv(sb, 60) - FloorDiv(sa, 60);
  if (iv == u"s") return sb - sa;
  Raise(kInvalidProcedureCall);
}

}  // namespace vb
