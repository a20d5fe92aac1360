// Format with date patterns.
#include <string>

#include "platform/vb/datetime.h"
#include "platform/vb/format_internal.h"

namespace vb::format {
namespace {

const char16_t* const kChineseNumbers[] = {u"日", u"一", u"二", u"三", u"四", u"五", u"六",
                                           u"七", u"八", u"九", u"十", u"十一", u"十二"};

bool IsDateLetter(char16_t c) {
  switch (AsciiLower(c)) {
    case u'y': case u'q': case u'm': case u'd': case u'w': case u'h': case u'n': case u's': return true;
    default: return false;
  }
}

bool AmPmAt(const std::vector<PatternChar>& chars, size_t i) {
  static const char16_t kWord[] = u"am/pm";
  if (chars.size() - i < 5) return false;
  for (size_t k = 0; k < 5; ++k)
    if (chars[i + k].literal || AsciiLower(chars[i + k].c) != kWord[k]) return false;
  return true;
}

struct Token {
  char16_t letter = 0;  // a date letter in lower case; 0 for literal text
  int count = 0;
  String text;          // literal text, or the AM/PM word as written
  bool am_pm = false;
};

std::vector<Token> Tokenize(StringView pattern) {
  std::vector<PatternChar> chars = Unquote(pattern);
  std::vector<Token> tokens;
  for (size_t i = 0; i < chars.size();) {
    if (AmPmAt(chars, i)) {
      Token t;
      t.am_pm = true;
      for (size_t k = 0; k < 5; ++k) t.text.push_back(chars[i + k].c);
      tokens.push_back(t);
      i += 5;
    } else if (!chars[i].literal && IsDateLetter(chars[i].c)) {
      Token t;
      t.letter = AsciiLower(chars[i].c);
      while (i < chars.size() && !chars[i].literal && AsciiLower(chars[i].c) == t.letter) ++t.count, ++i;
      tokens.push_back(t);
    } else {
      if (tokens.empty() || tokens.back().letter || tokens.back().am_pm) tokens.emplace_back();
      tokens.back().text.push_back(chars[i++].c);
    }
  }
  return tokens;
}

String Num(int v, int width) {
  std::string s = std::to_string(v);
  if (static_cast<int>(s.size()) < width) s.insert(0, width - s.size(), '0');
  return String(s.begin(), s.end());
}

// m and mm are minutes right after an hour or right before seconds.
bool IsMinute(const std::vector<Token>& tokens, size_t at) {
  for (size_t k = at; k-- > 0;)
    if (tokens[k].letter) {
      if (tokens[k].letter == u'h') return true;
      break;
    }
  for (size_t k = at + 1; k < tokens.size(); ++k)
    if (tokens[k].letter) return tokens[k].letter == u's';
  return false;
}

}  // namespace

bool IsDatePattern(StringView pattern) {
  for (const PatternChar& p : Unquote(pattern))
    if (!p.literal && IsDateLetter(p.c)) return true;
  return false;
}

String DatePattern(Date date, StringView pattern) {
  std::vector<Token> tokens = Tokenize(pattern);
  DateParts p = PartsOfDate(date);
  bool twelve_hour = false;
  for (const Token& t : tokens) twelve_hour |= t.am_pm;
  Date day = DateSerial(p.year, p.month, p.day);
  String out;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    int width = t.count >= 2 ? 2 : 1;
    if (t.am_pm) {
      bool pm = p.hour >= 12;
      out += t.text.substr(pm ? 3 : 0, 2);
      continue;
    }
    switch (t.letter) {
      case 0: out += t.text; break;
      case u'y':
        if (t.count >= 4) out += Num(p.year, 1);
        else if (t.count >= 2) out += Num(p.year % 100, 2);
        else out += Num(static_cast<int>(DateDiff(u"d", DateSerial(p.year, 1, 1), day)) + 1, 1);
        break;
      case u'q': out += Num((p.month - 1) / 3 + 1, 1); break;
      case u'm':
        if (t.count <= 2 && IsMinute(tokens, i)) out += Num(p.minute, width);
        else if (t.count <= 2) out += Num(p.month, width);
        else if (t.count == 3) out += Num(p.month, 1) + u"月";
        else out += String(kChineseNumbers[p.month]) + u"月";
        break;
      case u'd':
        if (t.count <= 2) out += Num(p.day, width);
        else if (t.count == 3) out += u"周" + String(kChineseNumbers[Weekday(day) - 1]);
        else if (t.count == 4) out += u"星期" + String(kChineseNumbers[Weekday(day) - 1]);
        else if (t.count == 5) out += DatePattern(day, u"yyyy/m/d");
        else out += DatePattern(day, u"yyyy年m月d日");
        break;
      case u'w':
        if (t.count == 1) out += Num(Weekday(day), 1);
        else out += Num(static_cast<int>(DateDiff(u"ww", DateSerial(p.year, 1, 1), day)) + 1, 1);
        break;
      case u'h': {
        int hour = twelve_hour ? (p.hour % 12 == 0 ? 12 : p.hour % 12) : p.hour;
        out += Num(hour, width);
        break;
      }
      case u'n': out += Num(p.minute, width); break;
      case u's': out += Num(p.second, width); break;
    }
  }
  return out;
}

}  // namespace vb::format
