#pragma once
// How dates are stored in the SQLite files: the text "yyyy-mm-dd hh:nn:ss",
// which sorts and compares as the dates do and reads back as the same vb::Date
// (to the second, as Jet shows them).
#include <string>
#include <string_view>

#include "platform/vb/datetime.h"

namespace ado::jet {

std::string StoredDateText(vb::Date date);
std::string StoredDateText(const vb::DateParts& parts);

// The stored form, and any date text that CDate reads.
bool ParseStoredDate(std::string_view text, vb::Date& out);

// The inside of a Jet date literal (#...#): "2024-1-5", "2024/1/5 10:20:30",
// "1/5/2024" (month first, as Jet reads it), "10:20 PM", ...
bool ParseJetDateLiteral(vb::StringView text, vb::DateParts& out);

}  // namespace ado::jet
