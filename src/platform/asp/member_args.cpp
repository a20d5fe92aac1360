#include "platform/asp/member_args.h"

namespace asp {

vb::String ArgText(const vb::Variant& value) {
  vb::Variant v = com::ValueOf(value);
  if (v.IsEmpty() || v.IsNull() || v.IsMissing()) return {};
  return vb::CStr(v);
}

bool IsIndexArg(const vb::Variant& value) {
  vb::Variant v = com::ValueOf(value);
  return v.IsNumericType();
}

size_t IndexArg(const vb::Variant& value, size_t count) {
  int32_t position = vb::CLng(com::ValueOf(value));
  if (position < 1 || static_cast<size_t>(position) > count) vb::Raise(vb::kSubscriptOutOfRange);
  return static_cast<size_t>(position - 1);
}

}  // namespace asp
