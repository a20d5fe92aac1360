#pragma once
// A text as it comes back from the system's ANSI entry points: what code page
// 936 cannot hold becomes "?".
#include "platform/text/ansi.h"

namespace qe {

inline vb::String AnsiForm(vb::StringView text) { return text::DecodeAnsi(text::EncodeAnsi(text)); }

}  // namespace qe
