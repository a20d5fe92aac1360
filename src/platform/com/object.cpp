#include "platform/com/object.h"

namespace com {

Variant InvokeOn(const Variant& target, StringView name, CallType type, ArgList& args) {
  if (!target.IsObject()) vb::Raise(vb::kObjectRequired);
  ObjectPtr obj = target.GetObject();
  if (!obj) vb::Raise(vb::kObjectNotSet);
  return obj->Invoke(name, type, args);
}

Variant ValueOf(const Variant& v) {
  if (!v.IsObject()) return v;
  Variant value = v;
  // A default member may itself return an object with a default member
  // (a recordset's Fields, a field's Value); VB follows the chain.
  for (int depth = 0; depth < 4 && value.IsObject(); ++depth) {
    ArgList none;
    value = InvokeOn(value, u"", CallType::Get, none);
  }
  if (value.IsObject()) vb::Raise(vb::kTypeMismatch);
  return value;
}

}  // namespace com
