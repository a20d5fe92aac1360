#include "common/request_values.h"

#include "platform/asp/request.h"
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

vb::Variant SubmittedValue(vb::Variant& Request, vb::StringView name) {
  // Our own request tells a missing name from an empty value; any other
  // object's first collection with a value wins.
  if (auto own = std::dynamic_pointer_cast<asp::Request>(Request.GetObject())) {
    for (asp::RequestCollection* collection : {&own->QueryString(), &own->Form()})
      if (!collection->Values(name).empty()) return collection->Item(name);
    return {};
  }
  for (const char16_t* collection : {u"QueryString", u"Form"}) {
    vb::Variant value = com::ValueOf(com::Call(com::Call(Request, collection), u"Item", name));
    if (!value.IsEmpty() && !(value.IsString() && value.As<vb::String>().empty())) return value;
  }
  return {};
}

vb::String SubmittedText(vb::Variant& Request, vb::StringView name) {
  vb::Variant value = SubmittedValue(Request, name);
  return value.IsNull() || value.IsEmpty() ? vb::String() : vb::CStr(value);
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
