#pragma once
// Member descriptions of a late-bound interface (its type library) and the
// conversions between late-bound arguments and typed parameters.
#include <cstdint>
#include <vector>

#include "platform/com/object.h"

namespace com {

// The type of a parameter or result: a VB type number; a byte array is
// vbArray + vbByte; no result (a Sub) is vbEmpty.
struct ParamInfo {
  String name;
  uint16_t type = vb::vbVariant;
  bool by_ref = false;
  bool optional = false;
  bool has_default = false;
  Variant default_value;
};

struct MemberInfo {
  String name;
  int slot = 0;  // position in the interface, from 1
  uint16_t result = vb::vbEmpty;
  std::vector<ParamInfo> params;
  bool built = true;  // false: the member raises 445 until its procedure exists
};

// "Name(ByVal p As String, Optional ByRef q As Variant = 1) As Long"
String DescribeMember(const MemberInfo& member);
String TypeNameOf(uint16_t type);

// Checks the argument list against the member: 450 for too many arguments,
// 449 for a required argument left out.
void CheckArguments(const MemberInfo& member, const ArgList& args);

// The argument as a typed parameter (VB's coercion; an object gives its
// default value; Null to anything but Variant is a type mismatch).
template <class T>
T FromArg(const Variant& v);

template <class T>
Variant ToVariant(T value) {
  return Variant(std::move(value));
}

// A by-reference Variant parameter: the caller's own variable, or a local one
// holding the default when the argument was left out.
inline Variant& RefArg(ArgList& args, size_t i, Variant& local) {
  return args.IsMissing(i) ? local : args[i];
}

// The argument, or the parameter's default when it was left out.
inline const Variant& ArgOrDefault(const ArgList& args, size_t i, const ParamInfo& p) {
  static const Variant missing = Variant::Missing();
  if (!args.IsMissing(i)) return args[i];
  return p.has_default ? p.default_value : missing;
}

}  // namespace com
