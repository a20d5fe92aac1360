#pragma once
// Reading a page's request late-bound, as the component's procedures do.
#include "platform/vb/variant.h"

namespace qe {

// Request(name): the first collection that holds the name, as a plain value.
vb::Variant RequestValue(vb::Variant& Request, vb::StringView name);
// Request(name) as text: "" when no collection holds the name.
vb::String RequestText(vb::Variant& Request, vb::StringView name);
// What the query, else the form, holds for the name, never a cookie: the
// values that decide a change (an action, a name, a level) are the ones the
// page's own link or form sent. Empty when neither holds it.
vb::Variant SubmittedValue(vb::Variant& Request, vb::StringView name);
// SubmittedValue as text: "" when neither holds the name.
vb::String SubmittedText(vb::Variant& Request, vb::StringView name);
// Request.QueryString(name) as text ("" when missing).
vb::String QueryStringText(vb::Variant& Request, vb::StringView name);
// Request.Form(name) as text ("" when missing).
vb::String FormText(vb::Variant& Request, vb::StringView name);
// Request.ServerVariables(name) as text ("" when missing or Null).
vb::String ServerVariableText(vb::Variant& Request, vb::StringView name);

}  // namespace qe
