#include "platform/vb/convert.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "platform/vb/datetime.h"
#include "platform/vb/error.h"

namespace vb {
namespace {

String Ascii(const std::string& s) { return String(s.begin(), s.end()); }

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x3000; }

// "&H1F", "&O17": VB reads values up to &HFFFF as 16-bit (so "&HFFFF" is
// -1) and larger ones as 32-bit ("&HFFFFFFFF" is -1 too).
bool ParseRadix(StringView s, double& out) {
  if (s.size() < 3 || s[0] != u'&') return false;
  int radix;
  char16_t k = AsciiLower(s[1]);
  if (k == u'h') radix = 16;
  else if (k == u'o') radix = 8;
  else return false;
  uint64_t v = 0;
  for (size_t i = 2; i < s.size(); ++i) {
    char16_t c = AsciiLower(s[i]);
    int d;
    if (c >= u'0' && c <= u'9') d = c - u'0';
    else if (radix == 16 && c >= u'a' && c <= u'f') d = c - u'a' + 10;
    else return false;
    if (d >= radix) return false;
    v = v * radix + d;
    if (v > 0xFFFFFFFFull) return false;
  }
  if (v <= 0xFFFF) out = static_cast<int16_t>(v);
  else out = static_cast<int32_t>(static_cast<uint32_t>(v));
  return true;
}

// The zh-CN currency sign, in both of the forms Windows has used for it.
bool IsCurrencySign(char16_t c) { return c == 0x00A5 || c == 0xFFE5; }

}  // namespace

bool ParseNumber(StringView text, double& out) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  StringView s = text.substr(b, e - b);
  if (s.empty()) return false;
  if (ParseRadix(s, out)) return true;
  bool in_parens = false;
  if (s.size() >= 2 && s.front() == u'(' && s.back() == u')') {
    in_parens = true;
    s = s.substr(1, s.size() - 2);
  }
  // Before the digits: a sign, the currency sign and blanks, each sign once.
  char sign = 0;
  bool currency = false;
  size_t i = 0;
  for (; i < s.size(); ++i) {
    char16_t c = s[i];
    if ((c == u'+' || c == u'-') && !sign && !in_parens) sign = static_cast<char>(c);
    else if (IsCurrencySign(c) && !currency) currency = true;
    else if (!IsBlank(c)) break;
  }
  std::string ascii;
  bool digits = false, point = false;
  for (; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c >= u'0' && c <= u'9') {
      ascii.push_back(static_cast<char>(c));
      digits = true;
    } else if (c == u',' && !point) {
      if (!digits) return false;
    } else if (c == u'.' && !point) {
      ascii.push_back('.');
      point = true;
    } else {
      break;
    }
  }
  if (!digits) return false;
  if (i < s.size() && (AsciiLower(s[i]) == u'e' || AsciiLower(s[i]) == u'd')) {
    std::string exp = "e";
    size_t j = i + 1;
    if (j < s.size() && (s[j] == u'+' || s[j] == u'-')) exp.push_back(static_cast<char>(s[j++]));
    size_t start = j;
    while (j < s.size() && s[j] >= u'0' && s[j] <= u'9') exp.push_back(static_cast<char>(s[j++]));
    if (j == start) return false;
    ascii += exp;
    i = j;
  }
  // VB also takes the sign after the number ("12-").
  if (i + 1 == s.size() && (s[i] == u'+' || s[i] == u'-') && !sign && !in_parens)
    sign = static_cast<char>(s[i++]);
  if (i != s.size()) return false;
  double v = std::strtod(ascii.c_str(), nullptr);
  if (std::isinf(v)) return false;
  out = (sign == '-') != in_parens ? -v : v;
  return true;
}

