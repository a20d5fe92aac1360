#include "platform/vb/numbers.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace vb {
namespace {

constexpr int64_t kCurrencyScale = 10000;

// Applies a rounding to a variant, keeping its type: `on_double` for the
// floating types and dates, `on_scaled` for Currency's ten-thousandths.
template <class OnDouble, class OnScaled>
Variant KeepingType(const Variant& v, OnDouble on_double, OnScaled on_scaled) {
  switch (v.Type()) {
    case vbNull: return Variant::Null();
    case vbEmpty: return Variant(int16_t{0});
    case vbInteger:
    case vbLong:
    case vbByte: return v;
    case vbBoolean: return Variant(static_cast<int16_t>(v.As<Boolean>().value ? -1 : 0));
    case vbSingle: return Variant(static_cast<float>(on_double(v.As<float>())));
    case vbDouble: return Variant(on_double(v.As<double>()));
    case vbCurrency: return Variant(Currency{on_scaled(v.As<Currency>().scaled)});
    case vbDate: return Variant(Date{on_double(v.As<Date>().serial)});
    default: return Variant(on_double(CDbl(v)));  // a numeric text; 13 otherwise
  }
}

// Currency rounded to a multiple of `unit` ten-thousandths.
template <class Pick>
int64_t ScaledTo(int64_t scaled, int64_t unit, Pick pick) {
  __int128 q = scaled / unit, r = scaled % unit;
  if (r < 0) --q, r += unit;  // q = floor, 0 <= r < unit
  q = pick(q, r, unit);
  __int128 out = q * unit;
  if (out < std::numeric_limits<int64_t>::min() || out > std::numeric_limits<int64_t>::max())
    Raise(kOverflow);
  return static_cast<int64_t>(out);
}

String Digits(uint32_t value, int radix) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  String out;
  do {
    out.insert(out.begin(), kDigits[value % radix]);
    value /= radix;
  } while (value);
  return out;
}

String RadixText(const Variant& v, int radix) {
  switch (v.Type()) {
    case vbNull: Raise(kInvalidUseOfNull);
    case vbEmpty: return u"0";
    case vbInteger: return Digits(static_cast<uint16_t>(v.As<int16_t>()), radix);
    case vbBoolean: return Digits(v.As<Boolean>().value ? 0xFFFF : 0, radix);
    case vbByte: return Digits(v.As<uint8_t>(), radix);
    default: return Digits(static_cast<uint32_t>(CLng(v)), radix);
  }
}

}  // namespace

String Hex(const Variant& value) { return RadixText(value, 16); }
String Oct(const Variant& value) { return RadixText(value, 8); }

double Int(double value) { return std::floor(value); }
double Fix(double value) { return std::trunc(value); }

Variant Int(const Variant& value) {
  return KeepingType(value, [](double d) { return Int(d); },
                     [](int64_t s) {
                       return ScaledTo(s, kCurrencyScale, [](__int128 q, __int128, __int128) { return q; });
                     });
}

Variant Fix(const Variant& value) {
  return KeepingType(value, [](double d) { return Fix(d); },
                     [](int64_t s) {
                       return ScaledTo(s, kCurrencyScale, [](__int128 q, __int128 r, __int128) {
                         return q < 0 && r != 0 ? q + 1 : q;
                       });
                     });
}

Variant Abs(const Variant& value) {
  switch (value.Type()) {
    case vbInteger: {
      int16_t i = value.As<int16_t>();
      if (i == std::numeric_limits<int16_t>::min()) return Variant(int32_t{32768});
      return Variant(static_cast<int16_t>(i < 0 ? -i : i));
    }
    case vbLong: {
      int32_t i = value.As<int32_t>();
      if (i == std::numeric_limits<int32_t>::min()) return Variant(2147483648.0);
      return Variant(i < 0 ? -i : i);
    }
    case vbCurrency: {
      int64_t s = value.As<Currency>().scaled;
      if (s == std::numeric_limits<int64_t>::min()) Raise(kOverflow);
      return Variant(Currency{s < 0 ? -s : s});
    }
    case vbDate: return Variant(std::fabs(value.As<Date>().serial));
    default: {
      Variant kept = KeepingType(value, [](double d) { return d; }, [](int64_t s) { return s; });
      switch (kept.Type()) {
        case vbInteger: return Variant(static_cast<int16_t>(std::abs(kept.As<int16_t>())));
        case vbSingle: return Variant(std::fabs(kept.As<float>()));
        case vbDouble: return Variant(std::fabs(kept.As<double>()));
        default: return kept;  // Null, Byte
      }
    }
  }
}

int Sgn(double value) { return value > 0 ? 1 : (value < 0 ? -1 : 0); }

Variant Sgn(const Variant& value) {
  if (value.IsNull()) return Variant::Null();
  if (value.Holds<Currency>()) {
    int64_t s = value.As<Currency>().scaled;
    return Variant(static_cast<int16_t>(s > 0 ? 1 : (s < 0 ? -1 : 0)));
  }
  return Variant(static_cast<int16_t>(Sgn(CDbl(value))));
}

double Round(double value, int decimals) {
  if (decimals < 0) Raise(kInvalidProcedureCall);
  if (decimals > 22) return value;
  double scale = std::pow(10.0, decimals);
  double scaled = value * scale;
  // Past 2^52 a double has no fraction left to round at this scale.
  if (!std::isfinite(scaled) || std::fabs(scaled) >= 4503599627370496.0) return value;
  double rounded = std::nearbyint(scaled) / scale;
  return rounded == 0 ? 0 : rounded;
}

Variant Round(const Variant& value, int decimals) {
  if (decimals < 0) Raise(kInvalidProcedureCall);
  return KeepingType(value, [decimals](double d) { return Round(d, decimals); },
                     [decimals](int64_t s) {
                       if (decimals >= 4) return s;
                       int64_t unit = 1;
                       for (int k = decimals; k < 4; ++k) unit *= 10;
                       return ScaledTo(s, unit, [](__int128 q, __int128 r, __int128 u) {
                         return (2 * r > u || (2 * r == u && (q & 1))) ? q + 1 : q;
                       });
                     });
}

}  // namespace vb
