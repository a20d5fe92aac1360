#include "common/kesra_number_text.h"

#include "common/kesra_value_checks.h"
#include "platform/vb/convert.h"
#include "platform/vb/numbers.h"
#include "platform/vb/strings.h"

namespace qe {

vb::String KesraGetFileSize(vb::String p_FileSize) {
  if (p_FileSize.empty()) return u"0B";
  double size = vb::CDbl(vb::Variant(p_FileSize));
  if (size < 1024) return vb::DoubleToString(size) + u"B";
  constexpr char16_t kUnits[] = u"KMG";
  size /= 1024;
  for (int unit = 0;; ++unit) {
    if (size < 1024 || kUnits[unit + 1] == 0) return vb::DoubleToString(vb::Round(size, 2)) + kUnits[unit];
    size /= 1024;
  }
}

vb::Currency KesraStringToNumeric(vb::String p_String) {
  if (vb::Trim(p_String).empty() || !KesraCheckIsNumeric(p_String)) return {};
  vb::Variant text(p_String);
  // The whole-number reading only bounds the range; the value itself is read
  // in double precision (a single-precision reading turned 123456.78 into
  // 123456.7813).
  vb::CLng(text);
  return vb::CCur(vb::Variant(vb::CDbl(text)));
}

}  // namespace qe
