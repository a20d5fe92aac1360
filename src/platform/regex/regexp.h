#pragma once
// VBScript's RegExp object ("VBScript.RegExp"): typed members for the
// component's own code, and the same members late-bound for pages.
//
//   regex::RegExp re;
//   re.Pattern(u"(\\d+)-(\\d+)");
//   re.Global(true);
//   vb::String swapped = re.Replace(u"1-2 3-4", u"$2-$1");  // "2-1 4-3"
//
// The pattern is compiled when first used after a change, so a bad pattern
// raises its error (5017..5021) from Test, Execute or Replace, as in VBScript.
#include <memory>

#include "platform/com/object.h"
#include "platform/regex/matches.h"
#include "platform/regex/pattern.h"

namespace regex {

class RegExp : public com::Dispatch<RegExp> {
 public:
  static const com::MemberTable<RegExp>& Members();
  vb::String TypeName() const override { return u"IRegExp2"; }

  const vb::String& Pattern() const { return pattern_; }
  void Pattern(vb::StringView pattern);
  bool IgnoreCase() const { return options_.ignore_case; }
  void IgnoreCase(bool on);
  bool MultiLine() const { return options_.multi_line; }
  void MultiLine(bool on);
  bool Global() const { return global_; }
  void Global(bool on) { global_ = on; }

  // True when the pattern matches anywhere in the source.
  bool Test(vb::StringView source) const;
  // The first match, or every match when Global.
  std::shared_ptr<MatchCollection> Execute(vb::StringView source) const;
  // The source with the first match (every match when Global) replaced by the
  // replacement with its tokens expanded (see replacement.h).
  vb::String Replace(vb::StringView source, vb::StringView replacement) const;

 private:
  const CompiledPattern& Compiled() const;

  vb::String pattern_;
  PatternOptions options_;
  bool global_ = false;
  mutable std::unique_ptr<CompiledPattern> compiled_;
};

// Registers "VBScript.RegExp" for CreateObject.
void RegisterClasses();

}  // namespace regex
