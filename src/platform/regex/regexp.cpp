#include "platform/regex/regexp.h"

#include "platform/com/registry.h"
#include "platform/regex/replacement.h"
#include "platform/vb/convert.h"

namespace regex {

void RegExp::Pattern(vb::StringView pattern) {
  pattern_ = vb::String(pattern);
  compiled_.reset();
}

void RegExp::IgnoreCase(bool on) {
  options_.ignore_case = on;
  compiled_.reset();
}

void RegExp::MultiLine(bool on) {
  options_.multi_line = on;
  compiled_.reset();
}

const CompiledPattern& RegExp::Compiled() const {
  if (!compiled_) compiled_ = std::make_unique<CompiledPattern>(pattern_, options_);
  return *compiled_;
}

bool RegExp::Test(vb::StringView source) const {
  Captures found;
  return Compiled().Find(source, 0, found);
}

std::shared_ptr<MatchCollection> RegExp::Execute(vb::StringView source) const {
  std::vector<std::shared_ptr<Match>> items;
  for (const Captures& found : Compiled().FindAll(source, global_))
    items.push_back(std::make_shared<Match>(source, found));
  return std::make_shared<MatchCollection>(std::move(items));
}

vb::String RegExp::Replace(vb::StringView source, vb::StringView replacement) const {
  vb::String out;
  size_t copied = 0;
  for (const Captures& found : Compiled().FindAll(source, global_)) {
    out.append(source.substr(copied, found[0].start - copied));
    out.append(ExpandReplacement(replacement, source, found));
    copied = found[0].end;
  }
  out.append(source.substr(copied));
  return out;
}

namespace {

// The late-bound assignment of a Boolean property: VB's CBool of the value.
template <class Set>
com::MemberTable<RegExp>::Handler LetBoolean(Set set) {
  return [set](RegExp& r, com::ArgList& a) {
    set(r, vb::CBool(a[0]));
    return vb::Variant();
  };
}

}  // namespace

const com::MemberTable<RegExp>& RegExp::Members() {
  using com::ArgList;
  using com::kGet;
  using com::kLet;
  using vb::Variant;
  static const com::MemberTable<RegExp> table{
      {u"Pattern", kGet, 0, 0, [](RegExp& r, ArgList&) { return Variant(r.Pattern()); }},
      {u"Pattern", kLet, 1, 1,
       [](RegExp& r, ArgList& a) {
         r.Pattern(vb::CStr(a[0]));
         return Variant();
       }},
      {u"IgnoreCase", kGet, 0, 0, [](RegExp& r, ArgList&) { return Variant(r.IgnoreCase()); }},
      {u"IgnoreCase", kLet, 1, 1, LetBoolean([](RegExp& r, bool on) { r.IgnoreCase(on); })},
      {u"Global", kGet, 0, 0, [](RegExp& r, ArgList&) { return Variant(r.Global()); }},
      {u"Global", kLet, 1, 1, LetBoolean([](RegExp& r, bool on) { r.Global(on); })},
      {u"MultiLine", kGet, 0, 0, [](RegExp& r, ArgList&) { return Variant(r.MultiLine()); }},
      {u"MultiLine", kLet, 1, 1, LetBoolean([](RegExp& r, bool on) { r.MultiLine(on); })},
      {u"Test", kGet, 1, 1, [](RegExp& r, ArgList& a) { return Variant(r.Test(vb::CStr(a[0]))); }},
      {u"Execute", kGet, 1, 1,
       [](RegExp& r, ArgList& a) { return Variant(r.Execute(vb::CStr(a[0]))); }},
      {u"Replace", kGet, 2, 2,
       [](RegExp& r, ArgList& a) {
         return Variant(r.Replace(vb::CStr(a[0]), vb::CStr(a[1])));
       }},
  };
  return table;
}

void RegisterClasses() {
  com::RegisterClass({u"VBScript.RegExp", u"{3F4DACA4-160D-11D2-A8E9-00104B365C9F}",
                      [] { return std::make_shared<RegExp>(); }});
}

}  // namespace regex
