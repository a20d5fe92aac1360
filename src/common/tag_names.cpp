#include "common/tag_names.h"

#include <algorithm>

namespace qe {

GumboTag TagOfName(vb::StringView name) {
  char ascii[32];  // longer than any name the reader knows
  if (name.size() > std::size(ascii)) return GUMBO_TAG_UNKNOWN;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] > 0x7F) return GUMBO_TAG_UNKNOWN;
    ascii[i] = static_cast<char>(name[i]);
  }
  return gumbo_tagn_enum(ascii, static_cast<unsigned>(name.size()));
}

GumboTag TagNames::Of(vb::StringView name) {
  if (name.empty() || name.size() > kLongest) return TagOfName(name);
  Known& known = known_[(name.size() * 7 + name.front() * 3 + name.back()) % known_.size()];
  if (known.size == name.size()) {
    size_t same = 0;  // a short loop: a call to compare costs more
    while (same < name.size() && name[same] == known.name[same]) ++same;
    if (same == name.size()) return known.tag;
  }
  known.size = static_cast<uint8_t>(name.size());
  std::copy(name.begin(), name.end(), known.name);
  return known.tag = TagOfName(name);
}

}  // namespace qe
