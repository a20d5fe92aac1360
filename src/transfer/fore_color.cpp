#include "transfer/fore_color.h"

#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace

uint32_t ForeColorValue(vb::StringView text) {
  vb::String colour = vb::Trim(text);
  if (colour.starts_with(u'#')) {
    if (colour.size() != 7) vb::Raise(vb::kTypeMismatch);
    uint32_t rgb = 0;
    for (size_t i = 1; i < colour.size(); ++i) {
      int digit = HexDigit(colour[i]);
      if (digit < 0) vb::Raise(vb::kTypeMismatch);
      rgb = rgb << 4 | static_cast<uint32_t>(digit);
    }
    return (rgb >> 16) | (rgb & 0x00FF00) | (rgb & 0xFF) << 16;
  }
  return static_cast<uint32_t>(vb::CLng(vb::Variant(colour))) & 0xFFFFFF;
}

}  // namespace qe
