#pragma once
// The reader's (gumbo's) tag for an element's name, remembered for the names
// met before: a text uses a few names many times, and the reader's own look-up
// costs more than the comparison of a short name. And whether a tag is in a
// list, which a reading asks at every tag.
#include <gumbo.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/vb/string.h"

namespace qe {

// Whether a tag is in a list (a constant array of tags), looked up rather
// than searched.
template <size_t N>
constexpr std::array<bool, GUMBO_TAG_LAST + 1> TagMembership(const GumboTag (&list)[N]) {
  std::array<bool, GUMBO_TAG_LAST + 1> in{};
  for (GumboTag tag : list) in[tag] = true;
  return in;
}
template <const auto& kList>
bool IsTagIn(GumboTag tag) {
  static constexpr std::array<bool, GUMBO_TAG_LAST + 1> kIn = TagMembership(kList);
  return kIn[tag];
}

// The reader's own look-up, each time.
GumboTag TagOfName(vb::StringView name);

class TagNames {
 public:
  // `name` in lower case (ASCII), as a browser compares it.
  GumboTag Of(vb::StringView name);

 private:
  static constexpr size_t kLongest = 14;  // longer names are looked up each time
  struct Known {
    char16_t name[kLongest];
    uint8_t size = 0;  // 0: none yet
    GumboTag tag = GUMBO_TAG_UNKNOWN;
  };
  std::array<Known, 64> known_{};
};

}  // namespace qe
