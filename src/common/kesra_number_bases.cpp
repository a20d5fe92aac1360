#include "common/kesra_number_bases.h"

#include "common/integer_count.h"
#include "platform/vb/convert.h"

namespace qe {
namespace {

constexpr int64_t kScale = 10000;  // Currency counts ten-thousandths

}  // namespace

vb::String KesraDecToHex(vb::Currency p_Dec) {
  static constexpr char16_t kLetters[] = u"ABCDEF";
  vb::String out;
  int64_t value = p_Dec.scaled;
  while (value > 0) {
    const int64_t quotient = value / (16 * kScale);  // Int(p_Dec / 16), in whole units
    const int64_t rest = value - quotient * 16 * kScale;
    vb::String digit = rest >= 10 * kScale && rest % kScale == 0 ? vb::String(1, kLetters[rest / kScale - 10])
                                                                 : vb::CurrencyToString(vb::Currency{rest});
    out.insert(0, digit);
    value = quotient * kScale;
  }
  return out;
}

vb::String KesraDecToBin(vb::Currency p_Dec) {
  vb::String out;
  if (p_Dec.scaled <= 0) return out;
  int32_t n = vb::CLng(vb::Variant(p_Dec));
  do {
    out.insert(out.begin(), n % 2 ? u'1' : u'0');
    n /= 2;
  } while (n > 0);
  return out;
}

vb::String KesraJoin(const vb::Array& p_Array, vb::StringView p_Delimiter) {
  const int16_t lower = IntegerCount(p_Array.LBound());
  const int16_t upper = IntegerCount(p_Array.UBound());
  vb::String out;
  for (int32_t i = lower; i <= upper; ++i) {
    out += vb::CStr(vb::Variant(vb::CByte(p_Array.Get({i}))));
    if (i != upper) out += p_Delimiter;
  }
  return out;
}

}  // namespace qe
