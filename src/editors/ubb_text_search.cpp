#include "editors/ubb_text_search.h"

#include <algorithm>
#include <array>

#include "platform/vb/case_fold.h"

namespace qe::ubb {
namespace {

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// The code units that a character folds from, for the first character of a
// needle: its own case forms, and for "k" and "s" the Kelvin sign and the
// long s. Built once by folding every code unit.
const vb::String& FoldingTo(char16_t folded) {
  static const std::array<vb::String, 0x10000>* const table = [] {
    auto* t = new std::array<vb::String, 0x10000>();
    for (uint32_t c = 0; c < 0x10000; ++c) (*t)[vb::FoldChar(static_cast<char16_t>(c))].push_back(static_cast<char16_t>(c));
    return t;
  }();
  return (*table)[folded];
}

// The first position at or after `from` that holds a unit of `set` (the
// forms of a needle's first character: one to three units).
size_t FindAny(vb::StringView text, vb::StringView set, size_t from) {
  const char16_t* p = text.data();
  const size_t n = text.size();
  const char16_t a = set[0], b = set.size() > 1 ? set[1] : a;
  if (set.size() <= 2) {
    for (size_t i = from; i < n; ++i)
      if (p[i] == a || p[i] == b) return i;
    return kNotFound;
  }
  for (size_t i = from; i < n; ++i)
    if (set.find(p[i]) != vb::StringView::npos) return i;
  return kNotFound;
}

// The last position at or before `from` that holds a unit of `set`.
size_t FindLastAny(vb::StringView text, vb::StringView set, size_t from) {
  const char16_t a = set[0], b = set.size() > 1 ? set[1] : a;
  for (size_t i = std::min(from + 1, text.size()); i-- > 0;)
    if (text[i] == a || text[i] == b || (set.size() > 2 && set.find(text[i]) != vb::StringView::npos)) return i;
  return kNotFound;
}

vb::StringView CaseForms(char16_t first, char16_t (&forms)[2]) {
  forms[0] = first;
  forms[1] = first >= u'a' && first <= u'z' ? static_cast<char16_t>(first - 32) : first;
  return vb::StringView(forms, 2);
}

}  // namespace

bool IsCaselessAt(vb::StringView text, size_t at, vb::StringView lower_needle) {
  if (at > text.size() || text.size() - at < lower_needle.size()) return false;
  for (size_t k = 0; k < lower_needle.size(); ++k)
    if (AsciiLower(text[at + k]) != lower_needle[k]) return false;
  return true;
}

size_t FindCaseless(vb::StringView text, vb::StringView lower_needle, size_t from) {
  if (lower_needle.empty()) return from <= text.size() ? from : kNotFound;
  char16_t forms[2];
  const vb::StringView candidates = CaseForms(lower_needle[0], forms);
  for (size_t i = FindAny(text, candidates, from); i != kNotFound; i = FindAny(text, candidates, i + 1))
    if (IsCaselessAt(text, i, lower_needle)) return i;
  return kNotFound;
}

size_t FindLastCaseless(vb::StringView text, vb::StringView lower_needle) {
  if (lower_needle.empty() || text.size() < lower_needle.size()) return kNotFound;
  char16_t forms[2];
  const vb::StringView candidates = CaseForms(lower_needle[0], forms);
  for (size_t i = FindLastAny(text, candidates, text.size() - lower_needle.size()); i != kNotFound;
       i = i ? FindLastAny(text, candidates, i - 1) : kNotFound)
    if (IsCaselessAt(text, i, lower_needle)) return i;
  return kNotFound;
}

size_t FindTextCompare(vb::StringView text, vb::StringView needle, size_t from) {
  if (needle.empty()) return from <= text.size() ? from : kNotFound;
  vb::String folded(needle);
  for (char16_t& c : folded) c = vb::FoldChar(c);
  const vb::String& candidates = FoldingTo(folded[0]);
  for (size_t i = FindAny(text, candidates, from); i != kNotFound; i = FindAny(text, candidates, i + 1)) {
    if (text.size() - i < folded.size()) return kNotFound;
    size_t k = 1;
    while (k < folded.size() && vb::FoldChar(text[i + k]) == folded[k]) ++k;
    if (k == folded.size()) return i;
  }
  return kNotFound;
}

}  // namespace qe::ubb
