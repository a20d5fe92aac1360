#include "transfer/upload_table.h"

#include "platform/vb/convert.h"

namespace qe {

void UploadTable::Put(vb::StringView key, vb::Variant value) {
  vb::String k(key);
  auto found = index_.find(k);
  if (found != index_.end()) {
    entries_[found->second].second = std::move(value);
    return;
  }
  index_.emplace(k, entries_.size());
  entries_.emplace_back(std::move(k), std::move(value));
}

const vb::Variant* UploadTable::Find(vb::StringView key) const {
  auto found = index_.find(vb::String(key));
  return found == index_.end() ? nullptr : &entries_[found->second].second;
}

void UploadTable::RemoveAll() {
  entries_.clear();
  index_.clear();
}

const com::MemberTable<UploadTable>& UploadTable::Members() {
  using com::ArgList;
  using vb::Variant;
  static const auto item = [](UploadTable& t, ArgList& a) -> Variant {
    const Variant* value = t.Find(vb::CStr(a[0]));
    return value ? *value : Variant();
  };
  static const com::MemberTable<UploadTable> table{
      {u"", com::kGet, 1, 1, item},
      {u"Item", com::kGet, 1, 1, item},
      {u"Count", com::kGet, 0, 0, [](UploadTable& t, ArgList&) { return Variant(static_cast<int32_t>(t.Count())); }},
      {u"Exists", com::kGet, 1, 1, [](UploadTable& t, ArgList& a) { return Variant(t.Exists(vb::CStr(a[0]))); }},
      {u"Keys", com::kGet, 0, 0,
       [](UploadTable& t, ArgList&) {
         std::vector<Variant> keys;
         for (const auto& [key, value] : t.Entries()) keys.emplace_back(key);
         return Variant(vb::Array::OfVariants(std::move(keys)));
       }},
      {u"Items", com::kGet, 0, 0,
       [](UploadTable& t, ArgList&) {
         std::vector<Variant> items;
         for (const auto& [key, value] : t.Entries()) items.push_back(value);
         return Variant(vb::Array::OfVariants(std::move(items)));
       }},
  };
  return table;
}

}  // namespace qe

