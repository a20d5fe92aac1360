#include "page/field_cell.h"

#include "common/markup_encode.h"
#include "common/record_values.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/vb/information.h"
#include "platform/vb/strings.h"

namespace qe::field_cell {

bool Field::IsLiteral() const { return field.find(u'$') != vb::String::npos; }

vb::String Field::Literal() const { return vb::Replace(field, u"$", u""); }

vb::Variant Field::Stored() const { return IsLiteral() ? vb::Variant(Literal()) : RecordValue(*rs, field); }

vb::String Field::StoredText(bool trim_literal) const {
  if (IsLiteral()) return trim_literal ? vb::Trim(Literal()) : Literal();
  return vb::Trim(RecordText(*rs, field));
}

vb::String Field::StoredMarkup(bool trim_literal) const {
  if (IsLiteral()) return StoredText(trim_literal);
  return HtmlEncodeText(StoredText(true));
}

vb::String Field::Required() const { return allow_empty == 0 ? vb::String(u" required ") : vb::String(); }

std::optional<bool> BooleanOf(const vb::Variant& value) {
  if (value.Type() == vb::vbBoolean || value.Type() == vb::vbDate || value.IsNumericType()) return vb::CDbl(value) != 0;
  if (!value.IsString()) return std::nullopt;
  const vb::String text = vb::Trim(value.As<vb::String>());
  if (vb::EqualsNoCase(text, u"True")) return true;
  if (vb::EqualsNoCase(text, u"False")) return false;
  double number = 0;
  if (vb::IsNumeric(vb::Variant(text)) && vb::ParseNumber(text, number)) return number != 0;
  return std::nullopt;
}

bool EqualWholeNumbers(const vb::Variant& a, const vb::Variant& b) {
  if (!vb::IsNumeric(a) || !vb::IsNumeric(b)) return false;
  double x = 0, y = 0;
  try {
    x = vb::CDbl(a);
    y = vb::CDbl(b);
  } catch (const vb::Error&) {
    return false;  // numeric text beyond a Double's range: no number to compare
  }
  return vb::RoundHalfEven(x) == vb::RoundHalfEven(y);
}

}  // namespace qe::field_cell
