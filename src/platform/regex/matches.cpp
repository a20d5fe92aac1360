#include "platform/regex/matches.h"

#include "platform/com/enumeration.h"
#include "platform/vb/convert.h"

namespace regex {
namespace {

template <class T>
const T& At(const std::vector<T>& items, int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= items.size())
    vb::Raise(vb::kInvalidProcedureCall);
  return items[static_cast<size_t>(index)];
}

std::vector<vb::Variant> GroupTexts(vb::StringView subject, const Captures& captures) {
  std::vector<vb::Variant> texts;
  for (size_t i = 1; i < captures.size(); ++i) {
    const Capture& c = captures[i];
    texts.push_back(c.matched ? vb::Variant(vb::String(subject.substr(c.start, c.end - c.start)))
                              : vb::Variant());
  }
  return texts;
}

}  // namespace

vb::Variant SubMatches::Item(int32_t index) const { return At(items_, index); }

Match::Match(vb::StringView subject, const Captures& captures)
    : value_(subject.substr(captures[0].start, captures[0].end - captures[0].start)),
      first_index_(static_cast<int32_t>(captures[0].start)),
      sub_matches_(std::make_shared<regex::SubMatches>(GroupTexts(subject, captures))) {}

std::shared_ptr<Match> MatchCollection::Item(int32_t index) const { return At(items_, index); }

const com::MemberTable<SubMatches>& SubMatches::Members() {
  using com::kGet;
  auto item = [](SubMatches& s, com::ArgList& a) { return s.Item(vb::CLng(a[0])); };
  static const com::MemberTable<SubMatches> table{
      {u"", kGet, 1, 1, item},
      {u"Item", kGet, 1, 1, item},
      {u"Count", kGet, 0, 0, [](SubMatches& s, com::ArgList&) { return vb::Variant(s.Count()); }},
      {u"_NewEnum", kGet, 0, 0, [](SubMatches& s, com::ArgList&) { return com::NewEnum(s.items_); }},
  };
  return table;
}

const com::MemberTable<Match>& Match::Members() {
  using com::kGet;
  static const com::MemberTable<Match> table{
      {u"", kGet, 0, 0, [](Match& m, com::ArgList&) { return vb::Variant(m.Value()); }},
      {u"Value", kGet, 0, 0, [](Match& m, com::ArgList&) { return vb::Variant(m.Value()); }},
      {u"FirstIndex", kGet, 0, 0,
       [](Match& m, com::ArgList&) { return vb::Variant(m.FirstIndex()); }},
      {u"Length", kGet, 0, 0, [](Match& m, com::ArgList&) { return vb::Variant(m.Length()); }},
      {u"SubMatches", kGet, 0, 0,
       [](Match& m, com::ArgList&) { return vb::Variant(m.SubMatches()); }},
  };
  return table;
}

const com::MemberTable<MatchCollection>& MatchCollection::Members() {
  using com::kGet;
  auto item = [](MatchCollection& c, com::ArgList& a) {
    return vb::Variant(c.Item(vb::CLng(a[0])));
  };
  static const com::MemberTable<MatchCollection> table{
      {u"", kGet, 1, 1, item},
      {u"Item", kGet, 1, 1, item},
      {u"Count", kGet, 0, 0,
       [](MatchCollection& c, com::ArgList&) { return vb::Variant(c.Count()); }},
      {u"_NewEnum", kGet, 0, 0, [](MatchCollection& c, com::ArgList&) { return com::NewEnum(c.Items()); }},
  };
  return table;
}

}  // namespace regex
