#pragma once
// Small helpers the ASP object tests share.
#include <functional>

#include "platform/com/object.h"

namespace asp::testing {

// The error number an action raised, or 0 when it raised none.
inline int32_t ErrorNumberOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const vb::Error& e) {
    return e.Number();
  }
  return 0;
}

// A late-bound result as text, objects by their default value.
inline vb::String Text(const vb::Variant& v) { return vb::CStr(com::ValueOf(v)); }

}  // namespace asp::testing
