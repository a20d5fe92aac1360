#pragma once
// VB dates: serial days since 1899-12-30 in server local time.
#include <cstdint>

#include "platform/vb/variant.h"

namespace vb {

struct DateParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

// True for serials of VB's range, 100-01-01 to 9999-12-31 23:59:59. Before
// 1899-12-30 the time of day counts backwards: -1.25 is 1899-12-29 06:00.
bool IsDateSerialInRange(double serial);
int DaysInMonth(int year, int month);

// Serial <-> calendar (proleptic Gregorian, VB's range 100-01-01..9999-12-31).
Date DateFromParts(const DateParts& parts);  // error 6 outside VB's range
DateParts PartsOfDate(Date date);             // rounded to the second

// DateSerial/TimeSerial with VB's carrying of out-of-range months and days.
Date DateSerial(int year, int month, int day);
Date TimeSerial(int hour, int minute, int second);

// The zh-CN display form: "yyyy/M/d H:mm:ss"; only the date when the time is
// midnight, only the time when the date is 1899-12-30 ("0:00:00" for 0).
String FormatDateDefault(Date date);

// IsDate/CDate text rules (zh-CN), blanks around allowed:
// - a date of three numbers separated by "-", "/" or ".", read year-month-day
//   when the first has three or four digits or the order makes a valid date,
//   else month-day-year, else day-month-year ("2024-1-5", "1/5/2024");
//   two-digit years are 1930..2029;
// - a date of two numbers separated by "-" or "/": year and month when one
//   of them has more than two digits or passes 31, else month and day of the
//   current year;
// - "2024年1月5日", "2024年1月", "1月5日";
// - a time: "10:20", "10:20:30", "10时20分30秒", with "AM"/"PM" or
//   "上午"/"下午" ("10:20:30 PM", "10 PM", "下午10:20");
// - a date followed by a time.
bool ParseDate(StringView text, Date& out);

// The clock, in server local time.
Date Now();
Date Today();
Date TimeOfDay();
double Timer();  // seconds since midnight, with fractions

int Year(Date d);
int Month(Date d);
int Day(Date d);
int Hour(Date d);
int Minute(Date d);
int Second(Date d);
// Weekday: 1 = Sunday by default, as vbSunday. A first day of the week of 0
// (vbUseSystemDayOfWeek) is Monday, as in zh-CN; outside 0..7 raises 5.
int Weekday(Date d, int first_day_of_week = 1);

// DateAdd/DateDiff intervals: "yyyy" "q" "m" "y" "d" "w" "ww" "h" "n" "s"
// (5 for others). DateAdd rounds a fractional number to a whole one (ties to
// even), keeps the time of day, and ends a month at its last day (Jan 31 + 1
// month = Feb 29 in 2024); 5 past VB's range of dates. DateDiff counts the
// interval's boundaries crossed from date1 to date2.
Date DateAdd(StringView interval, double number, Date date);
int64_t DateDiff(StringView interval, Date date1, Date date2, int first_day_of_week = 1);

}  // namespace vb
