#pragma once
// The formatting elements (b, i, font, a ...) a browser's tree builder keeps
// active, as a count made before the reading sees them: in the order they
// opened, with the markers a cell, a caption, an applet, an object, a marquee
// or a template puts between them. It holds every element the builder's list
// holds, and maybe more: an element leaves it only where the builder surely
// takes it out, and the builder's own pruning (of a fourth element alike) is
// not followed.
//
// The builder compares each new formatting element with the earlier ones of
// its name since the last marker, attribute by attribute: each attribute of
// the earlier one is looked up by name among the new one's. Add answers how
// many pairs of names that can compare.
#include <gumbo.h>

#include <cstddef>
#include <optional>
#include <vector>

namespace qe {

class ActiveFormatting {
 public:
  // The elements held, markers left out.
  size_t Size() const { return elements_.size(); }
  bool AnySinceMarker() const { return elements_.size() > FirstSinceMarker(); }

  // A formatting element with this many attributes, opened when `base`
  // other elements were open; the pairs of attribute names the builder can
  // compare for it.
  size_t Add(GumboTag tag, size_t attributes, size_t base);
  void AddMarker() { markers_.push_back(elements_.size()); }
  // The elements since the last marker, and the marker, leave.
  void ClearToMarker();

  // The latest element of this name since the last marker, and where it
  // opened (its `base`).
  std::optional<size_t> LatestSinceMarker(GumboTag tag) const;
  size_t BaseOf(size_t element) const { return elements_[element].base; }
  void Remove(size_t element);

 private:
  struct Element {
    GumboTag tag;
    size_t attributes;
    size_t base;
  };
  size_t FirstSinceMarker() const { return markers_.empty() ? 0 : markers_.back(); }

  std::vector<Element> elements_;
  std::vector<size_t> markers_;  // where each marker stands among the elements
};

}  // namespace qe
