#pragma once
// Reading a page's request late-bound, as the component's procedures do.
#include "platform/vb/variant.h"

namespace qe {

// Request(name): the first collection that holds the name, as a plain value.
vb::Variant RequestValue(vb::Variant& Request, vb::StringView name);
// Request(name) as text: "" when no collection holds the name.
vb::String RequestText(vb::Variant& Request, vb::StringView name);
// Request.QueryString(name) as text ("" when missing).
vb::String QueryStringText(vb::Variant& Request, vb::StringView name);
// Request.Form(name) as text ("" when missing).
vb::String FormText(vb::Variant& Request, vb::StringView name);
// Request.ServerVariables(name) as text ("" when missing or Null).
vb::String ServerVariableText(vb::Variant& Request, vb::StringView name);

}  // namespace qe
