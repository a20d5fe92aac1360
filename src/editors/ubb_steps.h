#pragma once
// The regular-expression steps of the UBB converters, applied match by match:
// each match becomes its template, the groups encoded for where the template
// puts them, or stays as typed when an address group has a refused scheme.
//
// Every step also has a search that finds the same matches as its pattern
// (the differential test holds them to each other) without running away on
// hostile text: possessive quantifiers where they cannot change a match, and
// a locator that skips the start positions that cannot match, so that no
// start position scans far for nothing.
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/regex/pattern.h"
#include "platform/vb/string.h"

namespace qe::ubb {

// How a step finds its matches.
enum class Locator {
  // The pattern's own search from the position, while the closing tag occurs
  // further on (the patterns are linear in the text there).
  kSearch,
  // "[tag=" P "]" C "[/tag]", P and C "(.[^\[]*)".
  kParameterPair,
  // "[url=" P "]" C "[/url]", P "(.[^\]]*)".
  kBracketParameter,
  // "[email]" "\S+@" C "[/email]".
  kMail,
  // "[email=" "\S+@" P "]" C "[/email]".
  kMailParameter,
  // "[tag]" "(.*)" "[/tag]": both tags on one line.
  kOneLine,
  // An address that ends the text ("...$").
  kTextEnd,
  // One character, then `open` (an address after a character).
  kBeforeOpen,
};

struct StepSource {
  vb::String pattern;  // as the converter's rules give it
  vb::String search;   // the same matches, anchored at the candidate ("\G") for
                       // located steps; empty: the pattern itself
  vb::String replacement;
  Locator locator = Locator::kSearch;
  vb::String open;   // the opening literal, lower case (located steps)
  vb::String close;  // the closing tag, lower case
};

// One step ready to run: its compiled search and its parsed template.
class Step {
 public:
  explicit Step(const StepSource& source);
  ~Step();
  Step(Step&&) noexcept;

  const StepSource& Source() const { return source_; }
  // Every match replaced, left to right, in the text; `spare` is the buffer
  // the new text is built in (the old one is left there for the next step).
  void Apply(vb::String& text, vb::String& spare) const;
  // The matches as the step finds them (for the differential test).
  std::vector<regex::Captures> Matches(vb::StringView text) const;

 private:
  struct Template;
  class Finder;
  StepSource source_;
  std::unique_ptr<regex::CompiledPattern> search_;
  std::unique_ptr<Template> template_;
};

// A group of steps that runs only when its gate occurs in the text (text
// compare); no gate: always. The text each step returns is the next one's;
// `after`, when given, runs last on the group's text.
struct StepGroup {
  const char16_t* gate;
  std::vector<Step> steps;
  void (*after)(vb::String& text) = nullptr;
};

vb::String ApplyGroups(std::span<const StepGroup> groups, vb::String text);

}  // namespace qe::ubb
