#pragma once
// The parser's field and file tables, which pages may also take whole
// (Forms(-1), Files(-1)): keys in the order they came, looked up exactly as
// given, with the members of a dictionary that pages read.
#include <unordered_map>
#include <vector>

#include "platform/com/object.h"

namespace qe {

class UploadTable : public com::Dispatch<UploadTable> {
 public:
  static const com::MemberTable<UploadTable>& Members();
  vb::String TypeName() const override { return u"Dictionary"; }

  // Adds a key, or replaces the value of one already there.
  void Put(vb::StringView key, vb::Variant value);
  // The value of a key, or nullptr.
  const vb::Variant* Find(vb::StringView key) const;
  bool Exists(vb::StringView key) const { return Find(key) != nullptr; }
  size_t Count() const { return entries_.size(); }
  const std::vector<std::pair<vb::String, vb::Variant>>& Entries() const { return entries_; }
  void RemoveAll();

 private:
  std::vector<std::pair<vb::String, vb::Variant>> entries_;
  std::unordered_map<vb::String, size_t> index_;
};

}  // namespace qe