static String FormatSignificant(double value, int digits) {
  if (value == 0) return u"0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*E", digits - 1, value);
  // buf: d.dddE+xx
  std::string s(buf);
  size_t epos = s.find('E');
  std::string mant = s.substr(0, epos);
  int exp = std::atoi(s.c_str() + epos + 1);
  bool neg = mant[0] == '-';
  if (neg) mant.erase(0, 1);
  std::string digs;
  for (char c : mant)
    if (c != '.') digs.push_back(c);
  while (digs.size() > 1 && digs.back() == '0') digs.pop_back();
  std::string out;
  // As printf's %G: exponent form below 1E-4 and from 10^digits on.
  if (exp >= digits || exp < -4) {
    // Exponent form: d.dddE+xx
    out = digs.substr(0, 1);
    if (digs.size() > 1) out.append(".").append(digs, 1);
    char e[16];
    std::snprintf(e, sizeof e, "E%c%02d", exp < 0 ? '-' : '+', std::abs(exp));
    out += e;
  } else if (exp >= 0) {
    if (static_cast<int>(digs.size()) <= exp + 1) {
      out = digs + std::string(exp + 1 - digs.size(), '0');
    } else {
      out = digs.substr(0, exp + 1);
      out.append(".").append(digs, exp + 1);
    }
  } else {
    out = "0.";
    out.append(-exp - 1, '0').append(digs);
  }
  if (neg) out.insert(0, 1, '-');
  return Ascii(out);
}

String DoubleToString(double value) { return FormatSignificant(value, 15); }
String SingleToString(float value) { return FormatSignificant(value, 7); }

String CurrencyToString(Currency value) {
  int64_t v = value.scaled;
  bool neg = v < 0;
  uint64_t a = neg ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  std::string s = std::to_string(a / 10000);
  uint64_t frac = a % 10000;
  if (frac) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04llu", static_cast<unsigned long long>(frac));
    std::string f(buf);
    while (!f.empty() && f.back() == '0') f.pop_back();
    s += "." + f;
  }
  return Ascii(neg ? "-" + s : s);
}

double RoundHalfEven(double value) { return std::nearbyint(value); }

double CDbl(const Variant& v) {
  switch (v.Type()) {
    case vbEmpty: return 0;
    case vbInteger: return v.As<int16_t>();
    case vbLong: return v.As<int32_t>();
    case vbSingle: return v.As<float>();
    case vbDouble: return v.As<double>();
    case vbCurrency: return CurrencyToDouble(v.As<Currency>());
    case vbDate: return v.As<Date>().serial;
    case vbBoolean: return v.As<Boolean>().value ? -1 : 0;
    case vbByte: return v.As<uint8_t>();
    case vbString: {
      // Only numbers: a date text is no number, as IsNumeric says.
      double d;
      if (ParseNumber(v.As<String>(), d)) return d;
      Raise(kTypeMismatch);
    }
    case vbNull: Raise(kInvalidUseOfNull);
    case vbObject: {
      if (v.IsNothing()) Raise(kObjectNotSet);
      Raise(kTypeMismatch);
    }
    default: Raise(kTypeMismatch);
  }
}

float CSng(const Variant& v) {
  double d = CDbl(v);
  if (std::fabs(d) > FLT_MAX) Raise(kOverflow);
  return static_cast<float>(d);
}

static double IntegralOf(const Variant& v) {
  if (v.Holds<int16_t>()) return v.As<int16_t>();
  if (v.Holds<int32_t>()) return v.As<int32_t>();
  if (v.Holds<Currency>()) {
    // Currency to integer rounds half to even on the exact decimal value.
    int64_t s = v.As<Currency>().scaled;
    int64_t q = s / 10000, r = s % 10000;
    if (r > 5000 || (r == 5000 && (q & 1))) ++q;
    else if (r < -5000 || (r == -5000 && (q & 1))) --q;
    return static_cast<double>(q);
  }
  return RoundHalfEven(CDbl(v));
}

int16_t CInt(const Variant& v) {
  double d = IntegralOf(v);
  if (!(d >= -32768.0 && d <= 32767.0)) Raise(kOverflow);
  return static_cast<int16_t>(d);
}

int32_t CLng(const Variant& v) {
  double d = IntegralOf(v);
  if (!(d >= -2147483648.0 && d <= 2147483647.0)) Raise(kOverflow);
  return static_cast<int32_t>(d);
}

uint8_t CByte(const Variant& v) {
  double d = IntegralOf(v);
  if (!(d >= 0 && d <= 255)) Raise(kOverflow);
  return static_cast<uint8_t>(d);
}

bool CBool(const Variant& v) {
  switch (v.Type()) {
    case vbBoolean: return v.As<Boolean>().value;
    case vbString: {
      const String& s = v.As<String>();
      String t = AsciiLowerCopy(s);
      size_t b = t.find_first_not_of(u' '), e = t.find_last_not_of(u' ');
      t = b == String::npos ? String() : t.substr(b, e - b + 1);
      if (t == u"true" || t == u"#true#") return true;
      if (t == u"false" || t == u"#false#") return false;
      double d;
      if (ParseNumber(s, d)) return d != 0;
      Raise(kTypeMismatch);
    }
    default: return CDbl(v) != 0;
  }
}

