#include "common/kesra_file_size.h"

#include "platform/vb/convert.h"
#include "platform/vb/numbers.h"

namespace qe {

vb::String KesraGetFileSize(vb::String p_FileSize) {
  if (p_FileSize.empty()) return u"0B";
  double n = vb::CDbl(vb::Variant(p_FileSize));
  if (n < 1024) return vb::DoubleToString(n) + u"B";
  for (const char16_t* unit : {u"K", u"M"}) {
    n /= 1024;
    if (n < 1024) return vb::DoubleToString(vb::Round(n, 2)) + unit;
  }
  return vb::DoubleToString(vb::Round(n / 1024, 2)) + u"G";
}

}  // namespace qe
