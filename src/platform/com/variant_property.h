#pragma once
// Member-table handlers for a class's Variant fields that pages read and
// write: the read gives the field, the assignment stores the value (an
// object's default value, as VB's Let does).
#include "platform/com/object.h"
#include "platform/vb/convert.h"

namespace qe {

template <class T>
typename com::MemberTable<T>::Handler GetField(vb::Variant T::*field) {
  return [field](T& self, com::ArgList&) { return self.*field; };
}

template <class T>
typename com::MemberTable<T>::Handler LetField(vb::Variant T::*field) {
  return [field](T& self, com::ArgList& args) {
    self.*field = com::ValueOf(args[0]);
    return vb::Variant();
  };
}

// A value that a page passes where text is meant: objects by their default
// value, Null as "" (as VB's text functions let it through).
inline vb::String VariantText(const vb::Variant& value) {
  return value.IsNull() ? vb::String() : vb::CStr(com::ValueOf(value));
}

}  // namespace qe
