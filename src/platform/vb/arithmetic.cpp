// VB's arithmetic operators on variants, with VB's result types.
#include <cfloat>
#include <cmath>
#include <limits>

#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "platform/vb/error.h"
#include "platform/vb/operators.h"

namespace vb {
namespace {

// Ordered so that the wider of two plain numeric kinds is the larger.
enum class Kind { kEmpty, kByte, kInteger, kLong, kSingle, kDouble, kCurrency, kDate };

struct Operand {
  Kind kind;
  int64_t whole = 0;   // Byte, Integer, Long (Boolean as Integer)
  double real = 0;     // every kind's value as a Double
  int64_t scaled = 0;  // the value in ten-thousandths, for Currency results
};

Operand Read(const Variant& v) {
  switch (v.Type()) {
    case vbEmpty: return {Kind::kEmpty};
    case vbByte: return {Kind::kByte, v.As<uint8_t>(), static_cast<double>(v.As<uint8_t>())};
    case vbInteger: return {Kind::kInteger, v.As<int16_t>(), static_cast<double>(v.As<int16_t>())};
    case vbBoolean: return {Kind::kInteger, v.As<Boolean>().value ? -1 : 0, v.As<Boolean>().value ? -1.0 : 0.0};
    case vbLong: return {Kind::kLong, v.As<int32_t>(), static_cast<double>(v.As<int32_t>())};
    case vbSingle: return {Kind::kSingle, 0, v.As<float>()};
    case vbCurrency: {
      int64_t s = v.As<Currency>().scaled;
      return {Kind::kCurrency, 0, static_cast<double>(s) / 10000.0, s};
    }
    case vbDate: return {Kind::kDate, 0, v.As<Date>().serial};
    default: return {Kind::kDouble, 0, CDbl(v)};  // texts; 13 or 91 otherwise
  }
}

bool IsWhole(Kind k) { return k <= Kind::kLong; }

Kind ResultKind(Kind a, Kind b) {
  if (a == Kind::kEmpty && b == Kind::kEmpty) return Kind::kInteger;
  if (a == Kind::kCurrency || b == Kind::kCurrency) {
    Kind other = a == Kind::kCurrency ? b : a;
    return other == Kind::kSingle || other == Kind::kDouble ? Kind::kDouble : Kind::kCurrency;
  }
  if ((a == Kind::kSingle && b == Kind::kLong) || (a == Kind::kLong && b == Kind::kSingle)) return Kind::kDouble;
  return std::max(a, b);
}

Variant RealResult(double r) {
  if (!std::isfinite(r)) Raise(kOverflow);
  return Variant(r);
}

// An exact whole result in the narrowest of `kind` and the wider kinds.
Variant WholeResult(__int128 r, Kind kind) {
  if (kind == Kind::kByte && r >= 0 && r <= 255) return Variant(static_cast<uint8_t>(r));
  if (kind <= Kind::kInteger && r >= INT16_MIN && r <= INT16_MAX) return Variant(static_cast<int16_t>(r));
  if (r >= INT32_MIN && r <= INT32_MAX) return Variant(static_cast<int32_t>(r));
  return RealResult(static_cast<double>(r));
}

Variant SingleResult(double r) {
  if (std::fabs(r) <= FLT_MAX) return Variant(static_cast<float>(r));
  return RealResult(r);
}

Variant CurrencyResult(__int128 scaled) {
  if (scaled < std::numeric_limits<int64_t>::min() || scaled > std::numeric_limits<int64_t>::max())
    Raise(kOverflow);
  return Variant(Currency{static_cast<int64_t>(scaled)});
}

Variant DateResult(double serial) {
  if (!IsDateSerialInRange(serial)) Raise(kOverflow);
  return Variant(Date{serial});
}

int64_t ScaledOf(const Operand& x) { return x.kind == Kind::kCurrency ? x.scaled : x.whole * 10000; }

// Ten-thousandths times ten-thousandths, back to ten-thousandths, ties to even.
__int128 ScaledProduct(__int128 a, __int128 b) {
  __int128 p = a * b, q = p / 10000, r = p % 10000;
  if (r < 0) r = -r;
  if (r > 5000 || (r == 5000 && (q & 1))) q += p < 0 ? -1 : 1;
  return q;
}

enum class Op { kAdd, kSubtract, kMultiply };

Variant Arithmetic(const Variant& a, const Variant& b, Op op) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  Operand x = Read(a), y = Read(b);
  bool dates = x.kind == Kind::kDate || y.kind == Kind::kDate;
  if (dates && op != Op::kMultiply) {
    double r = op == Op::kAdd ? x.real + y.real : x.real - y.real;
    if (op == Op::kSubtract && x.kind == Kind::kDate && y.kind == Kind::kDate) return RealResult(r);
    return DateResult(r);
  }
  Kind kind = dates ? Kind::kDouble : ResultKind(x.kind, y.kind);
  if (kind == Kind::kCurrency) {
    __int128 s = ScaledOf(x), t = ScaledOf(y);
    switch (op) {
      case Op::kAdd: return CurrencyResult(s + t);
      case Op::kSubtract: return CurrencyResult(s - t);
      case Op::kMultiply: return CurrencyResult(ScaledProduct(s, t));
    }
  }
  if (IsWhole(kind)) {
    __int128 s = x.whole, t = y.whole;
    switch (op) {
      case Op::kAdd: return WholeResult(s + t, kind);
      case Op::kSubtract: return WholeResult(s - t, kind);
      case Op::kMultiply: return WholeResult(s * t, kind);
    }
  }
  double r = op == Op::kAdd ? x.real + y.real : (op == Op::kSubtract ? x.real - y.real : x.real * y.real);
  return kind == Kind::kSingle ? SingleResult(r) : RealResult(r);
}

// \ and Mod read both sides as whole numbers: Byte, Integer and Long as they
// are, anything else rounded to a Long.
Operand ReadWhole(const Variant& v) {
  Operand x = Read(v);
  if (IsWhole(x.kind)) return x;
  return {Kind::kLong, CLng(v)};
}

template <class Apply>
Variant WholeDivision(const Variant& a, const Variant& b, Apply apply) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  Operand x = ReadWhole(a), y = ReadWhole(b);
  if (y.whole == 0) Raise(kDivisionByZero);
  Kind kind = ResultKind(x.kind, y.kind);
  __int128 r = apply(static_cast<__int128>(x.whole), static_cast<__int128>(y.whole));
  if (r < INT32_MIN || r > INT32_MAX) Raise(kOverflow);
  return WholeResult(r, kind);
}

}  // namespace

Variant Add(const Variant& a, const Variant& b) {
  bool text_a = a.IsString(), text_b = b.IsString();
  if ((text_a || a.IsEmpty()) && (text_b || b.IsEmpty()) && (text_a || text_b)) {
    return Variant((text_a ? a.As<String>() : String()) + (text_b ? b.As<String>() : String()));
  }
  return Arithmetic(a, b, Op::kAdd);
}

Variant Subtract(const Variant& a, const Variant& b) { return Arithmetic(a, b, Op::kSubtract); }
Variant Multiply(const Variant& a, const Variant& b) { return Arithmetic(a, b, Op::kMultiply); }

Variant Divide(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  double x = Read(a).real, y = Read(b).real;
  if (y == 0) Raise(x == 0 ? kOverflow : kDivisionByZero);
  return RealResult(x / y);
}

Variant IntDivide(const Variant& a, const Variant& b) {
  return WholeDivision(a, b, [](__int128 x, __int128 y) { return x / y; });
}

Variant Mod(const Variant& a, const Variant& b) {
  return WholeDivision(a, b, [](__int128 x, __int128 y) { return x % y; });
}

}  // namespace vb
