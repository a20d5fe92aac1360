#pragma once
// A regular expression of VBScript's RegExp compiled with PCRE2 (16-bit code
// units, no UTF: positions and "." count UTF-16 code units, as VBScript does).
//
// Syntax: the PCRE2 syntax with VBScript's (ECMAScript) readings where they
// differ: "\uhhhh" and "\xhh", "[]" matches nothing, a reference to a group
// that has not matched matches the empty text, "$" without MultiLine matches
// only at the very end. "." matches anything but a line feed; with MultiLine,
// "^" and "$" match at line feeds. IgnoreCase folds ASCII letters only.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/vb/string.h"

namespace regex {

// VBScript's numbers for a pattern it cannot read.
inline constexpr int32_t kSyntaxError = 5017;           // "Syntax error in regular expression"
inline constexpr int32_t kUnexpectedQuantifier = 5018;  // "Unexpected quantifier"
inline constexpr int32_t kExpectedBracket = 5019;       // "Expected ']' in regular expression"
inline constexpr int32_t kExpectedParen = 5020;         // "Expected ')' in regular expression"
inline constexpr int32_t kInvalidRange = 5021;          // "Invalid range in character set"
// A match that would take too long (catastrophic backtracking) fails with
// VB's "Out of stack space" rather than holding the request.
inline constexpr int32_t kTooComplex = 28;

// Backtracking steps allowed to one search (PCRE2's own default), and the
// memory its backtracking may take, in KiB.
inline constexpr uint32_t kMatchLimit = 10'000'000;
inline constexpr uint32_t kHeapLimitKiB = 64 * 1024;

// One group of a match in code units; `matched` false for a group that took
// no part in it.
struct Capture {
  size_t start = 0;
  size_t end = 0;
  bool matched = false;
};
// The whole match at [0], then each group.
using Captures = std::vector<Capture>;

struct PatternOptions {
  bool ignore_case = false;
  bool multi_line = false;
};

class CompiledPattern {
 public:
  // Raises 5017..5021 for a pattern that does not compile.
  CompiledPattern(vb::StringView pattern, PatternOptions options);
  ~CompiledPattern();
  CompiledPattern(const CompiledPattern&) = delete;
  CompiledPattern& operator=(const CompiledPattern&) = delete;

  size_t GroupCount() const { return group_count_; }

  // The first match at or after `start`; false when there is none. Raises
  // kTooComplex when the search passes its limits.
  bool Find(vb::StringView subject, size_t start, Captures& out) const;

  // Every match from the start (only the first unless `global`), searched as
  // VBScript does: after an empty match the next search starts one code unit
  // further on.
  std::vector<Captures> FindAll(vb::StringView subject, bool global) const;

 private:
  struct Code;
  std::unique_ptr<Code> code_;
  size_t group_count_ = 0;
};

}  // namespace regex
