#pragma once
// The text colour a page passes to the image class, as a GDI colour value
// (red in the lowest byte, then green, then blue). The façade's own default
// is the HTML colour "#FF0000", so "#RRGGBB" reads as HTML writes it; "&H..."
// and decimal numbers read as VB converts them to a number; anything else
// raises 13. Bits above the three colour bytes are dropped.
#include <cstdint>

#include "platform/vb/string.h"

namespace qe {

uint32_t ForeColorValue(vb::StringView text);

}  // namespace qe
