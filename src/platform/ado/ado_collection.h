#pragma once
// Index arguments of ADO's collections: a number (from 0) or a name.
#include <vector>

#include "platform/ado/errors.h"
#include "platform/vb/convert.h"
#include "platform/vb/variant.h"

namespace ado {

// The position that `index` names in a collection of `count` items whose
// names `name_at(i)` gives; raises 3265 when there is none.
template <class NameAt>
size_t ResolveIndex(const vb::Variant& index, size_t count, NameAt&& name_at, StringView source) {
  vb::Variant key = index;
  if (key.IsObject()) key = vb::Variant::Null();
  if (key.IsString()) {
    for (size_t i = 0; i < count; ++i)
      if (vb::EqualsNoCase(name_at(i), key.As<vb::String>())) return i;
    RaiseAdo(kErrItemNotFound, source);
  }
  if (key.IsNumericType() || key.Holds<vb::Boolean>()) {
    double n;
    try {
      n = vb::CDbl(key);
    } catch (const vb::Error&) {
      RaiseAdo(kErrItemNotFound, source);
    }
    if (n >= 0 && n < static_cast<double>(count) && n == static_cast<double>(static_cast<size_t>(n)))
      return static_cast<size_t>(n);
  }
  RaiseAdo(kErrItemNotFound, source);
}

}  // namespace ado
