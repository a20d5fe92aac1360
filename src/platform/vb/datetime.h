#pragma once
// VB dates: serial days since 1899-12-30 in server local time.
#include <cstdint>

#include "platform/vb/variant.h"

namespace vb {

struct DateParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

// Serial <-> calendar (proleptic Gregorian, VB's range 100-01-01..9999-12-31).
Date DateFromParts(const DateParts& parts);  // error 6 outside VB's range
DateParts PartsOfDate(Date date);             // rounded to the second

// DateSerial/TimeSerial with VB's carrying of out-of-range months and days.
Date DateSerial(int year, int month, int day);
Date TimeSerial(int hour, int minute, int second);

// The zh-CN display form: "yyyy/M/d H:mm:ss"; only the date when the time is
// midnight, only the time when the date is 1899-12-30.
String FormatDateDefault(Date date);

// IsDate/CDate text rules (zh-CN): "2024-1-5", "2024/01/05 10:20:30",
// "2024年1月5日", "10:20", "10:20:30", "10:20 PM", with blanks around.
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
// Weekday: 1 = Sunday by default, as vbSunday.
int Weekday(Date d, int first_day_of_week = 1);

// DateAdd/DateDiff intervals: "yyyy" "q" "m" "y" "d" "w" "ww" "h" "n" "s".
Date DateAdd(StringView interval, double number, Date date);
int64_t DateDiff(StringView interval, Date date1, Date date2, int first_day_of_week = 1);

}  // namespace vb
