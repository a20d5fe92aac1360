#include "platform/ado/jet_dates.h"

#include <cstdio>
#include <vector>

#include "platform/vb/error.h"

namespace ado::jet {

std::string StoredDateText(const vb::DateParts& p) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour,
                p.minute, p.second);
  return buf;
}

std::string StoredDateText(vb::Date date) { return StoredDateText(vb::PartsOfDate(date)); }

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool ValidDay(int y, int m, int d) {
  if (m < 1 || m > 12 || d < 1 || y < 100 || y > 9999) return false;
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (d > kDays[m - 1]) return false;
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return !(m == 2 && d == 29 && !leap);
}

}  // namespace

bool ParseStoredDate(std::string_view text, vb::Date& out) {
  // The stored form first: it is what the files hold.
  if (text.size() == 19 && text[4] == '-' && text[7] == '-' && text[10] == ' ' && text[13] == ':' &&
      text[16] == ':') {
    auto num = [&](size_t at, size_t n) {
      int v = 0;
      for (size_t i = at; i < at + n; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        v = v * 10 + (text[i] - '0');
      }
      return v;
    };
    vb::DateParts p{num(0, 4), num(5, 2), num(8, 2), num(11, 2), num(14, 2), num(17, 2)};
    if (p.year >= 0 && p.month >= 0 && p.day >= 0 && p.hour >= 0 && p.minute >= 0 && p.second >= 0 &&
        ValidDay(p.year, p.month, p.day) && p.hour < 24 && p.minute < 60 && p.second < 60) {
      out = vb::DateFromParts(p);
      return true;
    }
  }
  try {
    return vb::ParseDate(vb::FromUtf8(text), out);
  } catch (const vb::Error&) {
    return false;
  }
}

bool ParseJetDateLiteral(vb::StringView text, vb::DateParts& out) {
  // Numbers and the separators between them.
  std::vector<int> date_parts, time_parts;
  std::vector<size_t> date_digits;
  bool pm = false, am = false;
  size_t i = 0;
  auto skip_blanks = [&] {
    while (i < text.size() && text[i] == u' ') ++i;
  };
  auto read_number = [&](int& value, size_t& digits) {
    value = 0;
    digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
      if (digits < 6) value = value * 10 + (text[i] - u'0');
      ++digits;
      ++i;
    }
    return digits > 0;
  };
  skip_blanks();
  while (i < text.size()) {
    int value;
    size_t digits;
    if (!read_number(value, digits)) {
      // AM / PM after the time.
      vb::String rest = vb::AsciiLowerCopy(text.substr(i));
      while (!rest.empty() && rest.back() == u' ') rest.pop_back();
      if (rest == u"am") am = true;
      else if (rest == u"pm") pm = true;
      else return false;
      break;
    }
    char16_t sep = i < text.size() ? text[i] : u'\0';
    if (sep == u':' || !time_parts.empty()) {
      time_parts.push_back(value);
      if (sep == u':') ++i;
    } else {
      date_parts.push_back(value);
      date_digits.push_back(digits);
      if (sep == u'-' || sep == u'/') ++i;
    }
    skip_blanks();
  }
  vb::DateParts p;
  if (!date_parts.empty()) {
    if (date_parts.size() != 3) return false;
    if (date_digits[0] >= 3) {
      p.year = date_parts[0], p.month = date_parts[1], p.day = date_parts[2];
    } else {
      // Month first, as Jet reads an ambiguous literal.
      p.month = date_parts[0], p.day = date_parts[1], p.year = date_parts[2];
      if (date_digits[2] <= 2) p.year += p.year < 30 ? 2000 : 1900;
    }
    if (!ValidDay(p.year, p.month, p.day)) return false;
  }
  if (!time_parts.empty()) {
    if (time_parts.size() > 3) return false;
    p.hour = time_parts[0];
    p.minute = time_parts.size() > 1 ? time_parts[1] : 0;
    p.second = time_parts.size() > 2 ? time_parts[2] : 0;
    if (am || pm) {
      if (p.hour < 1 || p.hour > 12) return false;
      if (pm && p.hour < 12) p.hour += 12;
      if (am && p.hour == 12) p.hour = 0;
    }
    if (p.hour > 23 || p.minute > 59 || p.second > 59) return false;
  } else if (am || pm) {
    return false;
  }
  if (date_parts.empty() && time_parts.empty()) return false;
  out = p;
  return true;
}

}  // namespace ado::jet
