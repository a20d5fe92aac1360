#include "editors/kesra_chart_data.h"

#include "common/integer_count.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace qe {

ChartColors KesraChartInitColors() {
  ChartColors colors;
  colors.light = {u"", u"#d1ffd1", u"#ffbbbb", u"#ffe3bb", u"#cff4f3", u"#d9d9e5", u"#ffc7ab", u"#ecffb7"};
  colors.strong = {u"", u"#00ff00", u"#ff0000", u"#ff9900", u"#33cccc", u"#666699", u"#993300", u"#99cc00"};
  return colors;
}

vb::String KesraTableChartHeader() {
  return u"<html xmlns:v=\"urn:schemas-microsoft-com:vml\" xmlns:o=\"urn:schemas-microsoft-com:office:office\">"
         u"<head>"
         u"<!--[if !mso]>"
         u"<style>"
         u"v\\:* { behavior: url(#default#VML) }"
         u"o\\:* { behavior: url(#default#VML) }"
         u".shape { behavior: url(#default#VML) }"
         u"td { font-size: 9pt}"
         u"</style>"
         u"<![endif]-->"
         u" </head>"
         u" <body>";
}

int ChartColorIndex(int64_t item) {
  int64_t k = (item - 1) % 7;
  if (k < 0) k += 7;
  return static_cast<int>(k) + 1;
}

int16_t ChartRowCount(const vb::Variant& table) {
  if (!table.IsArray()) vb::Raise(vb::kTypeMismatch);
  return Int16(table.As<vb::Array>().UBound(1));
}

vb::Variant ChartCell(const vb::Variant& table, int32_t row, int32_t column) {
  if (!table.IsArray()) vb::Raise(vb::kTypeMismatch);
  return table.As<vb::Array>().Get({row, column});
}

double ChartValue(const vb::Variant& cell) { return vb::CDbl(cell); }

vb::String ChartText(const vb::Variant& cell) { return cell.IsNull() ? vb::String() : vb::CStr(cell); }

double ChartTop(vb::StringView p_TableTop) { return vb::CDbl(vb::Variant(p_TableTop)); }

int16_t Int16(int64_t value) { return IntegerCount(value); }

int32_t GridStep(int16_t extent) { return static_cast<int32_t>(vb::RoundHalfEven(extent / 5.0)); }

}  // namespace qe
