#include "common/request_values.h"

#include "platform/com/object.h"
#include "platform/vb/convert.h"

namespace qe {

vb::Variant RequestValue(vb::Variant& Request, vb::StringView name) {
  return com::ValueOf(com::Call(Request, u"", name));
}

vb::String RequestText(vb::Variant& Request, vb::StringView name) {
  vb::Variant value = RequestValue(Request, name);
  return value.IsNull() ? vb::String() : vb::CStr(value);
}

vb::String QueryStringText(vb::Variant& Request, vb::StringView name) {
  vb::Variant query = com::Call(Request, u"QueryString");
  vb::Variant value = com::ValueOf(com::Call(query, u"Item", name));
  return value.IsNull() || value.IsEmpty() ? vb::String() : vb::CStr(value);
}

vb::String FormText(vb::Variant& Request, vb::StringView name) {
  vb::Variant form = com::Call(Request, u"Form");
  vb::Variant value = com::ValueOf(com::Call(form, u"Item", name));
  return value.IsNull() || value.IsEmpty() ? vb::String() : vb::CStr(value);
}

vb::String ServerVariableText(vb::Variant& Request, vb::StringView name) {
  vb::Variant variables = com::Call(Request, u"ServerVariables");
  vb::Variant value = com::ValueOf(com::Call(variables, u"Item", name));
  return value.IsNull() ? vb::String() : vb::CStr(value);
}

}  // namespace qe
