// IsDate/CDate: reading dates and times from text, as the zh-CN locale does.
#include "platform/vb/datetime.h"

namespace vb {
namespace {

struct Number {
  int value = 0;
  int digits = 0;
};

class Scanner {
 public:
  explicit Scanner(StringView s) : s_(s) {}

  void Blanks() {
    while (i_ < s_.size() && (s_[i_] == u' ' || s_[i_] == u'\t')) ++i_;
  }
  // All the digits here (at least one, at most max_digits).
  bool Read(Number& n, int max_digits) {
    size_t start = i_;
    n = {};
    while (i_ < s_.size() && s_[i_] >= u'0' && s_[i_] <= u'9') {
      if (++n.digits > max_digits) return false;
      n.value = n.value * 10 + (s_[i_++] - u'0');
    }
    return i_ > start;
  }
  bool AtDigit() const { return i_ < s_.size() && s_[i_] >= u'0' && s_[i_] <= u'9'; }
  char16_t Peek() const { return i_ < s_.size() ? s_[i_] : 0; }
  bool Eat(char16_t c) {
    if (Peek() != c) return false;
    ++i_;
    return true;
  }
  // An ASCII word in any letter case, or a word as written.
  bool EatWord(StringView word) {
    if (s_.size() - i_ < word.size()) return false;
    for (size_t k = 0; k < word.size(); ++k)
      if (AsciiLower(s_[i_ + k]) != AsciiLower(word[k])) return false;
    i_ += word.size();
    return true;
  }
  bool Done() const { return i_ == s_.size(); }
  size_t Position() const { return i_; }
  void Rewind(size_t to) { i_ = to; }

 private:
  StringView s_;
  size_t i_ = 0;
};

int YearOf(Number n) {
  if (n.digits > 2) return n.value;
  return n.value < 30 ? 2000 + n.value : 1900 + n.value;
}

bool ValidDate(int y, int m, int d) {
  return y >= 100 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}

bool Set(DateParts& p, int y, int m, int d) {
  if (!ValidDate(y, m, d)) return false;
  p.year = y, p.month = m, p.day = d;
  return true;
}

bool ResolveThree(Number a, Number b, Number c, DateParts& p) {
  if (a.digits > 2) return Set(p, YearOf(a), b.value, c.value);
  if (c.digits <= 2 && Set(p, YearOf(a), b.value, c.value)) return true;
  return Set(p, YearOf(c), a.value, b.value) || Set(p, YearOf(c), b.value, a.value);
}

bool ResolveTwo(Number a, Number b, DateParts& p) {
  if (a.digits > 2 || a.value > 31) return Set(p, YearOf(a), b.value, 1);
  if (b.digits > 2 || b.value > 31) return Set(p, YearOf(b), a.value, 1);
  int year = Year(Now());
  return Set(p, year, a.value, b.value) || Set(p, year, b.value, a.value);
}

enum class Found { kNone, kDate, kBad };

Found ReadChineseDate(Scanner& sc, Number a, DateParts& p) {
  Number b, c;
  if (sc.Eat(u'年')) {
    if (!sc.Read(b, 2) || !sc.Eat(u'月')) return Found::kBad;
    if (!sc.Read(c, 2)) return Set(p, YearOf(a), b.value, 1) ? Found::kDate : Found::kBad;
    sc.Eat(u'日');
    return Set(p, YearOf(a), b.value, c.value) ? Found::kDate : Found::kBad;
  }
  sc.Eat(u'月');
  if (!sc.Read(b, 2)) return Found::kBad;
  sc.Eat(u'日');
  return Set(p, Year(Now()), a.value, b.value) ? Found::kDate : Found::kBad;
}

Found ReadDatePart(Scanner& sc, DateParts& p) {
  size_t start = sc.Position();
  Number a, b, c;
  if (!sc.Read(a, 4)) return Found::kNone;
  char16_t sep = sc.Peek();
  if (sep == u'年' || sep == u'月') return ReadChineseDate(sc, a, p);
  if (sep != u'-' && sep != u'/' && sep != u'.') {
    sc.Rewind(start);  // perhaps a time
    return Found::kNone;
  }
  sc.Eat(sep);
  if (!sc.Read(b, 4)) return Found::kBad;
  if (sc.Eat(sep)) {
    if (!sc.Read(c, 4)) return Found::kBad;
    return ResolveThree(a, b, c, p) ? Found::kDate : Found::kBad;
  }
  if (sep == u'.') return Found::kBad;  // "1.5" is a number, not a date
  return ResolveTwo(a, b, p) ? Found::kDate : Found::kBad;
}

// AM/PM or 上午/下午: 0 none, 1 morning, 2 afternoon.
int ReadHalfDay(Scanner& sc) {
  if (sc.EatWord(u"AM") || sc.EatWord(u"上午")) return 1;
  if (sc.EatWord(u"PM") || sc.EatWord(u"下午")) return 2;
  return 0;
}

bool ReadTimePart(Scanner& sc, DateParts& p) {
  int half = ReadHalfDay(sc);
  sc.Blanks();
  Number h, n, s;
  if (!sc.Read(h, 2)) return false;
  if (sc.Eat(u':')) {
    if (!sc.Read(n, 2)) return false;
    if (sc.Eat(u':') && !sc.Read(s, 2)) return false;
  } else if (sc.Eat(u'时')) {
    if (!sc.Read(n, 2)) return false;
    if (sc.Eat(u'分') && sc.AtDigit()) {
      sc.Read(s, 2);
      sc.Eat(u'秒');
    }
  }
  sc.Blanks();
  if (half == 0) half = ReadHalfDay(sc);
  int hour = h.value;
  if (half != 0) {
    if (hour > 12) return false;
    if (half == 2 && hour < 12) hour += 12;
    if (half == 1 && hour == 12) hour = 0;
  } else if (n.digits == 0) {
    return false;  // a lone number is no time
  }
  if (hour > 23 || n.value > 59 || s.value > 59) return false;
  p.hour = hour, p.minute = n.value, p.second = s.value;
  return true;
}

}  // namespace

bool ParseDate(StringView text, Date& out) {
  Scanner sc(text);
  sc.Blanks();
  DateParts p;
  Found date = ReadDatePart(sc, p);
  if (date == Found::kBad) return false;
  sc.Blanks();
  bool time = false;
  if (!sc.Done()) {
    if (!ReadTimePart(sc, p)) return false;
    time = true;
    sc.Blanks();
  }
  if (!sc.Done() || (date == Found::kNone && !time)) return false;
  out = DateFromParts(p);
  return true;
}

}  // namespace vb
