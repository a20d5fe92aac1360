#include "common/active_formatting.h"

namespace qe {

size_t ActiveFormatting::Add(GumboTag tag, size_t attributes, size_t base) {
  size_t pairs = 0;
  for (size_t i = FirstSinceMarker(); i < elements_.size(); ++i)
    if (elements_[i].tag == tag) pairs += elements_[i].attributes * attributes;
  elements_.push_back({tag, attributes, base});
  return pairs;
}

void ActiveFormatting::ClearToMarker() {
  if (markers_.empty()) return;
  elements_.resize(markers_.back());
  markers_.pop_back();
}

std::optional<size_t> ActiveFormatting::LatestSinceMarker(GumboTag tag) const {
  for (size_t i = elements_.size(); i > FirstSinceMarker(); --i)
    if (elements_[i - 1].tag == tag) return i - 1;
  return std::nullopt;
}

void ActiveFormatting::Remove(size_t element) {
  elements_.erase(elements_.begin() + static_cast<std::ptrdiff_t>(element));
}

}  // namespace qe
