#pragma once
// Text that a template places inside an attribute value, kept from leaving
// it. Only what would end the value (or, unquoted, split it) becomes a
// character reference: "&" and references already in the text stay, so a
// value free of those characters comes out byte for byte and the browser
// reads back exactly the text given.
#include "platform/vb/string.h"

namespace qe {

enum class AttributeQuote { kDouble, kSingle, kNone };

// kDouble: '"' as "&quot;"; kSingle: "'" as "&#39;"; kNone: blanks, tabs, line
// breaks, form feeds, both quotes, "`", "<" and ">" as numeric references.
vb::String AttributeValueText(vb::StringView text, AttributeQuote quote);

}  // namespace qe
