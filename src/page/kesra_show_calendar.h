#pragma once
// A month calendar for list pages of dated records: the month and year with
// links to the neighbouring months and years, the weekday names, and the
// days, each day with a record in the page's table a link that selects it.
#include "platform/vb/variant.h"

namespace qe {

// The month of the query key "date" (yyyymmdd, the selected day) or "month"
// (yyyymm; it wins), else the current one; a key that is no such date is
// ignored. The records are the rows of [p_TableName] whose DateAndTime
// begins with the month, and p_SqlAdd when given; they are read through Rs,
// which must be closed and is closed again. p_HrefAdd follows "&" in every
// link. Returns the HTML table.
vb::String KesraShowCalendar(vb::Variant& Request, vb::Variant& Conn, vb::Variant& Rs, vb::String p_TableName,
                             vb::String p_SqlAdd, vb::String p_HrefAdd, vb::String p_CalendarBackColor,
                             vb::String p_CalendarHeaderBackColor, vb::String p_CalendarWeekColor,
                             vb::String p_CalendarDayColor, vb::String p_CalendarCurrentDayColor,
                             vb::String p_CalendarTodayColor, vb::String p_CalendarHeaderForeColor);

}  // namespace qe