namespace {

// A double times 10,000, rounded half to even: exact in a long double, whose
// 64-bit mantissa holds the 53-bit mantissa times 625 (10,000 is 625 * 16).
std::optional<int64_t> ScaledOf(double value) {
  static_assert(std::numeric_limits<long double>::digits >= 63);
  const long double scaled = std::nearbyint(static_cast<long double>(value) * 10000.0L);
  if (!(scaled >= -9223372036854775808.0L && scaled <= 9223372036854775807.0L)) return std::nullopt;
  return static_cast<int64_t>(scaled);
}

constexpr Currency kLeastCurrency{std::numeric_limits<int64_t>::min()};
constexpr Currency kGreatestCurrency{std::numeric_limits<int64_t>::max()};

}  // namespace

double CurrencyToDouble(Currency value) {
  return static_cast<double>(static_cast<long double>(value.scaled) / 10000.0L);
}

std::optional<Currency> CurrencyOfDouble(double value) {
  if (std::optional<int64_t> scaled = ScaledOf(value)) return Currency{*scaled};
  if (value == CurrencyToDouble(kGreatestCurrency)) return kGreatestCurrency;
  if (value == CurrencyToDouble(kLeastCurrency)) return kLeastCurrency;
  return std::nullopt;
}

Currency CCur(const Variant& v) {
  if (v.Holds<Currency>()) return v.As<Currency>();
  if (v.Holds<int16_t>()) return Currency{v.As<int16_t>() * 10000LL};
  if (v.Holds<int32_t>()) return Currency{v.As<int32_t>() * 10000LL};
  std::optional<int64_t> scaled = ScaledOf(CDbl(v));
  if (!scaled) Raise(kOverflow);
  return Currency{*scaled};
}

Date CDate(const Variant& v) {
  if (v.Holds<Date>()) return v.As<Date>();
  double d;
  if (v.Holds<String>()) {
    Date date;
    if (ParseDate(v.As<String>(), date)) return date;
    if (!ParseNumber(v.As<String>(), d)) Raise(kTypeMismatch);
  } else {
    d = CDbl(v);
  }
  if (!IsDateSerialInRange(d)) Raise(kOverflow);
  return Date{d};
}

String CStr(const Variant& v) {
  switch (v.Type()) {
    case vbEmpty: return {};
    case vbNull: Raise(kInvalidUseOfNull);
    case vbInteger: return Ascii(std::to_string(v.As<int16_t>()));
    case vbLong: return Ascii(std::to_string(v.As<int32_t>()));
    case vbSingle: return SingleToString(v.As<float>());
    case vbDouble: return DoubleToString(v.As<double>());
    case vbCurrency: return CurrencyToString(v.As<Currency>());
    case vbDate: return FormatDateDefault(v.As<Date>());
    case vbString: return v.As<String>();
    case vbBoolean: return v.As<Boolean>().value ? u"True" : u"False";
    case vbByte: return Ascii(std::to_string(v.As<uint8_t>()));
    case vbError: return u"Error " + Ascii(std::to_string(v.As<ErrorCode>().scode));
    case vbObject:
      if (v.IsNothing()) Raise(kObjectNotSet);
      Raise(kTypeMismatch);
    default: Raise(kTypeMismatch);
  }
}

Variant CoerceTo(const Variant& v, VarType type) {
  switch (type) {
    case vbEmpty: return Variant();
    case vbNull: return Variant::Null();
    case vbInteger: return Variant(CInt(v));
    case vbLong: return Variant(CLng(v));
    case vbSingle: return Variant(CSng(v));
    case vbDouble: return Variant(CDbl(v));
    case vbCurrency: return Variant(CCur(v));
    case vbDate: return Variant(CDate(v));
    case vbString: return Variant(CStr(v));
    case vbBoolean: return Variant(CBool(v));
    case vbByte: return Variant(CByte(v));
    case vbVariant: return v;
    case vbObject:
      if (v.IsObject()) return v;
      Raise(kTypeMismatch);
    default: Raise(kTypeMismatch);
  }
}

}  // namespace vb
