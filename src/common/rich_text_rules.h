#pragma once
// What stored rich text may hold: the elements a document editor makes, the
// attributes each may carry and the values those may have. The cleaner
// writes nothing else, and a text that holds nothing else, written as the
// cleaner writes it, is taken as it stands.
#include <gumbo.h>

#include <initializer_list>
#include <string_view>

namespace qe::rich_text {

struct AllowedElement {
  GumboTag tag;
  std::initializer_list<const char*> attributes;  // beside those every element may carry
};

// The element's rules; null for an element that is not kept.
const AllowedElement* Allowed(GumboTag tag);

// The kept elements without content or end tag.
bool IsVoid(GumboTag tag);

// Whether an attribute (its name in lower case, its value as a browser reads
// it, in UTF-8) stays on the element: href and src only when IsPageAddress
// allows them, target only "_blank", style only without what loads or runs.
bool Keeps(const AllowedElement& element, std::string_view name, std::string_view value);

}  // namespace qe::rich_text
