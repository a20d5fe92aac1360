#pragma once
// The system's date stamps and their display forms.
//
// A date stamp is year (unpadded), month and day, the last two with two
// digits each: 20240105. A date-time stamp adds hour, minute and second:
// 20240105093007. Pages show them as 2024-01-05 and 2024-01-05 09:30:07.
#include "platform/vb/variant.h"

namespace qe {

// The date value 284 (1900-10-10 00:00:00) that stands for "now".
inline constexpr vb::Date kDateStampNow{284.0};

// The date stamp of p_Date, or of today for kDateStampNow.
vb::String KesraGetDate(vb::Date p_Date = kDateStampNow);
// The date-time stamp of now.
vb::String KesraGetDateTime();
// A numeric stamp shown with "-" (cut by position); other text trimmed.
vb::String KesraPutDate(vb::String p_String);
vb::String KesraPutDateTime(vb::String p_String);

// A date text (blank: today) as month/day/year without leading zeros; 13
// when the text is no date.
vb::String KesraDateVB2VFP(vb::String p_VbDateString);
// A month-first mm/dd/yyyy text (weekday names removed) as yyyy-mm-dd; a date
// without "/" as it stands; blank: today. Never fails.
vb::String KesraDateVFP2VB(vb::String p_VfpDateString);

}  // namespace qe
