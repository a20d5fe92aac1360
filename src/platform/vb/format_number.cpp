// Format with number patterns, and FormatNumber.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/vb/format.h"
#include "platform/vb/format_internal.h"

namespace vb::format {
namespace {

struct Section {
  String prefix, suffix;
  int whole_zeros = 0;     // at least this many digits before the point
  bool group = false;      // thousands separators
  bool point = false;
  int fraction_min = 0;    // digits after the point always shown
  int fraction_max = 0;    // digits after the point at most
  bool percent = false;
};

Section ParseSection(const std::vector<PatternChar>& chars) {
  Section s;
  bool started = false, comma = false;
  for (const PatternChar& p : chars) {
    char16_t c = p.c;
    if (!p.literal && (c == u'0' || c == u'#')) {
      started = true;
      if (s.point) {
        ++s.fraction_max;
        if (c == u'0') s.fraction_min = s.fraction_max;
      } else {
        if (c == u'0') ++s.whole_zeros;
        if (comma) s.group = true;
      }
      continue;
    }
    if (!p.literal && c == u'.' && !s.point) {
      started = s.point = true;
      continue;
    }
    if (!p.literal && c == u',' && started && !s.point) {
      comma = true;
      continue;
    }
    if (!p.literal && c == u'%') s.percent = true;
    (started ? s.suffix : s.prefix).push_back(c);
  }
  return s;
}

// The digits of value >= 0 before and after the point, `places` after it,
// halves rounded away from zero on the value's 15 significant digits.
void Digits(double value, int places, std::string& whole, std::string& fraction) {
  whole.clear();
  fraction.assign(places, '0');
  if (value == 0) return;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.14e", value);
  std::string digits = std::string(1, buf[0]) + std::string(buf + 2, 14);
  int point = std::atoi(buf + 17) + 1;  // digits before the point
  if (point < 0) {
    digits.insert(0, -point, '0');
    point = 0;
  }
  if (point > static_cast<int>(digits.size())) digits.append(point - digits.size(), '0');
  size_t keep = static_cast<size_t>(point) + places;
  bool up = digits.size() > keep && digits[keep] >= '5';
  if (digits.size() > keep) digits.resize(keep);
  else digits.append(keep - digits.size(), '0');
  for (size_t i = digits.size(); up && i-- > 0;) {
    up = digits[i] == '9';
    digits[i] = up ? '0' : static_cast<char>(digits[i] + 1);
  }
  if (up) {
    digits.insert(0, 1, '1');
    ++point;
  }
  whole = digits.substr(0, point);
  fraction = digits.substr(point);
  size_t first = whole.find_first_not_of('0');
  whole = first == std::string::npos ? std::string() : whole.substr(first);
}

String Render(const Section& s, double value, bool minus) {
  if (s.percent) value *= 100;
  std::string whole, fraction;
  Digits(value, s.fraction_max, whole, fraction);
  if (static_cast<int>(whole.size()) < s.whole_zeros) whole.insert(0, s.whole_zeros - whole.size(), '0');
  if (s.group)
    for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3) whole.insert(i, 1, ',');
  while (static_cast<int>(fraction.size()) > s.fraction_min && fraction.back() == '0') fraction.pop_back();
  std::string number = whole + (s.point ? "." + fraction : "");
  String out = minus ? u"-" : u"";
  return out + s.prefix + String(number.begin(), number.end()) + s.suffix;
}

}  // namespace

std::vector<PatternChar> Unquote(StringView pattern) {
  std::vector<PatternChar> out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    char16_t c = pattern[i];
    if (c == u'"') {
      for (++i; i < pattern.size() && pattern[i] != u'"'; ++i) out.push_back({pattern[i], true});
    } else if (c == u'\\' && i + 1 < pattern.size()) {
      out.push_back({pattern[++i], true});
    } else {
      out.push_back({c, false});
    }
  }
  return out;
}

String NumberPattern(double value, StringView pattern) {
  std::vector<std::vector<PatternChar>> sections(1);
  for (const PatternChar& p : Unquote(pattern)) {
    if (!p.literal && p.c == u';' && sections.size() < 3) sections.emplace_back();
    else sections.back().push_back(p);
  }
  if (value < 0 && sections.size() >= 2 && !sections[1].empty())
    return Render(ParseSection(sections[1]), -value, false);
  if (value == 0 && sections.size() >= 3 && !sections[2].empty())
    return Render(ParseSection(sections[2]), 0, false);
  return Render(ParseSection(sections[0]), std::fabs(value), value < 0);
}

}  // namespace vb::format

namespace vb {

String FormatNumber(const Variant& value, int decimals) {
  if (value.IsNull()) Raise(kInvalidUseOfNull);
  if (decimals < -1) Raise(kInvalidProcedureCall);
  double d = CDbl(value);
  format::Section s;
  s.whole_zeros = 1;
  s.group = true;
  s.fraction_min = s.fraction_max = decimals == -1 ? 2 : decimals;
  s.point = s.fraction_max > 0;
  return format::Render(s, std::fabs(d), d < 0);
}

}  // namespace vb
