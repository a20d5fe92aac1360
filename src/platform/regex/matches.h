#pragma once
// The results of RegExp.Execute: a MatchCollection of Match objects, each with
// its SubMatches. Late-bound under VBScript's member names; Item is the
// default member of the collections and Value that of a match.
#include <memory>
#include <vector>

#include "platform/com/object.h"
#include "platform/regex/pattern.h"

namespace regex {

class SubMatches : public com::Dispatch<SubMatches> {
 public:
  explicit SubMatches(std::vector<vb::Variant> items) : items_(std::move(items)) {}
  static const com::MemberTable<SubMatches>& Members();
  vb::String TypeName() const override { return u"ISubMatches"; }

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // The text of group index + 1; Empty for a group that took no part in the
  // match. Error 5 outside 0..Count-1.
  vb::Variant Item(int32_t index) const;

 private:
  std::vector<vb::Variant> items_;
};

class Match : public com::Dispatch<Match> {
 public:
  Match(vb::StringView subject, const Captures& captures);
  static const com::MemberTable<Match>& Members();
  vb::String TypeName() const override { return u"IMatch2"; }

  const vb::String& Value() const { return value_; }
  int32_t FirstIndex() const { return first_index_; }  // from 0, in code units
  int32_t Length() const { return static_cast<int32_t>(value_.size()); }
  std::shared_ptr<regex::SubMatches> SubMatches() const { return sub_matches_; }

 private:
  vb::String value_;
  int32_t first_index_;
  std::shared_ptr<regex::SubMatches> sub_matches_;
};

class MatchCollection : public com::Dispatch<MatchCollection> {
 public:
  explicit MatchCollection(std::vector<std::shared_ptr<Match>> items) : items_(std::move(items)) {}
  static const com::MemberTable<MatchCollection>& Members();
  vb::String TypeName() const override { return u"IMatchCollection2"; }

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Error 5 outside 0..Count-1.
  std::shared_ptr<Match> Item(int32_t index) const;
  const std::vector<std::shared_ptr<Match>>& Items() const { return items_; }

 private:
  std::vector<std::shared_ptr<Match>> items_;
};

}  // namespace regex
