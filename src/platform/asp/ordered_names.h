#pragma once
// Values under names, kept in the order the names first came and found by
// name in any ASCII letter case: the shape of every ASP collection.
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/vb/string.h"

namespace asp {

template <class V>
class OrderedNames {
 public:
  struct Entry {
    vb::String name;
    V value;
  };

  V* Find(vb::StringView name) {
    auto it = index_.find(vb::String(name));
    return it == index_.end() ? nullptr : &entries_[it->second].value;
  }
  const V* Find(vb::StringView name) const {
    auto it = index_.find(vb::String(name));
    return it == index_.end() ? nullptr : &entries_[it->second].value;
  }

  // The value under the name, added at the end (default-constructed) when new;
  // an existing name keeps its place and its first spelling.
  V& Insert(vb::StringView name) {
    auto [it, added] = index_.try_emplace(vb::String(name), entries_.size());
    if (added) entries_.push_back({vb::String(name), V{}});
    return entries_[it->second].value;
  }

  bool Remove(vb::StringView name) {
    auto it = index_.find(vb::String(name));
    if (it == index_.end()) return false;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(it->second));
    Reindex();
    return true;
  }

  void Clear() {
    entries_.clear();
    index_.clear();
  }

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const Entry& at(size_t i) const { return entries_.at(i); }
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }

 private:
  void Reindex() {
    index_.clear();
    for (size_t i = 0; i < entries_.size(); ++i) index_.emplace(entries_[i].name, i);
  }

  std::vector<Entry> entries_;
  std::unordered_map<vb::String, size_t, vb::NoCaseHash, vb::NoCaseEqual> index_;
};

}  // namespace asp
