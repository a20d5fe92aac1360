#include "platform/ado/memory_rows.h"

#include "platform/ado/ado_types.h"

namespace ado {
namespace {

int TypeOfValue(const Variant& v) {
  switch (v.Type()) {
    case vb::vbInteger: return adSmallInt;
    case vb::vbLong: return adInteger;
    case vb::vbSingle: return adSingle;
    case vb::vbDouble: return adDouble;
    case vb::vbCurrency: return adCurrency;
    case vb::vbDate: return adDate;
    case vb::vbBoolean: return adBoolean;
    case vb::vbByte: return adUnsignedTinyInt;
    default: return v.IsArray() ? adLongVarBinary : adVarWChar;
  }
}

}  // namespace

void TypeFieldsFromValues(std::vector<FieldInfo>& fields, std::vector<RowData>& rows) {
  for (size_t f = 0; f < fields.size(); ++f) {
    FieldInfo& field = fields[f];
    if (field.typed) continue;
    int type = 0;
    size_t longest = 0;
    bool any_text = false;
    for (const RowData& row : rows) {
      const Variant& v = row.values[f];
      if (v.IsNull()) continue;
      if (v.IsString()) {
        any_text = true;
        longest = std::max(longest, v.As<String>().size());
      } else if (type == 0) {
        type = TypeOfValue(v);
      }
    }
    if (any_text || type == 0) type = longest > 255 ? adLongVarWChar : adVarWChar;
    field.type = type;
    field.defined_size = type == adVarWChar ? 255 : DefaultDefinedSize(type);
    field.attributes = adFldIsNullable | adFldMayBeNull | (IsLongType(type) ? adFldLong : 0) |
                       (IsFixedType(type) ? adFldFixed : 0);
    field.typed = true;
  }
}

}  // namespace ado
