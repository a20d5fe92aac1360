#include "common/record_values.h"

#include "platform/com/object.h"
#include "platform/vb/convert.h"

namespace qe {

vb::Variant RecordValue(const vb::Variant& Rs, vb::StringView column) {
  return com::ValueOf(com::Call(Rs, u"", vb::String(column)));
}

vb::String RecordText(const vb::Variant& Rs, vb::StringView column) {
  vb::Variant value = RecordValue(Rs, column);
  return value.IsNull() ? vb::String() : vb::CStr(value);
}

}  // namespace qe
