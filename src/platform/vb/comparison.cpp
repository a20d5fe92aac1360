// VB's comparison and concatenation of variants.
#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "platform/vb/error.h"
#include "platform/vb/operators.h"

namespace vb {
namespace {

enum class Side { kEmpty, kNumber, kText };

Side SideOf(const Variant& v) {
  switch (v.Type()) {
    case vbEmpty: return Side::kEmpty;
    case vbString: return Side::kText;
    case vbInteger:
    case vbLong:
    case vbSingle:
    case vbDouble:
    case vbCurrency:
    case vbDate:
    case vbBoolean:
    case vbByte: return Side::kNumber;
    default:
      if (v.IsNothing()) Raise(kObjectNotSet);
      Raise(kTypeMismatch);
  }
}

int Sign(double d) { return d < 0 ? -1 : (d > 0 ? 1 : 0); }

int CompareNumbers(const Variant& a, const Variant& b) {
  if (a.Holds<Currency>() && b.Holds<Currency>()) {
    int64_t x = a.As<Currency>().scaled, y = b.As<Currency>().scaled;
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  return Sign(CDbl(a) - CDbl(b));
}

// A text against a number: its value when it is numeric (or, against a date,
// when it reads as a date); nothing when it is plain text.
std::optional<double> NumberOfText(const String& text, const Variant& number) {
  double d;
  if (ParseNumber(text, d)) return d;
  Date date;
  if (number.Holds<Date>() && ParseDate(text, date)) return date.serial;
  return std::nullopt;
}

}  // namespace

std::optional<int> Compare(const Variant& a, const Variant& b, CompareMethod compare) {
  if (a.IsNull() || b.IsNull()) return std::nullopt;
  Side x = SideOf(a), y = SideOf(b);
  if (x == Side::kText && y == Side::kText) return StrComp(a.As<String>(), b.As<String>(), compare);
  if (x == Side::kEmpty && y == Side::kEmpty) return 0;
  if (x == Side::kEmpty) return y == Side::kText ? StrComp(u"", b.As<String>()) : CompareNumbers(int16_t{0}, b);
  if (y == Side::kEmpty) return x == Side::kText ? StrComp(a.As<String>(), u"") : CompareNumbers(a, int16_t{0});
  if (x == Side::kNumber && y == Side::kNumber) return CompareNumbers(a, b);
  if (x == Side::kText) {
    std::optional<double> d = NumberOfText(a.As<String>(), b);
    return d ? Sign(*d - CDbl(b)) : 1;
  }
  std::optional<double> d = NumberOfText(b.As<String>(), a);
  return d ? Sign(CDbl(a) - *d) : -1;
}

bool Equals(const Variant& a, const Variant& b, CompareMethod compare) {
  std::optional<int> c = Compare(a, b, compare);
  return c && *c == 0;
}

bool NotEquals(const Variant& a, const Variant& b, CompareMethod compare) {
  std::optional<int> c = Compare(a, b, compare);
  return c && *c != 0;
}

Variant Concat(const Variant& a, const Variant& b) {
  if (a.IsNull() && b.IsNull()) return Variant::Null();
  String left = a.IsNull() ? String() : CStr(a);
  return Variant(left + (b.IsNull() ? String() : CStr(b)));
}

}  // namespace vb
